// Snippet names and chosen file names from outside, turned into the proposed file name, the class name and the
// class module header of an export.

#include "exchange/ExportFormat.h"
#include "exchange/Windows1252.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "FuzzInput.h"

using namespace verdane;

namespace {

bool isVbIdentifier(const QString& name) {
    return QRegularExpression(QRegularExpression::anchoredPattern("[A-Za-z][A-Za-z0-9_]{0,39}")).match(name).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = fuzz::text(data, size);

    const QString proposed = proposedFileName(name);
    fuzz::require(proposed.size() == name.size(), "each character is kept or replaced by one");
    fuzz::require(!proposed.startsWith('.') && !proposed.startsWith('~'),
                  "the proposed name is neither hidden nor in a home folder");
    for (const QChar c : proposed)
        fuzz::require(!QStringLiteral("/\\:*?\"<>|").contains(c) && c.category() != QChar::Other_Control,
                      "the proposed name holds no separator, wildcard, quote or control character");
    const QString folder = "/export";
    fuzz::require(proposed.isEmpty() || QFileInfo(QDir(folder).filePath(proposed)).path() == folder,
                  "the proposed file lands in the export folder");

    const QString fileName = name + ".cls";
    fuzz::require(isVbIdentifier(vbIdentifier(name)) && isVbIdentifier(className(fileName)),
                  "the class name is a VB identifier");
    const QByteArray header = classModuleHeader(className(fileName));
    fuzz::require(header.count("\r\n") == 9, "the class header is nine lines");

    // The code goes out whole, after a class header only where it has none, ended by one line break.
    const QByteArray file = exportFileBytes(fileName, name);
    const QByteArray code = windows1252::encode(name);
    const QByteArray before = startsWithClassHeader(name) ? QByteArray() : header;
    fuzz::require(file.startsWith(before + code) && file.endsWith("\r\n"), "header, code, line break");
    fuzz::require(file.size() == before.size() + code.size() + (name.endsWith("\r\n") ? 0 : 2), "no second line break");
    return 0;
}
