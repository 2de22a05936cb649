// A sound cache file of the search, changed in random places or cut short: the search finds exactly what the
// database holds, from the file where it is sound and from the database where it is not, never anything else.
//
// Input: a first byte whose lowest bit cuts the file to the length the next four bytes give (modulo its size), then
// changes of five bytes each: where (four bytes: modulo the size, or with the highest bit set, counted from the end
// within the index that follows the text) and what to exclusive-or there (one byte).

#include "core/GroupNames.h"
#include "core/NewDatabase.h"
#include "core/SearchSegment.h"
#include "core/SnippetSearch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "FuzzInput.h"

using namespace verdane;

namespace {

QTemporaryDir* folder = nullptr;
QString cacheFile;
QByteArray soundFile;
QStringList expected;

QStringList searchAll() {
    SnippetSearch search(folder->filePath(kLibraryFileName), folder->filePath(kUserFileName), folder->filePath("c"));
    QStringList hits;
    for (const QString& needle : {"NEEDLE", "sub", "\u00e9t\u00e9", "x"}) {
        search.find(needle, [&](const SnippetSearch::Hit& hit) {
            hits << QString("%1 %2 %3 %4").arg(needle, hit.name, hit.ref.table).arg(hit.ref.record);
        });
    }
    return hits;
}

QString fill(const sqlite::Connection& db, const QStringList& tables) {
    for (const QString& table : tables) {
        createSnippetTable(db, table);
        for (int i = 0; i < 3; ++i) {
            sqlite::Statement insert = db.prepare(QString("INSERT INTO %1 VALUES (?, ?)").arg(table));
            insert.bind(1, QString("%1 %2").arg(table).arg(i));
            // Code over more than one of the cache's blocks, so that blocks can change places too.
            insert.bind(2, i == 1 ? QString(270000, 'x') + " needle"
                                  : QString("Sub S%1()\r\n  ' \u00c9t\u00e9 needle %1\r\nEnd Sub").arg(i));
            if (!insert.run())
                return insert.error();
        }
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    folder = new QTemporaryDir;
    const QString library = folder->filePath(kLibraryFileName);
    if (!writeDatabase(library, ExistingFile::Replace, [](auto& db) { return fill(db, groupNames()); }).isEmpty() ||
        !writeDatabase(folder->filePath(kUserFileName), ExistingFile::Replace, [](auto& db) {
             return fill(db, {kUserCodeTable});
         }).isEmpty())
        std::abort();
    expected = searchAll();
    cacheFile = SearchSegment::cacheFilePath(FileSegmentSource(library, {0, 1, 2, 3, 4, 5, 6}), folder->filePath("c"));
    QFile sound(cacheFile);
    fuzz::require(sound.open(QIODevice::ReadOnly), "the first search leaves a cache file");
    soundFile = sound.readAll();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = soundFile;
    auto number = [&](size_t at) { return qFromUnaligned<quint32>(data + at); };
    if (size >= 5 && (data[0] & 1))
        bytes.truncate(qsizetype(number(1) % quint32(bytes.size())));
    for (size_t at = 5; at + 5 <= size && !bytes.isEmpty(); at += 5) {
        const quint32 where = number(at), length = quint32(bytes.size());
        bytes[qsizetype(where & 0x80000000u ? length - 1 - (where & 0xFFFu) % length : where % length)] ^=
            char(data[at + 4]);
    }
    if (QFile file(cacheFile); !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
    fuzz::require(searchAll() == expected, "a search finds what the database holds, whatever its cache file");
    return 0;
}
