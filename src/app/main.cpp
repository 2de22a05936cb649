#include "core/DataLocation.h"
#include "core/Postgres.h"
#include "core/SnippetStore.h"
#include "core/Version.h"
#include "platform/FileSystem.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

// Exit code for a command line that cannot be followed; no window is shown.
constexpr int kUsageError = 2;

struct Options {
    verdane::DataLocation data;
    std::optional<int> exitNow;
};

// Runs before any window system is touched, so --help and --version work without a display.
Options parseCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Verdane: a browser for a library of classic Visual Basic source snippets."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption dataDir(
        QStringLiteral("data-dir"),
        QStringLiteral("Read qmvbsource.mdb and usersource.mdb from <dir> (see Files below)."), QStringLiteral("dir"));
    parser.addOption(dataDir);
    const QCommandLineOption library(
        QStringLiteral("library"),
        QStringLiteral("Read the team library on the PostgreSQL server at <url> (postgresql://user@host/database) "
                       "instead of the files; the password comes from ~/.pgpass or PGPASSWORD."),
        QStringLiteral("url"));
    parser.addOption(library);

    Options options;
    auto fail = [&](const QString& message) {
        std::fprintf(stderr, "verdane: %s\n", qPrintable(message));
        options.exitNow = kUsageError;
        return options;
    };
    if (!parser.parse(app.arguments()))
        return fail(parser.errorText());
    const verdane::DataPlaces places =
        verdane::runningPlaces(parser.isSet(dataDir) ? QFileInfo(parser.value(dataDir)).absoluteFilePath() : QString(),
                               parser.isSet(library) ? parser.value(library) : QString());
    options.data = verdane::locateData(places);
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText() + QLatin1Char('\n') + verdane::dataFilesHelp(places, options.data)),
                   stdout);
        options.exitNow = 0;
        return options;
    }
    if (parser.isSet(version)) {
        std::printf("verdane %s\n", VERDANE_VERSION);
        options.exitNow = 0;
        return options;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));

    if (parser.isSet(dataDir) && parser.isSet(library))
        return fail(QStringLiteral("--library and --data-dir cannot be given together."));
    if (parser.isSet(dataDir) && !QFileInfo(parser.value(dataDir)).isDir())
        return fail(QStringLiteral("data folder '%1' does not exist.").arg(parser.value(dataDir)));
    // The address is not repeated: it may hold a password.
    if (const QString problem = options.data.source == verdane::DataLocation::Source::Server
                                    ? verdane::pg::urlProblem(options.data.serverUrl)
                                    : QString();
        !problem.isEmpty())
        return fail(QStringLiteral("the team library's address cannot be used: %1.").arg(problem));
    return options;
}

} // namespace

int main(int argc, char** argv) {
    verdane::filesystem::useBinaryStandardStreams();
    QCoreApplication::setApplicationName(QStringLiteral("Verdane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Verdane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERDANE_VERSION));

    const Options options = parseCommandLine(argc, argv);
    if (options.exitNow)
        return *options.exitNow;

    // Nothing to stop for: the window then says, as for any file that is not there, that it cannot open the user's
    // file.
    if (const QString problem = verdane::prepareUserFile(options.data); !problem.isEmpty())
        std::fprintf(stderr, "verdane: %s\n", qPrintable(problem));

    QApplication app(argc, argv);
    // Ties the windows to the desktop entry, for the icon and the name a desktop shows for them.
    QGuiApplication::setDesktopFileName(QStringLiteral(VERDANE_APP_ID));
    verdane::Startup startup(verdane::openStore(options.data));
    startup.Main();
    return app.exec();
}
