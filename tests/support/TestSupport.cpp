#include "support/TestSupport.h"

#include "core/GroupNames.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <atomic>
#include <thread>

namespace verdane::test {

namespace {

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

// Runs work on a connection of its own to path, opened as any SQLite program would (creating the file).
template <typename Work> auto withConnection(const QString& path, Work work) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("test-fixture-%1").arg(counter.fetch_add(1));
    struct Remover {
        QString name;
        ~Remover() { QSqlDatabase::removeDatabase(name); }
    } remover{name};
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open())
        qFatal("cannot open fixture database %s: %s", qPrintable(path), qPrintable(db.lastError().text()));
    auto result = work(db);
    db.close();
    db = QSqlDatabase();
    return result;
}

} // namespace

TestEnvironment::TestEnvironment() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    MessageBox::setTestMode(true);
    filedialog::setTestMode(true);
    reset();
}

TestEnvironment::~TestEnvironment() = default;

void TestEnvironment::reset() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Verdane"), QStringLiteral("Verdane"));
    s.clear();
    s.sync();
    MessageBox::clearShown();
    filedialog::clearAnswers();
}

QString TestEnvironment::settingsFile() const {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Verdane"),
                     QStringLiteral("Verdane"))
        .fileName();
}

DatabaseFile::DatabaseFile(QString path)
    : m_path(std::move(path)) {}

DatabaseFile& DatabaseFile::table(const QString& name, const QList<Record>& records, const QStringList& columns) {
    QStringList declared;
    for (const QString& c : columns)
        declared << quoted(c) + QStringLiteral(" TEXT");
    if (!exec(m_path, QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(name), declared.join(QStringLiteral(", ")))))
        qFatal("cannot create fixture table %s", qPrintable(name));
    withConnection(m_path, [&](QSqlDatabase& db) {
        db.transaction();
        QSqlQuery insert(db);
        QStringList placeholders;
        const int used = int(qMin<qsizetype>(2, columns.size()));
        QStringList targetColumns;
        for (int i = 0; i < used; ++i) {
            targetColumns << quoted(columns[i]);
            placeholders << QStringLiteral("?");
        }
        insert.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoted(name), targetColumns.join(QLatin1Char(',')), placeholders.join(QLatin1Char(','))));
        for (const Record& r : records) {
            insert.addBindValue(r.name);
            if (used > 1)
                insert.addBindValue(r.code);
            if (!insert.exec())
                qFatal("fixture insert failed: %s", qPrintable(insert.lastError().text()));
        }
        db.commit();
        return 0;
    });
    return *this;
}

bool DatabaseFile::exec(const QString& path, const QString& sql, const QVariantList& values) {
    return withConnection(path, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant& v : values)
            query.addBindValue(v);
        const bool ok = query.exec();
        if (!ok)
            qWarning("fixture SQL failed: %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
        return ok;
    });
}

QList<Record> DatabaseFile::records(const QString& path, const QString& table) {
    return withConnection(path, [&](QSqlDatabase& db) {
        QList<Record> result;
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(table))))
            return result;
        while (query.next())
            result.append(Record{query.value(0), query.value(1)});
        return result;
    });
}

LibraryFolder::LibraryFolder() = default;

QString LibraryFolder::libraryPath() const {
    return m_dir.filePath(kLibraryFileName);
}

QString LibraryFolder::userPath() const {
    return m_dir.filePath(kUserFileName);
}

void LibraryFolder::create(const QMap<QString, QList<Record>>& groups, const QList<Record>& user) {
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
        const QString name = QStringLiteral("lock-holder-%1").arg(quintptr(this));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.open();
            QSqlQuery query(db);
            query.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            m_locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
            query.exec(QStringLiteral("COMMIT"));
            query.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    });
    while (!m_locked)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

LockHolder::~LockHolder() {
    m_thread.join();
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    process.waitForStarted();
    if (!input.isNull())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray fileDigest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace verdane::test
