#pragma once

#include "platform/ChatTransport.h"

#include <QStringList>

namespace verdane {

// Talks to WeeChat through the pipe of its fifo plugin, which runs every line written to it: "*" + text runs text
// in WeeChat's current buffer, as if typed there.
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

    // The pipe of a running WeeChat: service itself when it names a pipe, else weechat_fifo_<pid> of a live process
    // in WeeChat's runtime folders, in the order WeeChat itself would choose them. Empty when there is none.
    static QString findPipe(const QString& service);
    static QStringList runtimeFolders();
    // A text as one line of the pipe: CR, LF and NUL would end the line early and let the rest run as commands of
    // its own, so each becomes a space.
    static QByteArray pipeLine(const QString& text);

private:
    int m_fd = -1;
    int m_timeoutMs = 3000;
    QString m_service;
    QString m_error;
};

} // namespace verdane
