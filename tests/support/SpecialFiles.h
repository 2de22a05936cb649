#pragma once

#include <QString>
#include <QTest>

// Rows about pipes, devices, file modes and symbolic links: Windows has none of them that a test can make, so there
// they are skipped, saying why.
#ifdef Q_OS_WIN
#define VERDANE_POSIX_FILES_ONLY(what) QSKIP("Windows has no " what)
#else
#define VERDANE_POSIX_FILES_ONLY(what) static_cast<void>(0)
#endif

namespace verdane::test {

// Things a path can name besides a file, made in a test's own folder. False when they could not be made.
bool makeFifo(const QString& path);
// An unnamed pipe, as a program's standard input is when another pipes into it: ends[0] reads, ends[1] writes.
bool makePipe(int ends[2]);
// A character device that works as /dev/null does. Only the administrator may make one: false for anyone else.
bool makeNullDevice(const QString& path);
bool runsAsRoot();
// Another name for the file at existing.
bool makeHardLink(const QString& existing, const QString& path);
bool changeOwner(const QString& path, uint owner, uint group);

} // namespace verdane::test
