#include "support/TestSupport.h"

#include "core/SnippetStore.h"
#include "core/Sqlite.h"

#include <QProcess>
#include <QSettings>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace verdane::test {

namespace {

using sqlite::quoted;

// A connection of its own to path, opened as any SQLite program would (creating the file).
sqlite::Connection connect(const QString& path) {
    sqlite::Connection db(path, sqlite::Connection::Mode::Create);
    if (!db.isOpen())
        qFatal("cannot open fixture database %s: %s", qPrintable(path), qPrintable(db.openError()));
    return db;
}

// Runs sql with values bound in turn, a null QVariant as NULL.
bool run(const sqlite::Connection& db, const QString& sql, const QVariantList& values) {
    sqlite::Statement statement = db.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        values[i].isNull() ? statement.bindNull(i + 1) : statement.bind(i + 1, values[i].toString());
    const bool ok = statement.run();
    if (!ok)
        qWarning("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(statement.error()));
    return ok;
}

} // namespace

TestEnvironment::TestEnvironment() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    reset();
}

void TestEnvironment::reset() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Verdane", "Verdane");
    s.clear();
    s.sync();
}

QString TestEnvironment::settingsFile() const {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Verdane", "Verdane").fileName();
}

DatabaseFile& DatabaseFile::table(const QString& name, const QList<Record>& records, const QStringList& columns) {
    const sqlite::Connection db = connect(m_path);
    QStringList declared;
    for (const QString& c : columns)
        declared << quoted(c) + " TEXT";
    if (!run(db, "CREATE TABLE " + quoted(name) + " (" + declared.join(", ") + ")", {}))
        qFatal("cannot create fixture table %s", qPrintable(name));
    const bool both = columns.size() > 1;
    const QString insert = "INSERT INTO " + quoted(name) + " (" + quoted(columns[0]) +
                           (both ? ", " + quoted(columns[1]) + ") VALUES (?, ?)" : ") VALUES (?)");
    db.exec("BEGIN");
    for (const Record& r : records)
        if (!run(db, insert, both ? QVariantList{r.name, r.code} : QVariantList{r.name}))
            qFatal("fixture insert failed");
    db.exec("COMMIT");
    return *this;
}

bool DatabaseFile::exec(const QString& path, const QString& sql, const QVariantList& values) {
    return run(connect(path), sql, values);
}

QStringList DatabaseFile::lines(const QString& path, const QString& table) {
    const sqlite::Connection db = connect(path);
    sqlite::Statement query = db.prepare("SELECT * FROM " + quoted(table) + " ORDER BY rowid");
    QStringList result;
    while (query.next())
        result << query.text(0) + '=' + query.text(1);
    return result;
}

void LibraryFolder::create(const Groups& groups, const QList<Record>& user) {
    QFile::remove(libraryPath());
    QFile::remove(userPath());
    DatabaseFile library(libraryPath());
    for (const QString& group : groupNames())
        library.table(group, groups.value(group));
    DatabaseFile(userPath()).table(kUserCodeTable, user);
}

QStringList LibraryFolder::fileNames() const {
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

LockHolder::LockHolder(const QString& path, int holdMs) {
    m_thread = std::thread([this, path, holdMs] {
        const sqlite::Connection db = connect(path);
        db.exec("BEGIN EXCLUSIVE");
        m_locked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        db.exec("COMMIT");
    });
    while (!m_locked)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

QString pdfText(const QString& pdf) {
#ifdef Q_OS_WIN
    using UnixName = char* (*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName)
        qFatal("pdfText needs wine");
    char* name = unixName(QDir::toNativeSeparators(pdf).toStdWString().c_str());
    const QString path = QString::fromLocal8Bit(name);
    HeapFree(GetProcessHeap(), 0, name);
    // The bridge neither hands the Linux program a pipe for its output nor waits for it: it writes a file beside the
    // PDF, which takes its name once it is whole.
    runProgram("start.exe",
               {"/unix", "/bin/sh", "-c", "pdftotext -layout \"$0\" \"$0.part\"; mv \"$0.part\" \"$0.txt\"", path});
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(pdf + ".txt"); }, 30000))
        return {};
    return QString::fromUtf8(fileBytes(pdf + ".txt"));
#else
    return QString::fromUtf8(runProgram("pdftotext", {"-layout", pdf, "-"}).out);
#endif
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForStarted();
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        process.kill(), process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QString outcomeOf(const SnippetLookup& lookup) {
    return !lookup.status ? "failed" : lookup.code ? "found" : "none";
}

void namedRows(std::initializer_list<const char*> names) {
    QTest::addColumn<bool>("named");
    for (const char* name : names)
        QTest::newRow(name) << true;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace verdane::test
