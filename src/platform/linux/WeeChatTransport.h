#pragma once

#include "platform/ChatTransport.h"

#include <QStringList>

namespace verdane {

namespace weechat {
struct ServerChoice;
}

// Talks to WeeChat through the pipe of its fifo plugin, which runs every line written to it. Each text runs on the
// buffer of an IRC server named in the line, so that a send works whatever buffer the user looks at. The service
// name (see weechat::parseService) may name the pipe, the server or both; what it leaves out is found: the pipe of a
// running WeeChat, the server of WeeChat's own configuration. Every error is a sentence for the user saying what
// to do.
class WeeChatTransport final : public ChatTransport {
public:
    WeeChatTransport();
    ~WeeChatTransport() override;

    void closeAny() override;
    void setLink(int timeoutMs, const QString& service, const QString& topic) override;
    bool open() override;
    bool poke(const QString& text) override;
    void close() override;
    QString error() const override { return m_error; }

    // The pipe of a running WeeChat: weechat_fifo_<pid> of a live WeeChat process in WeeChat's runtime folders, in
    // the order WeeChat itself would choose them. Empty when there is none.
    static QString findPipe();
    static QStringList runtimeFolders();
    // The irc.conf of the WeeChat whose pipe this is: beside the pipe (a WeeChat started with --dir or WEECHAT_HOME),
    // else in the user's configuration folders. Empty when there is none.
    static QString configFile(const QString& pipe);

private:
    bool fail(const QString& error);
    // Why a pipe named in the service name cannot be used; empty when it is a pipe.
    static QString pipeProblem(const QString& pipe);
    static QString serverProblem(const weechat::ServerChoice& choice);

    int m_fd = -1;
    int m_timeoutMs = 3000;
    QString m_service;
    QString m_buffer;
    QString m_error;
};

} // namespace verdane
