#pragma once

#include <QString>

namespace verdane::clipboard {

// Puts plain text on the system clipboard. False when the clipboard did not take it (another program holds it).
bool setText(const QString& text);
// The clipboard's plain text; empty when it holds none (a picture, nothing at all).
QString text();

} // namespace verdane::clipboard
