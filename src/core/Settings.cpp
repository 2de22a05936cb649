#include "core/Settings.h"

#include <QSettings>

namespace verdane::settings {

namespace {

QString fullKey(const SettingKey& key) {
    return QStringLiteral("Settings/") + QString::fromLatin1(key.name);
}

QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Verdane"),
                     QStringLiteral("Verdane"));
}

} // namespace

QString read(const SettingKey& key) {
    const QSettings s = store();
    const QString name = fullKey(key);
    if (!s.contains(name))
        return key.systemDefault ? key.systemDefault() : QString::fromLatin1(key.defaultValue);
    const QVariant value = s.value(name);
    return value.toString();
}

bool write(const SettingKey& key, const QString& value) {
    QSettings s = store();
    s.setValue(fullKey(key), value);
    s.sync();
    return s.status() == QSettings::NoError;
}

bool contains(const SettingKey& key) {
    return store().contains(fullKey(key));
}

QString storeLocation() {
    return store().fileName();
}

} // namespace verdane::settings
