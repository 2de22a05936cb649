#include "core/NewDatabase.h"

#include "core/GroupNames.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace verdane {

QString writeDatabase(const QString& target, ExistingFile existing,
                      const std::function<QString(const sqlite::Connection&)>& fill, bool* created) {
    if (created)
        *created = false;
    // A name of this process's own, so that two programs making the same file at once never write into one.
    const QString temporary = QStringLiteral("%1.%2.tmp").arg(target).arg(QCoreApplication::applicationPid());
    QFile::remove(temporary);
    QString error;
    {
        const sqlite::Connection db(temporary, sqlite::Connection::Mode::Create);
        if (!db.isOpen()) {
            error = db.openError();
        } else {
            db.exec("BEGIN");
            error = fill(db);
            if (error.isEmpty() && !db.exec("COMMIT"))
                error = db.lastError();
        }
    }
    if (!error.isEmpty()) {
        QFile::remove(temporary);
        return error;
    }
    std::error_code ec;
    if (existing == ExistingFile::Keep) {
        // A hard link is made only where no file is, in one step: a file another program put there first is never
        // lost. Where the file system has no hard links, a move that checks first is the best there is.
        std::filesystem::create_hard_link(temporary.toStdU16String(), target.toStdU16String(), ec);
        const bool moved = !ec || (!QFileInfo::exists(target) && QFile::rename(temporary, target));
        QFile::remove(temporary);
        if (created)
            *created = moved;
        return moved || QFileInfo::exists(target) ? QString()
                                                  : QStringLiteral("cannot move %1 into place: %2")
                                                        .arg(temporary, QString::fromStdString(ec.message()));
    }
    if (const QString failure = filesystem::replace(temporary, target); !failure.isEmpty()) {
        QFile::remove(temporary);
        return QStringLiteral("cannot move %1 into place: %2").arg(temporary, failure);
    }
    if (created)
        *created = true;
    return {};
}

QString createSnippetTable(const sqlite::Connection& db, const QString& table) {
    sqlite::Statement create =
        db.prepare(QStringLiteral("CREATE TABLE %1 (CodeName TEXT, Code TEXT)").arg(sqlite::quoted(table)));
    return create.run() ? QString() : create.error();
}

QString makeUserDatabase(const QString& target, bool* created) {
    if (created)
        *created = false;
    if (QFileInfo::exists(target))
        return {};
    return writeDatabase(
        target, ExistingFile::Keep, [](const sqlite::Connection& db) { return createSnippetTable(db, kUserCodeTable); },
        created);
}

} // namespace verdane
