// A target, comments and code from outside, turned into the command lines of a chat send and the lines of WeeChat's
// pipe that carry them; the service name and WeeChat's irc.conf read from the same input.

#include "chat/ChatCommands.h"
#include "platform/linux/WeeChatLines.h"

#include "FuzzInput.h"
#include <algorithm>

using namespace verdane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Target, comments and code, separated by the unit separator.
    const QStringList parts = fuzz::text(data, size).split(QChar(0x1F));
    const QString target = parts.value(0);
    const QString comments = parts.value(1);
    const QString code = parts.mid(2).join(QChar(0x1F));

    const QStringList lines = chatCommandLines(target, comments, code);
    fuzz::require(lines.size() == 1 + (code.isEmpty() ? 0 : code.count("\r\n") + 1),
                  "one command for the comments and one for each line");
    const QString prefix = "/quote PRIVMSG " + target + " :";
    for (const QString& line : lines) {
        fuzz::require(line.startsWith(prefix), "every command is a message to the target");
        const QByteArray piped = weechat::pipeLine(weechat::serverBuffer(target), line);
        fuzz::require(piped.endsWith('\n') && piped.count('\n') == 1 && !piped.contains('\r') && !piped.contains('\0'),
                      "every command is one line of the pipe");
    }

    const weechat::Service service = weechat::parseService(code);
    fuzz::require(std::none_of(service.server.begin(), service.server.end(), [](QChar c) { return c.isSpace(); }),
                  "a server's name holds no blank");
    const weechat::ServerChoice choice = weechat::chooseServer(fuzz::bytes(data, size).toByteArray());
    fuzz::require(choice.server.isEmpty() || choice.candidates.contains(choice.server),
                  "the chosen server is one of the configuration's");
    return 0;
}
