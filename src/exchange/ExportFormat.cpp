#include "exchange/ExportFormat.h"

#include "exchange/Windows1252.h"

#include <QDir>

namespace verdane {

bool isClassModuleName(const QString& fileName) {
    return fileName.toLower().contains(QLatin1String(".cls"));
}

QString className(const QString& fileName) {
    return fileName.section(QLatin1Char('.'), 0, 0);
}

QByteArray classModuleHeader(const QString& className) {
    const QString header = QStringLiteral("VERSION 1.0 CLASS\r\n"
                                          "BEGIN\r\n"
                                          "  MultiUse = -1  'True\r\n"
                                          "End\r\n"
                                          "Attribute VB_Name = \"%1\"\r\n"
                                          "Attribute VB_GlobalNameSpace = False\r\n"
                                          "Attribute VB_Creatable = True\r\n"
                                          "Attribute VB_PredeclaredId = False\r\n"
                                          "Attribute VB_Exposed = False\r\n")
                               .arg(className);
    return windows1252::encode(header);
}

QByteArray exportFileBytes(const QString& fileName, const QString& code) {
    QByteArray bytes;
    if (isClassModuleName(fileName))
        bytes = classModuleHeader(className(fileName));
    bytes += windows1252::encode(code);
    bytes += "\r\n";
    return bytes;
}

QString exportStartDirectory(const QString& stored, const QString& homeDirectory) {
    if (stored.isEmpty())
        return {};
    return QDir(stored).exists() ? stored : homeDirectory;
}

} // namespace verdane
