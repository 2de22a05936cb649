#include "core/Version.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

// Exit code for a command line that cannot be followed; no window is shown.
constexpr int kUsageError = 2;

struct Options {
    QString dataDir;
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
        QStringLiteral("Read qmvbsource.mdb and usersource.mdb from <dir> instead of the program's folder."),
        QStringLiteral("dir"));
    parser.addOption(dataDir);

    Options options;
    auto fail = [&](const QString& message) {
        std::fprintf(stderr, "verdane: %s\n", qPrintable(message));
        options.exitNow = kUsageError;
        return options;
    };
    if (!parser.parse(app.arguments()))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
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

    options.dataDir = QCoreApplication::applicationDirPath();
    if (parser.isSet(dataDir)) {
        const QFileInfo dir(parser.value(dataDir));
        if (!dir.isDir())
            return fail(QStringLiteral("data folder '%1' does not exist.").arg(parser.value(dataDir)));
        options.dataDir = dir.absoluteFilePath();
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Verdane"));
    QCoreApplication::setOrganizationName(QStringLiteral("Verdane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VERDANE_VERSION));

    const Options options = parseCommandLine(argc, argv);
    if (options.exitNow)
        return *options.exitNow;

    QApplication app(argc, argv);
    verdane::Startup startup(options.dataDir);
    startup.Main();
    return app.exec();
}
