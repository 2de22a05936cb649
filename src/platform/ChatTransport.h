#pragma once

#include <QString>

#include <memory>

namespace verdane {

// A conversation with the chat client running beside the program, which executes each text it is handed as if the
// user had typed it. The operations come in the order of a send: close what an earlier send left open, set the
// time-out and the topic, open, hand over one text after the other, close. Each that can fail says why in error(),
// as the sentence the user is shown: which client could not be reached and what the user can do about it (a DDE
// transport says "There has been a DDE error contacting mIRC.").
class ChatTransport {
public:
    virtual ~ChatTransport() = default;

    virtual void closeAny() = 0;
    // service names the client to talk to (where it is found is the implementation's business); empty: any.
    virtual void setLink(int timeoutMs, const QString& service, const QString& topic) = 0;
    virtual bool open() = 0;
    // Hands over one text, which the client runs as one command, never more.
    virtual bool poke(const QString& text) = 0;
    virtual void close() = 0;
    virtual QString error() const = 0;
};

// The transport of this platform.
std::unique_ptr<ChatTransport> createChatTransport();

} // namespace verdane
