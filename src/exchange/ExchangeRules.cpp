#include "exchange/ExchangeRules.h"

#include "exchange/ImportText.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace verdane {

QString nameRefusal(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("Please give the code snippet a name");
    if (name.size() > kSnippetNameLimit)
        return QStringLiteral("A snippet's name may hold at most %1 characters.").arg(kSnippetNameLimit);
    return {};
}

QString importedCode(QByteArrayView bytes) {
    return withWindowsLineBreaks(decodeImportedFile(bytes));
}

QString writeFileWhole(const QString& path, const QByteArray& bytes) {
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

} // namespace verdane
