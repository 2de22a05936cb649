#pragma once

#include <QList>
#include <QUrl>

namespace verdane::shell {

// Hands a web address or a mailto link to the desktop, which opens the user's browser or mail program. Whether
// that worked is not looked at: there is nothing the program could do about it.
void openUrl(const QUrl& url);

// Tests: record the addresses instead of opening them (nullptr: open them again).
void recordInsteadOfOpening(QList<QUrl>* opened);

} // namespace verdane::shell
