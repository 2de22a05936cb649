#include "exchange/ExchangeRules.h"

#include "exchange/ImportText.h"

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
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("it is a folder");
    if (!target.dir().exists())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(target.path()));
    // A file nobody may write to is one the user marked read-only: it is not replaced, whoever runs the program.
    const QFileDevice::Permissions writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (target.exists() && !(target.permissions() & writable))
        return QStringLiteral("the file is read-only");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace verdane
