#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace verdane {

// The system's registry of settings, as the System Information lookup reads it: open a key, query one value into
// a buffer of a given size, close the key. Systems without a registry have no keys at all.
class Registry {
public:
    enum class Root { LocalMachine, CurrentUser };
    static constexpr quint32 kStringType = 1; // REG_SZ
    using Key = quintptr;

    virtual ~Registry() = default;
    virtual bool openKey(Root root, const QString& path, quint32 access, Key* key) = 0;
    // Fills data with at most capacity bytes of the value; type tells what kind of value it is.
    virtual bool queryValue(Key key, const QString& name, int capacity, quint32* type, QByteArray* data) = 0;
    virtual void closeKey(Key key) = 0;
};

// The registry of this platform.
std::unique_ptr<Registry> createRegistry();

} // namespace verdane
