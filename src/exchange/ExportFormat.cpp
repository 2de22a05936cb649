#include "exchange/ExportFormat.h"

#include "exchange/Windows1252.h"

#include <QDir>

namespace verdane {

bool isClassModuleName(const QString& fileName) {
    return fileName.toLower().contains(QLatin1String(".cls"));
}

QString vbIdentifier(const QString& name) {
    constexpr qsizetype kLongest = 40;
    auto isAsciiLetter = [](QChar c) { return c.isLetter() && c.unicode() < 0x80; };
    QString identifier;
    for (qsizetype i = 0; i < name.size() && identifier.size() <= kLongest; ++i) {
        const QChar c = name[i];
        const bool kept = isAsciiLetter(c) || (c.isDigit() && c.unicode() < 0x80) || c == QLatin1Char('_');
        identifier += kept ? c : QLatin1Char('_');
        // A character outside the BMP is one character, so one "_".
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i;
    }
    if (identifier.isEmpty())
        return QStringLiteral("Class1");
    if (!isAsciiLetter(identifier[0]))
        identifier.prepend(QLatin1Char('C'));
    return identifier.left(kLongest);
}

QString className(const QString& fileName) {
    return vbIdentifier(fileName.section(QLatin1Char('.'), 0, 0));
}

QString proposedFileName(const QString& snippetName) {
    QString name = snippetName;
    const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name) {
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    for (QChar& c : name) {
        if (c != QLatin1Char('.') && c != QLatin1Char('~'))
            break;
        c = QLatin1Char('_');
    }
    return name;
}

bool startsWithClassHeader(const QString& code) {
    const QString header = QStringLiteral("VERSION 1.0 CLASS");
    const QChar after = code.size() > header.size() ? code[header.size()] : QChar(u'\n');
    return code.startsWith(header, Qt::CaseInsensitive) && after.isSpace();
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
    if (isClassModuleName(fileName) && !startsWithClassHeader(code))
        bytes = classModuleHeader(className(fileName));
    bytes += windows1252::encode(code);
    if (!code.endsWith(QStringLiteral("\r\n")))
        bytes += "\r\n";
    return bytes;
}

QString exportStartDirectory(const QString& stored, const QString& homeDirectory) {
    if (stored.isEmpty())
        return {};
    return QDir(stored).exists() ? stored : homeDirectory;
}

} // namespace verdane
