#include "platform/SystemInformation.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <windows.h>

namespace verdane::platform {

namespace {

// One string value of the machine's registry, or an empty text when the key or value is missing. A value of another
// type counts as found, with no text: starting it then fails, as it should.
bool readMachineString(const wchar_t* keyPath, const wchar_t* valueName, QString* text) {
    text->clear();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    const bool found =
        RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    if (found && type == REG_SZ) {
        qsizetype length = qsizetype(size / sizeof(wchar_t));
        if (length > 0 && buffer[length - 1] == L'\0')
            --length;
        *text = QString::fromWCharArray(buffer, length);
    }
    RegCloseKey(key);
    return found;
}

} // namespace

bool startSystemInformation() {
    // Windows says where its System Information program is: its full path, or else the folder that holds it.
    QString value;
    if (readMachineString(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", &value))
        return QProcess::startDetached(value, {});
    if (readMachineString(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", &value)) {
        const QString program = QDir(value).filePath(QStringLiteral("MSINFO32.EXE"));
        return QFileInfo::exists(program) && QProcess::startDetached(program, {});
    }
    return false;
}

} // namespace verdane::platform
