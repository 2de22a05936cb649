#include "mklibrary/LibraryBuilder.h"

#include "core/GroupNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace verdane::tools {

namespace {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Runs fill on a fresh database at a temporary name and moves it over target when it succeeded.
QString writeDatabase(const QString& target, const std::function<QString(QSqlDatabase&)>& fill) {
    const QString temporary = target + QStringLiteral(".tmp");
    QFile::remove(temporary);
    QString error;
    const QString connection = QStringLiteral("mklibrary");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(temporary);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            db.transaction();
            error = fill(db);
            if (error.isEmpty() && !db.commit())
                error = db.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        return error;
    }
    std::error_code ec;
    std::filesystem::rename(temporary.toStdString(), target.toStdString(), ec);
    if (ec)
        return QStringLiteral("cannot move %1 into place: %2").arg(temporary, QString::fromStdString(ec.message()));
    return {};
}

QString createSnippetTable(QSqlDatabase& db, const QString& table) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("CREATE TABLE %1 (CodeName TEXT, Code TEXT)").arg(quoted(table))))
        return query.lastError().text();
    return {};
}

} // namespace

QString withCrLf(const QString& text) {
    QString lf = text;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lf;
}

QString buildLibrary(const QString& sourceDir, const QString& target) {
    const QDir source(sourceDir);
    if (!source.exists())
        return QStringLiteral("no snippet sources in %1").arg(sourceDir);

    return writeDatabase(target, [&](QSqlDatabase& db) -> QString {
        for (const QString& group : groupNames()) {
            if (QString error = createSnippetTable(db, group); !error.isEmpty())
                return error;
            QStringList names = QDir(source.filePath(group)).entryList(QDir::Files | QDir::NoDotAndDotDot);
            // Locale-independent, so that every machine builds the same file.
            std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
                const int folded = QString::compare(a, b, Qt::CaseInsensitive);
                return folded != 0 ? folded < 0 : a < b;
            });
            QSqlQuery insert(db);
            insert.prepare(QStringLiteral("INSERT INTO %1 (CodeName, Code) VALUES (?, ?)").arg(quoted(group)));
            for (const QString& name : std::as_const(names)) {
                QFile file(source.filePath(group + QLatin1Char('/') + name));
                if (!file.open(QIODevice::ReadOnly))
                    return QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
                insert.addBindValue(name);
                insert.addBindValue(withCrLf(QString::fromUtf8(file.readAll())));
                if (!insert.exec())
                    return insert.lastError().text();
            }
        }
        return {};
    });
}

bool libraryIsOutOfDate(const QString& sourceDir, const QString& target, const QString& toolPath) {
    const QFileInfo built(target);
    if (!built.exists())
        return true;
    const QDateTime builtAt = built.lastModified();
    auto newer = [&](const QString& path) { return QFileInfo(path).lastModified() > builtAt; };
    if (newer(toolPath) || newer(sourceDir))
        return true;
    for (const QString& group : groupNames()) {
        const QDir dir(QDir(sourceDir).filePath(group));
        if (newer(dir.path()))
            return true;
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
            if (file.lastModified() > builtAt)
                return true;
        }
    }
    return false;
}

QString makeUserDatabase(const QString& target, bool* created) {
    if (created)
        *created = false;
    if (QFileInfo::exists(target))
        return {};
    const QString error =
        writeDatabase(target, [](QSqlDatabase& db) { return createSnippetTable(db, kUserCodeTable); });
    if (created)
        *created = error.isEmpty();
    return error;
}

} // namespace verdane::tools
