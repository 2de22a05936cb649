#pragma once

#include "platform/DefaultFolders.h"

#include <QString>

namespace verdane {

// One persisted setting: its key in the section "Settings" of the application "Verdane", and the text that a read
// yields while the key is absent (given, or asked of the system where it depends on it). A stored empty text reads
// back empty, not as the default.
struct SettingKey {
    const char* name;
    const char* defaultValue;
    QString (*systemDefault)() = nullptr;
};

namespace settings {
// Main window placement, in twips (15 to the pixel): read at start, written at close unless minimized.
inline constexpr SettingKey MainLeft{"MainLeft", "1000"};
inline constexpr SettingKey MainTop{"MainTop", "1000"};
inline constexpr SettingKey MainWidth{"MainWidth", "6500"};
inline constexpr SettingKey MainHeight{"MainHeight", "6500"};
// Start folder of the export's save dialog; read by every export, written by Options.
inline constexpr SettingKey DefFileExportDir{"DefFileExportDir", nullptr, &platform::defaultStartFolder};
// Names the chat client to talk to; written by Options.
inline constexpr SettingKey ChatServiceName{"mIRC Service Name", "mIRC"};
// The address of a team library on a PostgreSQL server, read instead of the two files; empty for the files. Written
// by Options, never with a password.
inline constexpr SettingKey LibraryServer{"LibraryServer", ""};
// Whether the code pane colours VB syntax.
inline constexpr SettingKey SyntaxHighlighting{"SyntaxHighlighting", "1"};

QString read(const SettingKey& key);
// False when the store could not be written.
bool write(const SettingKey& key, const QString& value);
bool contains(const SettingKey& key);
// The file that holds the settings of this user.
QString storeLocation();
} // namespace settings

} // namespace verdane
