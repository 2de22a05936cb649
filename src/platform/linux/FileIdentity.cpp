#include "platform/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

namespace verdane::platform {

namespace {

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.exists = true;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.statusChangedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

} // namespace

FileIdentity fileIdentity(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? identityOf(st) : FileIdentity{};
}

FileIdentity fileIdentity(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? identityOf(st) : FileIdentity{};
}

} // namespace verdane::platform
