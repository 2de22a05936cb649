#include "platform/FileSystem.h"

#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace verdane::filesystem {

namespace {

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

QString errorText(DWORD error) {
    return qt_error_string(int(error));
}

// Closes a handle on every way out of a scope.
struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

Facts failed(DWORD error) {
    Facts f;
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
    f.kind = missing ? Kind::Missing : Kind::Other;
    if (!missing)
        f.error = errorText(error);
    return f;
}

// What an open handle is: a disk file or folder (or the link itself, where links are not followed), a pipe, or a
// character device (NUL, CON, COM1), which must be neither read nor replaced as a file.
Facts factsOf(HANDLE h) {
    Facts f;
    switch (GetFileType(h)) {
    case FILE_TYPE_PIPE:
        f.kind = Kind::Pipe;
        return f;
    case FILE_TYPE_CHAR:
        f.kind = Kind::Device;
        return f;
    case FILE_TYPE_DISK:
        break;
    default:
        f.kind = Kind::Other;
        return f;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info))
        return failed(GetLastError());
    f.kind = info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? Kind::Link
             : info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY   ? Kind::Folder
                                                                  : Kind::Regular;
    f.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    f.links = info.nNumberOfLinks;
    f.mode = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? 0444 : 0666;
    return f;
}

HANDLE openHandle(const QString& path, DWORD access, Links links) {
    // Folders open only with backup semantics; a link not to be followed is opened as itself.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (links == Links::NotFollowed ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    return CreateFileW(native(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

} // namespace

Facts facts(const QString& path, Links links) {
    if (path.isEmpty())
        return failed(ERROR_FILE_NOT_FOUND);
    // No access asked for: only what the handle is, without reading it or waiting on it.
    const Handle file{openHandle(path, 0, links)};
    if (file.h == INVALID_HANDLE_VALUE)
        return failed(GetLastError());
    return factsOf(file.h);
}

OpenedFile openForReading(const QString& path, Links links) {
    HANDLE h = openHandle(path, GENERIC_READ, links);
    if (h == INVALID_HANDLE_VALUE)
        return {-1, failed(GetLastError())};
    const Facts f = factsOf(h);
    if (f.kind != Kind::Regular) {
        CloseHandle(h);
        return {-1, f};
    }
    const int fd = _open_osfhandle(intptr_t(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return {-1, failed(ERROR_TOO_MANY_OPEN_FILES)};
    }
    return {fd, f};
}

qint64 readAt(int fd, qint64 offset, char* data, qint64 size) {
    const auto h = HANDLE(_get_osfhandle(fd));
    qint64 done = 0;
    while (done < size) {
        OVERLAPPED at{};
        at.Offset = DWORD(quint64(offset + done) & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(quint64(offset + done) >> 32);
        DWORD got = 0;
        const DWORD want = DWORD(qMin<qint64>(size - done, 1 << 30));
        if (!ReadFile(h, data + done, want, &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? done : -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void close(int fd) {
    if (fd >= 0)
        _close(fd);
}

QString replace(const QString& from, const QString& to) {
    if (!MoveFileExW(native(from).c_str(), native(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return errorText(GetLastError());
    return {};
}

bool takeOver(int, const Facts&) {
    // A new file takes its access rights from its folder, as the file it replaces did: nothing to carry over.
    return true;
}

QString overwriteInPlace(const QString& path, const QByteArray& bytes) {
    const Handle file{CreateFileW(native(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE)
        return errorText(GetLastError());
    if (const Facts f = factsOf(file.h); f.kind != Kind::Regular)
        return QStringLiteral("it is %1, not a file").arg(kindText(f.kind));
    // The room for the new contents is claimed first, so a full disk fails with the file unchanged.
    LARGE_INTEGER size{};
    size.QuadPart = qMax<LONGLONG>(bytes.size(), 0);
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file.h, size, nullptr, FILE_BEGIN) || !SetEndOfFile(file.h) ||
        !SetFilePointerEx(file.h, start, nullptr, FILE_BEGIN))
        return errorText(GetLastError());
    qsizetype written = 0;
    while (written < bytes.size()) {
        DWORD n = 0;
        const DWORD want = DWORD(qMin<qsizetype>(bytes.size() - written, 1 << 30));
        if (!WriteFile(file.h, bytes.constData() + written, want, &n, nullptr) || n == 0)
            return errorText(GetLastError());
        written += n;
    }
    if (!FlushFileBuffers(file.h))
        return errorText(GetLastError());
    return {};
}

void useBinaryStandardStreams() {
    for (const int stream : {0, 1, 2})
        _setmode(stream, _O_BINARY);
}

} // namespace verdane::filesystem
