#pragma once

#include <QString>
#include <QUrl>

namespace verdane {

// The publisher's web site, where help, update notices and reading lists live; the program only opens them.
inline const QString kSiteHost = QStringLiteral("www.quillmere.example");
inline const QString kFeedbackAddress = QStringLiteral("verdane-feedback@quillmere.example");

// The site's home page: scheme and host, no path, no trailing slash.
QString homePage();

// The address that a menu entry opens, by the entry's name; empty for an entry that opens nothing.
QString linkOf(const QString& menuEntry);
// Every menu entry that opens an address, in menu order.
QStringList linkEntries();

// The terms of use that Help > Disclaimer shows: two paragraphs.
QString disclaimerText();

} // namespace verdane
