#pragma once

// What every test uses comes with the fixtures: QtTest, the files' and tables' names, the folders and files, the
// pipes and devices a test makes in its own folder, and patterns.
#include "core/GroupNames.h"
#include "support/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir> // the fixtures hold their folders in one, and so may the tests
#include <QTest>
#include <QVariant>

#include <atomic>
#include <thread>

namespace verdane {
struct SnippetLookup;
}

namespace verdane::test {

// Settings go to a temporary folder, so that no test touches the user's store. A test holds one for its run; init()
// of each test calls reset(). Tests of windows use UiEnvironment (UiSupport.h), which also answers the dialogs.
class TestEnvironment {
public:
    TestEnvironment();
    virtual ~TestEnvironment() = default;
    virtual void reset(); // empties the settings store
    QString settingsFile() const;

private:
    QTemporaryDir m_settingsDir;
};

// One record of a snippet table; a null QVariant stores SQL NULL.
struct Record {
    QVariant name;
    QVariant code;
};

// A real SQLite database file made for a test. Tables are created with the columns given (CodeName, Code unless
// told otherwise) and filled in the order given.
class DatabaseFile {
public:
    explicit DatabaseFile(QString path)
        : m_path(std::move(path)) {}
    DatabaseFile& table(const QString& name, const QList<Record>& records,
                        const QStringList& columns = {QStringLiteral("CodeName"), QStringLiteral("Code")});
    // Runs SQL on the file from a connection of its own, as another program would.
    static bool exec(const QString& path, const QString& sql, const QVariantList& values = {});
    // The table as name=code lines, in record order.
    static QStringList lines(const QString& path, const QString& table);

private:
    QString m_path;
};

using Groups = QMap<QString, QList<Record>>; // records by group
using Texts = std::pair<QString, QString>;   // a table's row of a given text and what becomes of it

// A folder holding both databases: a library with the seven groups (empty unless filled) and a user database with
// an empty UserCode table.
class LibraryFolder {
public:
    LibraryFolder() = default; // no files until create()
    // Both files at once, with these records in the named groups (other groups empty) and UserCode.
    explicit LibraryFolder(const Groups& groups, const QList<Record>& user = {}) { create(groups, user); }
    QString path() const { return m_dir.path(); }
    QString libraryPath() const { return m_dir.filePath(kLibraryFileName); }
    QString userPath() const { return m_dir.filePath(kUserFileName); }
    void create(const Groups& groups = {}, const QList<Record>& user = {});
    QStringList fileNames() const; // what the folder holds, to check that nothing was created
    // The user's table as name=code lines, in record order.
    QStringList userSnippets() const { return DatabaseFile::lines(userPath(), kUserCodeTable); }

private:
    QTemporaryDir m_dir;
};

// Holds an exclusive lock on a database file from another thread for a while, as a second program writing to it
// would.
class LockHolder {
public:
    LockHolder(const QString& path, int holdMs);
    ~LockHolder() { m_thread.join(); }

private:
    std::atomic<bool> m_locked{false};
    std::thread m_thread;
};

// Runs one of the programs as a terminal would, without any display, and collects what it wrote.
struct ProgramRun {
    int exitCode = -1; // -1: it crashed or did not finish
    QByteArray out;
    QString err;
};
ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {});
// The text of a PDF file, page after page (a form feed between pages), as poppler's pdftotext lays it out. Under wine
// the Linux program is run through wine's own bridge.
QString pdfText(const QString& pdf);

// How a lookup came out, in words a test compares: "found", "none" or "failed".
QString outcomeOf(const SnippetLookup& lookup);
bool writeFile(const QString& path, const QByteArray& bytes);
// A table of rows that differ in what they are named only: the test reads its row's name with
// QTest::currentDataTag().
void namedRows(std::initializer_list<const char*> names);
// What the file holds; "<missing>" when it cannot be read.
QByteArray fileBytes(const QString& path);

} // namespace verdane::test

// The tests are written in the program's names and the fixtures' alike.
using namespace verdane;
using namespace verdane::test;
