#include "platform/Registry.h"

namespace verdane {

namespace {
// Linux keeps no registry: every key is missing, so every lookup answers no.
class NoRegistry final : public Registry {
public:
    bool openKey(Root, const QString&, quint32, Key*) override { return false; }
    bool queryValue(Key, const QString&, int, quint32*, QByteArray*) override { return false; }
    void closeKey(Key) override {}
};
} // namespace

std::unique_ptr<Registry> createRegistry() {
    return std::make_unique<NoRegistry>();
}

} // namespace verdane
