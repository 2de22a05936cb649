#include "exchange/ImportReader.h"

#include "exchange/ExchangeRules.h"
#include "platform/FileSystem.h"

#include <QFile>
#include <QLocale>

namespace verdane {

namespace {

using Outcome = ImportInput::Outcome;

ImportInput refused(Outcome outcome, const QString& problem) {
    return {outcome, {}, outcome == Outcome::Failed ? Status::failed(problem) : Status::refused(problem)};
}

QString sizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

QString tooLarge(const QString& what, qint64 limit) {
    return QStringLiteral("%1 holds more than %2, the most a snippet may hold.").arg(what, sizeText(limit));
}

// Reads until the end or one byte past the limit, whichever comes first: an endless stream costs no more memory
// than the limit.
ImportInput readUpTo(QIODevice& device, const QString& what, qint64 limit, qint64 expected) {
    QByteArray bytes;
    bytes.reserve(qMin(expected, limit) + 1);
    constexpr qint64 kChunk = 1 << 20;
    while (bytes.size() <= limit) {
        const qsizetype had = bytes.size();
        const qint64 want = qMin(kChunk, limit + 1 - had);
        bytes.resize(had + want);
        const qint64 got = device.read(bytes.data() + had, want);
        if (got < 0)
            return refused(Outcome::Failed,
                           QStringLiteral("%1 could not be read: %2.").arg(what, device.errorString()));
        bytes.resize(had + got);
        if (got == 0)
            break;
    }
    if (bytes.size() > limit)
        return refused(Outcome::TooLarge, tooLarge(what, limit));
    if (bytes.isEmpty())
        return refused(Outcome::Empty, kZeroLengthRefusal);
    return {Outcome::Read, bytes, {}};
}

// Why what a path names cannot be imported; empty when it is a regular file of a size that can be.
ImportInput refusalFor(const filesystem::Facts& facts, const QString& path, qint64 limit) {
    const QString file = QStringLiteral("The file %1").arg(path);
    switch (facts.kind) {
    case filesystem::Kind::Regular:
        if (facts.size > limit)
            return refused(Outcome::TooLarge, tooLarge(file, limit));
        if (facts.size == 0)
            return refused(Outcome::Empty, kZeroLengthRefusal);
        return {};
    case filesystem::Kind::Missing:
        return refused(Outcome::Missing, QStringLiteral("The file %1 does not exist.").arg(path));
    case filesystem::Kind::Folder:
        return refused(Outcome::Folder, QStringLiteral("%1 is a folder, not a file.").arg(path));
    case filesystem::Kind::Other:
        if (!facts.error.isEmpty())
            return refused(Outcome::Failed, QStringLiteral("%1 could not be read: %2.").arg(file, facts.error));
        break;
    case filesystem::Kind::Pipe:
    case filesystem::Kind::Device:
    case filesystem::Kind::Socket:
    case filesystem::Kind::Link:
        break;
    }
    return refused(Outcome::NotRegular, QStringLiteral("%1 is %2, not a file: only files can be imported.")
                                            .arg(path, filesystem::kindText(facts.kind)));
}

} // namespace

ImportInput readImportFile(const QString& path, qint64 limit) {
    if (path.isEmpty())
        return refused(Outcome::NoPath, QStringLiteral("Please choose the file to import."));
    // Looked at before it is opened: opening a device can do something, and a pipe waits for a writer.
    if (ImportInput refusal = refusalFor(filesystem::facts(path), path, limit); !refusal.read())
        return refusal;
    // The path may name something else by now: what counts is what was opened (a file that failed to open tells
    // why through its facts).
    const filesystem::OpenedFile opened = filesystem::openForReading(path);
    QFile file;
    if (opened.fd >= 0)
        file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (ImportInput refusal = refusalFor(opened.facts, path, limit); !refusal.read())
        return refusal;
    return readUpTo(file, QStringLiteral("The file %1").arg(path), limit, opened.facts.size);
}

ImportInput readImportStream(QIODevice& stream, const QString& name, qint64 limit) {
    return readUpTo(stream, name, limit, 0);
}

Status checkStoredSize(const QString& code, const QString& what, qint64 limit) {
    // Quick where it cannot be too large; otherwise counted as Windows-1252 counts it, a character outside the BMP
    // (two UTF-16 units) as one byte.
    if (code.size() + 2 <= limit)
        return Status::ok();
    qint64 bytes = code.size() + (code.endsWith(QLatin1String("\r\n")) ? 0 : 2);
    for (qsizetype i = 0; i + 1 < code.size() && bytes > limit; ++i) {
        if (code[i].isHighSurrogate() && code[i + 1].isLowSurrogate())
            --bytes;
    }
    if (bytes <= limit)
        return Status::ok();
    return Status::refused(QStringLiteral("%1 holds more than %2 once its line breaks are CR LF, the most a snippet "
                                          "may hold.")
                               .arg(what, sizeText(limit)));
}

} // namespace verdane
