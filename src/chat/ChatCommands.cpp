#include "chat/ChatCommands.h"

namespace verdane {

QStringList chatCommandLines(const QString& target, const QString& comments, const QString& code) {
    // A raw PRIVMSG, as /quote sends it: the client's own /msg drops the blanks a line begins with, and with them
    // the code's indentation. The text after the colon goes out as it is.
    const QString prefix = QStringLiteral("/quote PRIVMSG ") + target + QStringLiteral(" :");
    QStringList lines{prefix + comments};
    if (code.isEmpty())
        return lines;
    const QString lineEnd = QStringLiteral("\r\n");
    qsizetype start = 0;
    while (true) {
        const qsizetype end = code.indexOf(lineEnd, start);
        if (end < 0) {
            lines << prefix + code.mid(start);
            break;
        }
        lines << prefix + code.mid(start, end - start);
        start = end + lineEnd.size();
    }
    return lines;
}

} // namespace verdane
