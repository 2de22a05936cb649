#pragma once

#include "core/SnippetRef.h"
#include "core/Status.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace verdane {

// A record's code, or nothing (with an ok status) when no such record is there. The store never reports anything
// itself: the caller decides whether a failure is skipped, shown, or ends what it was doing.
struct SnippetLookup {
    Status status;
    std::optional<QString> code;
};

// The two snippet databases of a run and the record operations on them. Records come in record order (rowid order)
// and names match exactly. Only the user's table is ever written: a record added, renamed, given new code, removed
// or put back. Neither a file nor a table is ever created: a missing file fails to open.
class SnippetStore final {
public:
    // Reads the library from libraryPath and the user's snippets from userPath. busyTimeoutMs is how long an operation
    // waits for another process's lock.
    SnippetStore(const QString& libraryPath, const QString& userPath, int busyTimeoutMs = 5000);
    // Reads both files from dataDir.
    explicit SnippetStore(const QString& dataDir, int busyTimeoutMs = 5000);
    ~SnippetStore();
    SnippetStore(const SnippetStore&) = delete;
    SnippetStore& operator=(const SnippetStore&) = delete;

    // How a file or table that cannot be read is reported, in the same words wherever it is met.
    static QString unopenedFile(const QString& fileName);
    static QString unreadableTable(const QString& fileName, const QString& table, const QString& reason);
    // How a change is refused because the record is no longer what the user was shown.
    static QString changedSinceShown(const QString& name);
    QString filePath(Database db) const;

    // Closes both databases, then opens the library file and the user file. A file that cannot be opened leaves its
    // database unusable until the next reopen; each failure is returned, not reported.
    struct ReopenResult {
        Status library;
        Status user;
    };
    ReopenResult reopenDatabases();
    void closeDatabases();
    bool isOpen(Database db) const;

    // Walks the table in record order and hands each record's number and name to sink (a null name as the empty
    // text). Returns the failure that ended the walk, if any; records read before it have been handed over.
    Status listSnippets(Database db, const QString& table,
                        const std::function<void(qint64 record, QString name)>& sink);
    Status listSnippetNames(Database db, const QString& table, const std::function<void(QString)>& sink);
    // The names as stored, in UTF-8 (a null name as empty), for readers that pass them on unchanged. Each view is
    // valid during its call only.
    Status listNameBytes(Database db, const QString& table, const std::function<void(QByteArrayView)>& sink);

    // The code of one record, provided it still bears the name it was shown under (a null name as the empty text):
    // a record removed or renamed since is not found. A null code is a failure.
    SnippetLookup readSnippet(const SnippetRef& ref, const QString& name);

    // The code of the first record, in record order, whose name equals name exactly (case-sensitive, whole text).
    // A null code in that record is a failure.
    SnippetLookup findSnippetCode(Database db, const QString& table, const QString& name);

    // Every record of the table with exactly this name, in record order.
    struct NamedRecords {
        Status status;
        QList<qint64> records;
    };
    NamedRecords recordsNamed(Database db, const QString& table, const QString& name);

    // Hands (record, name, code) of each record in record order to visit until it returns false. A null code reads
    // as empty.
    Status scanSnippets(Database db, const QString& table,
                        const std::function<bool(const QString& name, const QString& code)>& visit);

    // The same walk, handing over the code as SQLite holds it, in UTF-8, without decoding it: for readers of every
    // snippet that can work on the bytes. The view is valid during the call only.
    Status scanSnippetBytes(Database db, const QString& table,
                            const std::function<bool(qint64 record, const QString& name, QByteArrayView code)>& visit);

    // Appends a record to the user's table, unless the table already holds a snippet of that name (refused) or does
    // not begin with the columns CodeName and Code (a failure that says so). Check and write are one
    // transaction, so two programs importing the same name at once cannot both succeed. The new record's number goes to
    // *record.
    Status addUserSnippet(const QString& name, const QString& code, qint64* record = nullptr);

    // A record of the user's table as it was before a rename or a removal: what undoing it puts back. namesakes
    // counts the other records that bore its name then (User Code may hold several of one name, from before names
    // were checked); undo puts the name back beside those, never beside a record that took the name since.
    struct PriorSnippet {
        qint64 record = 0;
        QString name;
        QString code; // kept by a removal only
        int namesakes = 0;
    };

    // The changes of one user record. Each is one transaction that first checks that the record still is what the
    // user was shown: it bears shownName, and for a new code or a removal it holds shownCode too. A record changed or
    // removed since is refused with a message that says so, and nothing is written. Like addUserSnippet, they wait
    // for another program's lock for the busy timeout, and fail when it outlasts the wait.
    //
    // Gives the record newName, unless more than namesakes other records already bear it (refused): 0 for a name
    // the user chose, the prior namesakes for an undo.
    Status renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int namesakes = 0,
                             PriorSnippet* prior = nullptr);
    Status replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode, const QString& newCode);
    Status deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                             PriorSnippet* prior = nullptr);
    // Puts a removed record back: under its own record number, so in its old place, unless another record took
    // that number since (then it is appended). Refused when more records bear its name than did before. The
    // number it got goes to *record.
    Status restoreUserSnippet(const PriorSnippet& prior, qint64* record = nullptr);

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
    static QString userTableProblem(Connection& c);
    // Runs body as one write transaction on the user's file, taking the write lock first. failure begins the
    // message of a failure ("The snippet could not be stored"); body's own failures are made with it too.
    using WriteStep = std::function<Status(Connection& c, const std::function<Status(const QString& reason)>& fail)>;
    Status writeUserTable(const QString& failure, const WriteStep& body);
    Connection& connection(Database db);
    const Connection& connection(Database db) const;

    int m_busyTimeoutMs;
    quint64 m_generation = 0;
    quint64 m_writes = 0;
    std::unique_ptr<Connection> m_library;
    std::unique_ptr<Connection> m_user;
};

} // namespace verdane
