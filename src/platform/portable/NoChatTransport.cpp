#include "platform/ChatTransport.h"

namespace verdane {

namespace {

// For a system without a chat client Verdane can talk to: every send says so, and nothing is sent.
class NoChatTransport final : public ChatTransport {
public:
    void closeAny() override {}
    void setLink(int, const QString&, const QString&) override {}
    bool open() override { return false; }
    bool poke(const QString&) override { return false; }
    void close() override {}
    QString error() const override {
        return QStringLiteral("This build of Verdane cannot reach a chat client on this system.");
    }
};

} // namespace

std::unique_ptr<ChatTransport> createChatTransport() {
    return std::make_unique<NoChatTransport>();
}

} // namespace verdane
