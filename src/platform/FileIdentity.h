#pragma once

#include <QString>

namespace verdane::platform {

// What the system tells of a file without reading it: enough to know it is the same file, unchanged. Any write,
// a replacement (even by a file of the same size and modification time) or a change of its status changes it.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 statusChangedNs = 0; // set by the system on every change; no program can set it back

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity fileIdentity(const QString& path);
// The same of a file open as fd.
FileIdentity fileIdentity(int fd);

} // namespace verdane::platform
