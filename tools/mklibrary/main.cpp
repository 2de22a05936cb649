#include "core/NewDatabase.h"

#include <QCoreApplication>

#include "mklibrary/LibraryBuilder.h"
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString error;
    if (args.size() == 4 && args[1] == QStringLiteral("library")) {
        if (verdane::tools::libraryIsOutOfDate(args[2], args[3], QCoreApplication::applicationFilePath()))
            error = verdane::tools::buildLibrary(args[2], args[3]);
    } else if (args.size() == 3 && args[1] == QStringLiteral("user")) {
        error = verdane::makeUserDatabase(args[2]);
    } else {
        std::fputs("usage: verdane-mklibrary library SOURCE-DIR TARGET.mdb\n"
                   "       verdane-mklibrary user TARGET.mdb   (leaves an existing file alone)\n",
                   stderr);
        return 2;
    }
    if (!error.isEmpty()) {
        std::fprintf(stderr, "verdane-mklibrary: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
