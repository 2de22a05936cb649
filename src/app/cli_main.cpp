#include "platform/FileSystem.h"

#include <QCoreApplication>

#include "cli/CliCommands.h"
#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    verdane::filesystem::useBinaryStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verdane-cli"));
    int writeError = 0;
    const verdane::cli::Output output{
        [&](const QByteArray& bytes) {
            errno = 0;
            if (!writeError && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
                writeError = errno ? errno : EIO;
        },
        [](const QString& message) { std::fprintf(stderr, "verdane-cli: %s\n", qPrintable(message)); },
    };
    int code = verdane::cli::run(app.arguments().mid(1), output);
    // A full disk or a closed pipe shows only here, when what is buffered is handed over; a command whose output
    // did not arrive has not succeeded.
    errno = 0;
    if (std::fflush(stdout) != 0 && !writeError)
        writeError = errno ? errno : EIO;
    if (writeError) {
        std::fprintf(stderr, "verdane-cli: cannot write to standard output: %s\n", std::strerror(writeError));
        code = verdane::cli::FileError;
    }
    return code;
}
