// Bytes of an imported file, decoded into the text the program stores and written out again in Windows-1252.

#include "exchange/ExchangeRules.h"
#include "exchange/ImportText.h"
#include "exchange/Windows1252.h"

#include "FuzzInput.h"

using namespace verdane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input = fuzz::bytes(data, size);
    const QString code = importedCode(input);
    fuzz::require(code == withWindowsLineBreaks(decodeImportedFile(input)), "imported code is the decoded text");
    fuzz::require(withWindowsLineBreaks(code) == code, "every line feed already has its carriage return");
    // The export writes one "?" for each character the code page cannot hold, and the loss box counts the same.
    const windows1252::Unencodable lost = windows1252::unencodable(code);
    const QByteArray encoded = windows1252::encode(code);
    fuzz::require(encoded.count('?') == code.count(QLatin1Char('?')) + lost.count, "every lost character is one ?");
    fuzz::require((lost.count == 0) == checkWindows1252(code).isOk(), "the loss is told when there is one");
    fuzz::require(windows1252::decode(encoded).size() == encoded.size(), "every byte decodes to one character");
    return 0;
}
