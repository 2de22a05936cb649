// Any file where a database is expected, opened and read through the store as the program reads it. Nothing is
// written to it.

#include "core/GroupNames.h"
#include "core/SnippetRef.h"
#include "core/SqliteStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzInput.h"

using namespace verdane;

namespace {
QTemporaryDir* folder = nullptr;

void writeBoth(QByteArrayView bytes) {
    // What SQLite left beside a file of an earlier input would be read with this one.
    for (const QString& left : QDir(folder->path()).entryList(QDir::Files))
        QFile::remove(folder->filePath(left));
    for (const QString& name : {kLibraryFileName, kUserFileName}) {
        QFile file(folder->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The SQL driver is a plugin, loaded through the application.
    new QCoreApplication(*argc, *argv);
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeBoth(fuzz::bytes(data, size));
    SqliteStore store(folder->path(), 0);
    const SnippetStore::ReopenResult opened = store.reopenDatabases();
    fuzz::require(bool(opened.library) == store.isOpen(Database::Library), "a database is open when it opened");
    fuzz::require(opened.library || !opened.library.message().isEmpty(), "a failure says why");
    const QString name = "x";
    for (int t = 0; t < snippetTableCount(); ++t) {
        const auto [db, table, none] = snippetTable(t);
        int names = 0;
        const Status listed = store.listSnippetNames(db, table, [&](const QString&) { ++names; });
        fuzz::require(listed || !listed.message().isEmpty(), "a failed walk says why");
        store.findSnippetCode(db, table, name);
        for (const qint64 record : store.recordsNamed(db, table, name).records)
            store.readSnippet({db, table, record}, name);
        int scanned = 0;
        store.scanSnippets(db, table, [&](const QString&, const QString&) { return ++scanned < 100; });
        store.scanSnippetBytes(db, table, [&](qint64, const QString&, QByteArrayView) { return true; });
    }
    return 0;
}
