#pragma once

#include "core/SnippetStore.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

namespace verdane {

// The snippets in two SQLite files: the library's groups in one, the user's table in the other. Records are in
// rowid order. Neither a file nor a table is ever created: a missing file fails to open.
class SqliteStore final : public SnippetStore {
public:
    // Reads the library from libraryPath and the user's snippets from userPath. busyTimeoutMs is how long an operation
    // waits for another process's lock.
    SqliteStore(const QString& libraryPath, const QString& userPath, int busyTimeoutMs = 5000);
    // Reads both files from dataDir.
    explicit SqliteStore(const QString& dataDir, int busyTimeoutMs = 5000);
    ~SqliteStore() override;
    SqliteStore(const SqliteStore&) = delete;
    SqliteStore& operator=(const SqliteStore&) = delete;

    QString filePath(Database db) const;
    QString location(Database db) const override { return filePath(db); }

    // Closes both databases, then opens the library file and the user file.
    ReopenResult reopenDatabases() override;
    void closeDatabases() override;
    bool isOpen(Database db) const override;

    Status listSnippets(Database db, const QString& table,
                        const std::function<void(qint64 record, QString name)>& sink) override;
    Status listNameBytes(Database db, const QString& table, const std::function<void(QByteArrayView)>& sink) override;
    SnippetLookup readSnippet(const SnippetRef& ref, const QString& name) override;
    SnippetLookup findSnippetCode(Database db, const QString& table, const QString& name) override;
    NamedRecords recordsNamed(Database db, const QString& table, const QString& name) override;
    Status scanSnippetBytes(
        Database db, const QString& table,
        const std::function<bool(qint64 record, const QString& name, QByteArrayView code)>& visit) override;

    // Adding a record is refused also when the table does not begin with the columns CodeName and Code (a failure
    // that says so). Check and write are one transaction, so two programs importing the same name at once cannot
    // both succeed. Like the changes below, it waits for another program's lock for the busy timeout, and fails
    // when it outlasts the wait.
    Status addUserSnippet(const QString& name, const QString& code, qint64* record = nullptr) override;
    Status renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int namesakes = 0,
                             PriorSnippet* prior = nullptr) override;
    Status replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode,
                           const QString& newCode) override;
    Status deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                             PriorSnippet* prior = nullptr) override;
    Status restoreUserSnippet(const PriorSnippet& prior, qint64* record = nullptr) override;

    // The library file's groups, then the user's file; each cache is believed while its file is unchanged.
    std::vector<std::unique_ptr<SegmentSource>> searchSources() const override;

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
