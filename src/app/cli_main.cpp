#include <QCoreApplication>

#include "cli/CliCommands.h"
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("verdane-cli"));
    const verdane::cli::Output output{
        [](const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout); },
        [](const QString& message) { std::fprintf(stderr, "verdane-cli: %s\n", qPrintable(message)); },
    };
    const int code = verdane::cli::run(app.arguments().mid(1), output);
    std::fflush(stdout);
    return code;
}
