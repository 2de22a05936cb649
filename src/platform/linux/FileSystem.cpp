#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane::filesystem {

namespace {

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

Kind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return Kind::Regular;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISFIFO(mode))
        return Kind::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Kind::Device;
    if (S_ISSOCK(mode))
        return Kind::Socket;
    if (S_ISLNK(mode))
        return Kind::Link;
    return Kind::Other;
}

Facts factsOf(const struct stat& info) {
    Facts f;
    f.kind = kindOf(info.st_mode);
    f.size = info.st_size;
    f.links = info.st_nlink;
    f.owner = info.st_uid;
    f.group = info.st_gid;
    f.mode = info.st_mode & 07777;
    return f;
}

Facts failed(int error) {
    Facts f;
    f.kind = error == ENOENT || error == ENOTDIR ? Kind::Missing : Kind::Other;
    if (f.kind != Kind::Missing)
        f.error = errnoText(error);
    return f;
}

// Closes fd on every way out of a scope.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

Facts facts(const QString& path, Links links) {
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    const int rc = links == Links::Followed ? ::stat(name.constData(), &info) : ::lstat(name.constData(), &info);
    if (path.isEmpty() || rc != 0)
        return failed(path.isEmpty() ? ENOENT : errno);
    return factsOf(info);
}

OpenedFile openForReading(const QString& path, Links links) {
    // O_NONBLOCK: opening a pipe without a writer, or a terminal, returns at once instead of waiting.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Followed ? 0 : O_NOFOLLOW);
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0 && errno == ELOOP && links == Links::NotFollowed) {
        Facts link;
        link.kind = Kind::Link;
        return {-1, link};
    }
    if (fd < 0)
        return {-1, failed(errno)};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return {-1, failed(error)};
    }
    // Reads of a regular file wait for the disk, as they should.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return {fd, factsOf(info)};
}

qint64 readAt(int fd, qint64 offset, char* data, qint64 size) {
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void close(int fd) {
    if (fd >= 0)
        ::close(fd);
}

QString replace(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return errnoText(errno);
    return {};
}

bool takeOver(int fd, const Facts& old) {
    // The owner first: giving a file away clears its set-user-ID bit, which the mode then restores.
    return ::fchown(fd, old.owner, old.group) == 0 && ::fchmod(fd, old.mode) == 0;
}

QString overwriteInPlace(const QString& path, const QByteArray& bytes) {
    const Descriptor file{::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0)
        return errnoText(errno);
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return errnoText(errno);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is %1, not a file").arg(kindText(kindOf(info.st_mode)));
    const off_t size = off_t(bytes.size());
    // File systems that cannot reserve room (EOPNOTSUPP) are written without the reservation.
    if (const int reserved = size > 0 ? ::posix_fallocate(file.fd, 0, size) : 0;
        reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL)
        return errnoText(reserved);
    off_t written = 0;
    while (written < size) {
        const ssize_t n = ::pwrite(file.fd, bytes.constData() + written, size_t(size - written), written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errnoText(n < 0 ? errno : EIO);
        written += n;
    }
    if (::ftruncate(file.fd, size) != 0 || ::fsync(file.fd) != 0)
        return errnoText(errno);
    return {};
}

// The streams never translate line endings here.
void useBinaryStandardStreams() {}

} // namespace verdane::filesystem
