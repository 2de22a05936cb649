#pragma once

#include <QString>

namespace verdane::test {

// Things a path can name besides a file, made in a test's own folder. False when they could not be made.
bool makeFifo(const QString& path);
// A character device that works as /dev/null does. Only the administrator may make one: false for anyone else.
bool makeNullDevice(const QString& path);
bool runsAsRoot();
// Another name for the file at existing.
bool makeHardLink(const QString& existing, const QString& path);
bool changeOwner(const QString& path, uint owner, uint group);

} // namespace verdane::test
