#pragma once

#include <QString>

namespace verdane::tools {

// Builds the library database at target from sourceDir/<Group>/<Name> files: one table per group, one record per
// file in name order, its text with CR LF line breaks. The same sources always give the same bytes. The file is
// written beside target and moved over it only when complete. Returns an error text, empty on success.
QString buildLibrary(const QString& sourceDir, const QString& target);

// Whether target is older than any snippet source, any group folder (a file removed) or the tool itself.
bool libraryIsOutOfDate(const QString& sourceDir, const QString& target, const QString& toolPath);

// Text as the library stores it: every line break CR LF, nothing else changed.
QString withCrLf(const QString& text);

} // namespace verdane::tools
