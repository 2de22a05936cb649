#include "core/DataLocation.h"

#include "core/GroupNames.h"
#include "core/NewDatabase.h"
#include "core/Postgres.h"
#include "core/PostgresStore.h"
#include "core/Settings.h"
#include "core/SqliteStore.h"
#include "platform/DefaultFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace verdane {

DataLocation locateData(const DataPlaces& places) {
    auto inFolder = [](DataLocation::Source source, const QString& folder) {
        const QDir dir(folder);
        return DataLocation{source, dir.filePath(kLibraryFileName), dir.filePath(kUserFileName), false, {}};
    };
    if (!places.serverUrl.isEmpty()) {
        DataPlaces files = places;
        files.serverUrl.clear();
        DataLocation server = locateData(files);
        server.source = DataLocation::Source::Server;
        server.createUserFile = false;
        server.serverUrl = places.serverUrl;
        return server;
    }
    if (!places.dataDir.isEmpty())
        return inFolder(DataLocation::Source::DataDir, places.dataDir);
    DataLocation beside = inFolder(DataLocation::Source::ProgramFolder, places.programDir);
    if (QFileInfo::exists(beside.libraryPath) && QFileInfo::exists(beside.userPath))
        return beside;
    DataLocation installed{DataLocation::Source::Installed,
                           QDir(places.shareDir).filePath(kLibraryFileName),
                           QDir(places.userDataDir).filePath(kUserFileName),
                           false,
                           {}};
    installed.createUserFile = !QFileInfo::exists(installed.userPath);
    return installed;
}

DataPlaces runningPlaces(const QString& dataDir, const QString& libraryUrl) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString userDataDir = platform::userDataFolder();
    const QString serverUrl = !libraryUrl.isNull() ? libraryUrl
                              : dataDir.isEmpty()  ? settings::read(settings::LibraryServer)
                                                   : QString();
    return DataPlaces{dataDir, programDir,
                      QDir::cleanPath(QDir(programDir).filePath(QStringLiteral(VERDANE_SHARE_FROM_BIN))), userDataDir,
                      serverUrl};
}

std::unique_ptr<SnippetStore> openStore(const DataLocation& location) {
    if (location.source == DataLocation::Source::Server)
        return std::make_unique<PostgresStore>(location.serverUrl);
    return std::make_unique<SqliteStore>(location.libraryPath, location.userPath);
}

QString prepareUserFile(const DataLocation& location) {
    if (!location.createUserFile)
        return {};
    const QString folder = QFileInfo(location.userPath).path();
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot make the folder %1 for your snippets").arg(folder);
    if (const QString error = makeUserDatabase(location.userPath); !error.isEmpty())
        return QStringLiteral("cannot make %1: %2").arg(location.userPath, error);
    return {};
}

QString dataFilesHelp(const DataPlaces& places, const DataLocation& location) {
    QString help = QStringLiteral("Files: %1, the library, and %2, your snippets, are read\n"
                                  "  1. from the folder given with --data-dir; or else\n"
                                  "  2. from beside the program, when both are there:\n"
                                  "       %3\n"
                                  "  3. or else as installed, the library from\n"
                                  "       %4\n"
                                  "     and your snippets from\n"
                                  "       %5\n"
                                  "     where %2 is made, empty, the first time it is missing.\n"
                                  "A team library on a PostgreSQL server is read instead when --library gives its\n"
                                  "address, or when View > Options names one and neither --library nor --data-dir\n"
                                  "is given.\n"
                                  "In use:\n")
                       .arg(kLibraryFileName, kUserFileName, QDir::toNativeSeparators(places.programDir),
                            QDir::toNativeSeparators(places.shareDir), QDir::toNativeSeparators(places.userDataDir));
    if (location.source == DataLocation::Source::Server) {
        // An address holding a password is never repeated, only refused.
        const QString problem = pg::urlProblem(location.serverUrl);
        return help + (problem.isEmpty()
                           ? QStringLiteral("  the team library at %1\n").arg(location.serverUrl)
                           : QStringLiteral("  no team library: its address cannot be used, as %1\n").arg(problem));
    }
    help += QStringLiteral("  %1\n  %2")
                .arg(QDir::toNativeSeparators(location.libraryPath), QDir::toNativeSeparators(location.userPath));
    if (location.createUserFile)
        help += QStringLiteral(" (not there yet: made on first use)");
    return help + QLatin1Char('\n');
}

} // namespace verdane
