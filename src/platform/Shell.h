#pragma once

#include <QList>
#include <QUrl>

namespace verdane::shell {

// Hands a web address or a mailto link to the desktop, which opens the user's browser or mail program. False when
// no program could be started for it (no browser is known), so that the user can be told.
bool openUrl(const QUrl& url);

// Tests: record the addresses instead of opening them (nullptr: open them again); with opens false, every address
// is recorded as one that no program could be started for.
void recordInsteadOfOpening(QList<QUrl>* opened, bool opens = true);

} // namespace verdane::shell
