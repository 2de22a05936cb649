#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

// The command lines that post a snippet into an IRC conversation, in the order they are sent: first the comments
// line, "/quote PRIVMSG target :comments" (sent even when the comments are empty), then "/quote PRIVMSG target :line"
// for every line of the code, its leading blanks kept. Only CR LF ends a line; a lone CR or LF stays inside its line;
// empty lines are sent too, and a code that ends with CR LF ends with an empty line. Empty code sends the comments
// line alone.
QStringList chatCommandLines(const QString& target, const QString& comments, const QString& code);

} // namespace verdane
