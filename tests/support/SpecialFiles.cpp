#include "support/SpecialFiles.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace verdane::test {

#ifdef Q_OS_WIN

// Windows' files have no named pipes, devices or owners a test could make in a folder.
bool makeFifo(const QString&) {
    return false;
}

bool makePipe(int ends[2]) {
    return _pipe(ends, 1 << 16, _O_BINARY) == 0;
}

bool makeNullDevice(const QString&) {
    return false;
}

bool runsAsRoot() {
    return false;
}

bool makeHardLink(const QString& existing, const QString& path) {
    return CreateHardLinkW(QDir::toNativeSeparators(path).toStdWString().c_str(),
                           QDir::toNativeSeparators(existing).toStdWString().c_str(), nullptr);
}

bool changeOwner(const QString&, uint, uint) {
    return false;
}

#else

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

bool makePipe(int ends[2]) {
    return ::pipe(ends) == 0;
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

#endif

} // namespace verdane::test
