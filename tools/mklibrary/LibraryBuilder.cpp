#include "mklibrary/LibraryBuilder.h"

#include "core/GroupNames.h"
#include "core/NewDatabase.h"
#include "core/Sqlite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>

namespace verdane::tools {

using sqlite::quoted;

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

    return writeDatabase(target, ExistingFile::Replace, [&](const sqlite::Connection& db) -> QString {
        for (const QString& group : groupNames()) {
            if (QString error = createSnippetTable(db, group); !error.isEmpty())
                return error;
            QStringList names = QDir(source.filePath(group)).entryList(QDir::Files | QDir::NoDotAndDotDot);
            // Locale-independent, so that every machine builds the same file.
            std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
                const int folded = QString::compare(a, b, Qt::CaseInsensitive);
                return folded != 0 ? folded < 0 : a < b;
            });
            const QString sql = QStringLiteral("INSERT INTO %1 (CodeName, Code) VALUES (?, ?)").arg(quoted(group));
            for (const QString& name : std::as_const(names)) {
                QFile file(source.filePath(group + QLatin1Char('/') + name));
                if (!file.open(QIODevice::ReadOnly))
                    return QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
                sqlite::Statement insert = db.prepare(sql);
                insert.bind(1, name);
                insert.bind(2, withCrLf(QString::fromUtf8(file.readAll())));
                if (!insert.run())
                    return insert.error();
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

} // namespace verdane::tools
