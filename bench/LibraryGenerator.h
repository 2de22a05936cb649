#pragma once

#include <QString>

namespace verdane::bench {

// Writes qmvbsource.mdb and usersource.mdb into dir with count snippets in all, spread evenly over the seven groups
// and the user's table: names and about 2 KB of VB-like code each, with CR LF line breaks, from a vocabulary of
// twenty thousand words without the letters J, Q and Z. Those letters appear only in markers planted at fixed
// shares of the snippets: "Qz" in 0.01%, "Jzq" in 0.1%, "ZjCookieMarker" in 1%, and a Beep in 2%. The same count
// always gives the same records. Returns an error text, empty on success.
QString generateLibrary(const QString& dir, int count);

// The same folder for the same count, generated on first use and kept under root for later runs.
QString cachedLibrary(const QString& root, int count, QString* error);

} // namespace verdane::bench
