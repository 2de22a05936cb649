#include "exchange/ExchangeRules.h"

#include "exchange/ImportText.h"
#include "exchange/Windows1252.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace verdane {

Status checkName(const QString& name) {
    if (name.isEmpty())
        return Status::refused(QStringLiteral("Please give the code snippet a name"));
    if (name.size() > kSnippetNameLimit)
        return Status::refused(
            QStringLiteral("A snippet's name may hold at most %1 characters.").arg(kSnippetNameLimit));
    // A name is one line of the tree and of the terminal's lists: a line break would make it two, and an escape
    // sequence would reach the terminal.
    const bool control = std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
               c.category() == QChar::Separator_Paragraph;
    });
    if (control)
        return Status::refused(
            QStringLiteral("A snippet's name may not hold line breaks, tabs or other control characters."));
    return Status::ok();
}

Status checkWindows1252(const QString& code) {
    const windows1252::Unencodable lost = windows1252::unencodable(code);
    if (lost.count == 0)
        return Status::ok();
    const char32_t point = lost.first.size() == 2 ? QChar::surrogateToUcs4(lost.first[0], lost.first[1])
                                                  : char32_t(lost.first[0].unicode());
    const QString count = lost.count == 1 ? QStringLiteral("1 character of the code cannot")
                                          : QStringLiteral("%1 characters of the code cannot").arg(lost.count);
    return Status::refused(
        QStringLiteral("%1 be written in Windows-1252, the code page of VB source files; the first is \"%2\" (U+%3).")
            .arg(count, lost.first, QString::number(point, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
}

QString importedCode(QByteArrayView bytes) {
    return withWindowsLineBreaks(decodeImportedFile(bytes));
}

namespace {
// Why the file could not be written; empty when it was.
QString writeWhole(const QString& path, const QByteArray& bytes) {
    const filesystem::Facts old = filesystem::facts(path);
    if (old.kind == filesystem::Kind::Folder)
        return QStringLiteral("it is a folder");
    if (old.kind != filesystem::Kind::Missing && old.kind != filesystem::Kind::Regular)
        return old.error.isEmpty()
                   ? QStringLiteral("it is %1, not a file, and was left as it is").arg(filesystem::kindText(old.kind))
                   : old.error;
    const QFileInfo target(path);
    if (!target.dir().exists())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(target.path()));
    const bool exists = old.kind == filesystem::Kind::Regular;
    // A file nobody may write to is one the user marked read-only: it is not replaced, whoever runs the program.
    const QFileDevice::Permissions writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (exists && !(target.permissions() & writable))
        return QStringLiteral("the file is read-only");
    // A new file in place of a hard-linked one would part it from its other names: it is written over instead.
    if (exists && old.links > 1)
        return filesystem::overwriteInPlace(path, bytes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // A folder the user may not add files to can still hold a file the user may write.
        return exists ? filesystem::overwriteInPlace(path, bytes) : file.errorString();
    }
    // The new file keeps the old one's owner and permissions; where it cannot, the old file is written over.
    if (exists && !filesystem::takeOver(int(file.handle()), old)) {
        file.cancelWriting();
        return filesystem::overwriteInPlace(path, bytes);
    }
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace

Status writeFileWhole(const QString& path, const QByteArray& bytes) {
    const QString reason = writeWhole(path, bytes);
    return reason.isEmpty() ? Status::ok() : Status::failed(reason);
}

} // namespace verdane
