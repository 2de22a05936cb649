#include "platform/FileSystem.h"

namespace verdane::filesystem {

QString kindText(Kind kind) {
    switch (kind) {
    case Kind::Missing:
        return QStringLiteral("nothing");
    case Kind::Regular:
        return QStringLiteral("a file");
    case Kind::Folder:
        return QStringLiteral("a folder");
    case Kind::Pipe:
        return QStringLiteral("a pipe (FIFO)");
    case Kind::Device:
        return QStringLiteral("a device");
    case Kind::Socket:
        return QStringLiteral("a socket");
    case Kind::Link:
        return QStringLiteral("a symbolic link");
    case Kind::Other:
        break;
    }
    return QStringLiteral("not a file");
}

} // namespace verdane::filesystem
