#include "ui/settings/SystemInfo.h"

#include <QDir>
#include <QStandardPaths>

namespace verdane {

namespace {
constexpr quint32 kAllAccess = 0x2003F; // KEY_ALL_ACCESS, as the lookup always asked
constexpr int kValueBuffer = 1024;
} // namespace

bool GetKeyValue(Registry& registry, Registry::Root root, const QString& keyPath, const QString& valueName,
                 QString* text) {
    text->clear();
    Registry::Key key = 0;
    if (!registry.openKey(root, keyPath, kAllAccess, &key))
        return false;
    quint32 type = 0;
    QByteArray data;
    const bool found = registry.queryValue(key, valueName, kValueBuffer, &type, &data);
    if (found) {
        if (data.endsWith('\0'))
            data.chop(1);
        if (type == Registry::kStringType)
            *text = QString::fromLocal8Bit(data);
    }
    registry.closeKey(key);
    return found;
}

bool StartSysInfo(Registry& registry, const SystemInfoPlaces& places) {
    QString value;
    if (GetKeyValue(registry, Registry::Root::LocalMachine, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), &value))
        return places.startDetached(value);
    if (GetKeyValue(registry, Registry::Root::LocalMachine,
                    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"), &value)) {
        const QString program = QDir(value).filePath(QStringLiteral("MSINFO32.EXE"));
        return places.fileExists(program) && places.startDetached(program);
    }
    for (const QString& alternative : places.alternatives) {
        const QString program = QStandardPaths::findExecutable(alternative);
        if (!program.isEmpty())
            return places.startDetached(program);
    }
    return false;
}

} // namespace verdane
