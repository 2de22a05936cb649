#pragma once

// The texts of a conversation with WeeChat through its fifo pipe, without the pipe: what is written to it, what the
// service-name setting says, and which IRC server WeeChat's configuration names.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace verdane::weechat {

// The service-name setting read for WeeChat: the path of WeeChat's fifo pipe (it begins with "/" or "~/"), the name
// of one of WeeChat's IRC servers (as /server list shows it), or both, the name first and a space between
// ("libera /run/user/1000/weechat/weechat_fifo_4242"). Whatever is not given is found by the transport.
struct Service {
    QString server;
    QString pipe;
};
Service parseService(const QString& text);

// The name WeeChat's fifo plugin knows the buffer of an IRC server by.
QString serverBuffer(const QString& server);

// One line of the pipe: buffer, a space and "*" + text, which WeeChat runs on that buffer as if typed there, whatever
// buffer the user looks at (text alone on the current buffer when buffer is empty). CR, LF and NUL would end the
// line early and let the rest run as commands of its own, so each becomes a space.
QByteArray pipeLine(const QString& buffer, const QString& text);

// The IRC server to send through, as WeeChat's irc.conf names its servers: the only one, or else the only one that
// connects at start. Empty, with the servers to choose from in candidates, when the file does not settle it.
struct ServerChoice {
    QString server;
    QStringList candidates;
};
ServerChoice chooseServer(const QByteArray& ircConf);

} // namespace verdane::weechat
