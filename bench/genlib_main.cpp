#include <QCoreApplication>

#include "LibraryGenerator.h"
#include <cstdio>

// verdane-genlib COUNT DIR: writes a synthetic library of COUNT snippets into DIR, to try the program on.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.size() == 3 ? args[1].toInt(&ok) : 0;
    if (!ok || count < 0) {
        std::fputs("usage: verdane-genlib COUNT DIR\n", stderr);
        return 2;
    }
    const QString error = verdane::bench::generateLibrary(args[2], count);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "verdane-genlib: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
