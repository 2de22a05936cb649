#include "platform/FileIdentity.h"

#include <QDir>

#include <io.h>
#include <windows.h>

namespace verdane::platform {

namespace {

qint64 nanoseconds(const LARGE_INTEGER& time) {
    return qint64(time.QuadPart) * 100; // in units of 100 ns
}

// A file is known by its volume's serial number and its index on that volume; NTFS keeps a change time that every
// change of the file or its attributes sets, as the system's status change time does elsewhere.
FileIdentity identityOf(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info) ||
        !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic))
        return {};
    FileIdentity id;
    id.exists = true;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    id.modifiedNs = nanoseconds(basic.LastWriteTime);
    id.statusChangedNs = nanoseconds(basic.ChangeTime);
    return id;
}

} // namespace

FileIdentity fileIdentity(const QString& path) {
    const HANDLE h = CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FileIdentity id = identityOf(h);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return id;
}

FileIdentity fileIdentity(int fd) {
    return identityOf(HANDLE(_get_osfhandle(fd)));
}

} // namespace verdane::platform
