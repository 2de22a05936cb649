#pragma once

#include <QString>

namespace verdane::bench {

// Writes qmvbsource.mdb and usersource.mdb into dir with count snippets in all, spread evenly over the seven groups
// and the user's table: names and about 2 KB of VB-like code each, with CR LF line breaks. The same count always
// gives the same records. Returns an error text, empty on success.
QString generateLibrary(const QString& dir, int count);

// The same folder for the same count, generated on first use and kept under root for later runs.
QString cachedLibrary(const QString& root, int count, QString* error);

} // namespace verdane::bench
