#include "platform/linux/WeeChatLines.h"

#include <QDir>

#include <algorithm>

namespace verdane::weechat {

Service parseService(const QString& text) {
    const QString trimmed = text.trimmed();
    auto isPath = [](const QString& t) { return t.startsWith(QLatin1Char('/')) || t.startsWith(QLatin1String("~/")); };
    auto expanded = [](const QString& path) {
        return path.startsWith(QLatin1Char('~')) ? QDir::homePath() + path.mid(1) : path;
    };
    if (trimmed.isEmpty() || isPath(trimmed))
        return {{}, expanded(trimmed)};
    const auto blank = std::find_if(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isSpace(); });
    const qsizetype space = blank - trimmed.begin();
    if (blank == trimmed.end())
        return {trimmed, {}};
    return {trimmed.left(space), expanded(trimmed.mid(space + 1).trimmed())};
}

QString serverBuffer(const QString& server) {
    return QStringLiteral("irc.server.") + server;
}

QByteArray pipeLine(const QString& buffer, const QString& text) {
    QByteArray line = (buffer.isEmpty() ? QString() : buffer + QLatin1Char(' ')).toUtf8() + '*' + text.toUtf8();
    for (char& c : line) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return line + '\n';
}

ServerChoice chooseServer(const QByteArray& ircConf) {
    QStringList servers;
    QStringList connecting;
    QStringList inheriting; // autoconnect left to the default of all servers
    bool connectsByDefault = false;
    QByteArray section;
    for (const QByteArray& raw : ircConf.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            section = line;
            continue;
        }
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        const QByteArray option = (equals < 0 ? line : line.left(equals)).trimmed();
        const bool on = equals >= 0 && line.mid(equals + 1).trimmed() == "on";
        if (section == "[server_default]" && option == "autoconnect") {
            connectsByDefault = on;
        } else if (section == "[server]") {
            // Options are "server.option"; a server's name may hold dots itself, an option's never does.
            const qsizetype dot = option.lastIndexOf('.');
            if (dot <= 0)
                continue;
            const QString name = QString::fromUtf8(option.left(dot));
            if (!servers.contains(name))
                servers << name;
            if (option.mid(dot + 1) != "autoconnect")
                continue;
            if (equals < 0)
                inheriting << name;
            else if (on)
                connecting << name;
        }
    }
    if (connectsByDefault)
        connecting += inheriting;
    if (servers.size() == 1)
        return {servers[0], servers};
    if (connecting.size() == 1)
        return {connecting[0], servers};
    return {{}, servers};
}

} // namespace verdane::weechat
