#include "ui/common/Artwork.h"

#include <QDir>

#include <cstdio>

// Build-time tool: renders the program's icon into the PNG sizes of a desktop's icon theme, as
// ROOT/<N>x<N>/apps/NAME.png, with the code that draws the windows' icon.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: verdane-mkicons ROOT NAME\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : verdane::appIconSizes()) {
        const QDir apps(QStringLiteral("%1/%2x%2/apps").arg(root).arg(size));
        const QString file = apps.filePath(name + QStringLiteral(".png"));
        if (!QDir().mkpath(apps.path()) || !verdane::appIconImage(size).save(file)) {
            std::fprintf(stderr, "verdane-mkicons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
