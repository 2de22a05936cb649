#pragma once

#include "core/SnippetRef.h"
#include "core/Status.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace verdane {

class ChangeWatch;
class SegmentSource;

// A record's code, or nothing (with an ok status) when no such record is there. The store never reports anything
// itself: the caller decides whether a failure is skipped, shown, or ends what it was doing.
struct SnippetLookup {
    Status status;
    std::optional<QString> code;
};

// Where the snippets of a run are kept, and the record operations on them: the library's seven groups and the
// user's table. Everything the window, the terminal and the search do to snippets goes through it; the two SQLite
// files are one kind of store (SqliteStore), a team's server another (PostgresStore). Records come in record order
// and names match exactly. Only the user's table is ever written: a record added, renamed, given new code, removed
// or put back.
class SnippetStore {
public:
    virtual ~SnippetStore();

    // How a file or table that cannot be read is reported, in the same words wherever it is met.
    static QString unopenedFile(const QString& fileName, const QString& reason = {});
    static QString unreadableTable(const QString& fileName, const QString& table, const QString& reason);
    // How a change is refused because the record is no longer what the user was shown.
    static QString changedSinceShown(const QString& name);
    // How a name that User Code holds already is refused.
    static QString nameTaken(const QString& name);

    // Where a database's records are, as the user would name it: a file's path, or a server's address.
    virtual QString location(Database db) const = 0;

    // Closes both databases, then opens them again. A database that cannot be opened is unusable until the next
    // reopen; each failure is returned, not reported.
    struct ReopenResult {
        Status library;
        Status user;
    };
    virtual ReopenResult reopenDatabases() = 0;
    virtual void closeDatabases() = 0;
    virtual bool isOpen(Database db) const = 0;

    // Walks the table in record order and hands each record's number and name to sink (a null name as the empty
    // text). Returns the failure that ended the walk, if any; records read before it have been handed over.
    virtual Status listSnippets(Database db, const QString& table,
                                const std::function<void(qint64 record, QString name)>& sink) = 0;
    Status listSnippetNames(Database db, const QString& table, const std::function<void(QString)>& sink);
    // The names as stored, in UTF-8 (a null name as empty), for readers that pass them on unchanged. Each view is
    // valid during its call only.
    virtual Status listNameBytes(Database db, const QString& table,
                                 const std::function<void(QByteArrayView)>& sink) = 0;

    // The code of one record, provided it still bears the name it was shown under (a null name as the empty text):
    // a record removed or renamed since is not found. A null code reads as empty.
    virtual SnippetLookup readSnippet(const SnippetRef& ref, const QString& name) = 0;

    // The code of the first record, in record order, whose name equals name exactly (case-sensitive, whole text).
    // A null code in that record reads as empty.
    virtual SnippetLookup findSnippetCode(Database db, const QString& table, const QString& name) = 0;

    // Every record of the table with exactly this name (a null name as the empty text), in record order.
    struct NamedRecords {
        Status status;
        QList<qint64> records;
    };
    virtual NamedRecords recordsNamed(Database db, const QString& table, const QString& name) = 0;

    // Hands (name, code) of each record in record order to visit until it returns false. A null code reads as
    // empty.
    Status scanSnippets(Database db, const QString& table,
                        const std::function<bool(const QString& name, const QString& code)>& visit);

    // The same walk, handing over the code as stored, in UTF-8, without decoding it: for readers of every snippet
    // that can work on the bytes. The view is valid during the call only.
    virtual Status
    scanSnippetBytes(Database db, const QString& table,
                     const std::function<bool(qint64 record, const QString& name, QByteArrayView code)>& visit) = 0;

    // Appends a record to the user's table, unless the table already holds a snippet of that name (refused): even
    // when two programs add the same name at once, only one succeeds. The new record's number goes to *record.
    virtual Status addUserSnippet(const QString& name, const QString& code, qint64* record = nullptr) = 0;

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
    // removed since is refused with a message that says so, and nothing is written.
    //
    // Gives the record newName, unless more than namesakes other records already bear it (refused): 0 for a name
    // the user chose, the prior namesakes for an undo.
    virtual Status renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int namesakes = 0,
                                     PriorSnippet* prior = nullptr) = 0;
    virtual Status replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode,
                                   const QString& newCode) = 0;
    virtual Status deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                                     PriorSnippet* prior = nullptr) = 0;
    // Puts a removed record back: under its own record number, so in its old place, unless another record took
    // that number since (then it is appended). Refused when more records bear its name than did before. The
    // number it got goes to *record.
    virtual Status restoreUserSnippet(const PriorSnippet& prior, qint64* record = nullptr) = 0;

    // What the search reads, one source for each set of tables that changes on its own (see SearchSegment), in
    // search order.
    virtual std::vector<std::unique_ptr<SegmentSource>> searchSources() const = 0;

    // Tells when other programs change the records, where the store can hear of it; null where it cannot. Made on
    // the first call, on the calling thread, whose event loop then runs it; the store keeps it.
    virtual ChangeWatch* watchChanges() { return nullptr; }
};

} // namespace verdane
