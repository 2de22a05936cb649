#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

namespace verdane {

enum class Database { Library, User };

// The outcome of a store operation that can fail. The store never reports anything itself: the caller decides
// whether a failure is skipped, shown, or ends what it was doing.
struct StoreStatus {
    bool ok = true;
    QString error; // what could not be done, for the user; empty when ok

    static StoreStatus success() { return {}; }
    static StoreStatus failure(QString message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

struct SnippetLookup {
    enum class Outcome { Found, NotFound, Failed };
    Outcome outcome = Outcome::NotFound;
    QString code;  // the record's code when found
    QString error; // when failed
};

// The two snippet databases of a run and the record operations on them. Every lookup walks a table in record order
// (rowid order) and matches names exactly; the only write appends a record to the user's table. Neither a file nor a
// table is ever created: a missing file fails to open.
class SnippetStore final {
public:
    // Reads both files from dataDir. busyTimeoutMs is how long an operation waits for another process's lock.
    explicit SnippetStore(QString dataDir, int busyTimeoutMs = 5000);
    ~SnippetStore();
    SnippetStore(const SnippetStore&) = delete;
    SnippetStore& operator=(const SnippetStore&) = delete;

    QString dataDir() const { return m_dataDir; }
    QString filePath(Database db) const;

    // Closes both databases, then opens the library file and the user file. A file that cannot be opened leaves its
    // database unusable until the next reopen; each failure is returned, not reported.
    struct ReopenResult {
        StoreStatus library;
        StoreStatus user;
    };
    ReopenResult reopenDatabases();
    void closeDatabases();
    bool isOpen(Database db) const;

    // Walks the table in record order and hands each record's name to sink (a null name as the empty text). Returns
    // the failure that ended the walk, if any; names read before it have been handed over.
    StoreStatus listSnippetNames(Database db, const QString& table, const std::function<void(QString)>& sink);

    // The code of the first record, in record order, whose name equals name exactly (case-sensitive, whole text).
    // A null code in that record is a failure.
    SnippetLookup findSnippetCode(Database db, const QString& table, const QString& name);

    // Whether any record of the table has exactly this name. Failed when the table cannot be read.
    struct NameCheck {
        StoreStatus status;
        bool found = false;
    };
    NameCheck hasSnippetNamed(Database db, const QString& table, const QString& name);

    // Hands (name, code) of each record in record order to visit until it returns false. A null code reads as empty.
    StoreStatus scanSnippets(Database db, const QString& table,
                             const std::function<bool(const QString& name, const QString& code)>& visit);

    // The same walk, handing over the code as SQLite holds it, in UTF-8, without decoding it: for readers of every
    // snippet that can work on the bytes. The view is valid during the call only.
    StoreStatus scanSnippetBytes(Database db, const QString& table,
                                 const std::function<bool(const QString& name, QByteArrayView code)>& visit);

    // Appends a record to the user's table: name into its first column, code into its second.
    StoreStatus addUserSnippet(const QString& name, const QString& code);

    // Everything that tells whether the records may have changed: every reopen and every write of ours, commits
    // by other programs, and the files' size and time on disk. Caches built from the records compare it.
    struct Fingerprint {
        quint64 generation = 0;
        quint64 writes = 0;
        qint64 libraryVersion = -1;
        qint64 userVersion = -1;
        QString libraryFile;
        QString userFile;
        friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
    };
    Fingerprint fingerprint() const;

private:
    struct Connection;
    struct RowLookup;
    RowLookup firstRecordNamed(Connection& c, const QString& table, const QString& name, const QString& column);
    Connection& connection(Database db);
    const Connection& connection(Database db) const;

    QString m_dataDir;
    int m_busyTimeoutMs;
    quint64 m_generation = 0;
    quint64 m_writes = 0;
    std::unique_ptr<Connection> m_library;
    std::unique_ptr<Connection> m_user;
};

} // namespace verdane
