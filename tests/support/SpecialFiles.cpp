#include "support/SpecialFiles.h"

#include <QFile>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace verdane::test {

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makeNullDevice(const QString& path) {
    return runsAsRoot() && ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

bool runsAsRoot() {
    return ::geteuid() == 0;
}

bool makeHardLink(const QString& existing, const QString& path) {
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(path).constData()) == 0;
}

bool changeOwner(const QString& path, uint owner, uint group) {
    return ::chown(QFile::encodeName(path).constData(), owner, group) == 0;
}

} // namespace verdane::test
