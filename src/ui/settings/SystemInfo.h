#pragma once

#include "platform/Registry.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace verdane {

// Reads one registry value as text: open the key, query the value into 1024 bytes, keep the bytes returned less a
// final NUL, take them as text for a string value, close the key on every path. No for a missing key or value;
// yes for every type once the query succeeded (a value of another type leaves text empty).
bool GetKeyValue(Registry& registry, Registry::Root root, const QString& keyPath, const QString& valueName,
                 QString* text);

// Where System Information is found and how it is started.
struct SystemInfoPlaces {
    std::function<bool(const QString& path)> fileExists;
    std::function<bool(const QString& program)> startDetached;
    // The programs that stand in for it on systems without one, in order of preference; looked up on the PATH.
    QStringList alternatives{QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
                             QStringLiteral("gnome-system-monitor")};
};

// Finds and starts the System Information program: the path the registry names, or MSINFO32.EXE in the folder it
// names, or else the first of the alternatives on the PATH. False when nothing could be started.
bool StartSysInfo(Registry& registry, const SystemInfoPlaces& places);

} // namespace verdane
