#include "cli/CliCommands.h"

#include "core/DataLocation.h"
#include "core/GroupNames.h"
#include "core/Postgres.h"
#include "core/PostgresStore.h"
#include "core/SnippetSearch.h"
#include "core/SqliteStore.h"
#include "core/Version.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExportFormat.h"
#include "exchange/ImportReader.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace verdane::cli {

namespace {

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  success\n"
    "  1  find: no snippet matched\n"
    "  2  bad arguments, also a team library's address that is not postgresql://... or holds a password\n"
    "  3  no such snippet, or no such group\n"
    "  4  a database file or table missing or unreadable, or a failed write to it (also when another program\n"
    "     holds its lock for more than 5 seconds; nothing is changed then); a server that cannot be reached or\n"
    "     refuses the login; list and find still print what the readable tables hold, and name each table they\n"
    "     could not read on standard error\n"
    "  5  a file that cannot be read (import, edit) or written (export), or standard output that cannot be written\n"
    "  6  refused: a name that is empty, over 50 characters, holding control characters or one User Code already\n"
    "     holds (import, rename); an empty input or one over 64 MB once its line breaks are CR LF (import, edit);\n"
    "     code holding NUL on a team library; a change outside User Code, of a name several snippets share\n"
    "     without --nth, or of a snippet another program changed meanwhile (rename, edit, delete); export of\n"
    "     characters Windows-1252 cannot hold, without --lossy; init-server: a schema holding tables already\n";

struct Command {
    const char* name;
    const char* arguments; // shown in the usage line
    int count;             // how many arguments it takes
    const char* description;
};

constexpr Command kCommands[] = {
    {"list", "", 0,
     "List every snippet as Group/Name (user snippets as User Code/Name), in the tree's order. Control characters "
     "in a name (stored by another program) are written as escapes: \\n, \\t, \\x1B, \\u0085."},
    {"show", "[--nth N] GROUP NAME", 2,
     "Write a snippet's code to standard output, exactly as stored (CR LF kept). GROUP is one of the seven groups or "
     "\"User Code\". Where several snippets of GROUP share the NAME, the first is shown and standard error says how "
     "many there are; --nth N shows the N-th of them."},
    {"find", "TEXT", 1,
     "List the names of the snippets whose code contains TEXT, letter case aside, in the Find "
     "window's order."},
    {"export", "[--nth N] [--lossy] GROUP NAME FILE", 3,
     "Write a snippet to FILE as the export does: a class module header for .cls names, Windows-1252, CR LF. "
     "--nth N as for show. A snippet holding characters that Windows-1252 cannot write is refused unless --lossy "
     "is given, which writes them as \"?\". FILE must be a regular file or not exist yet."},
    {"import", "NAME FILE", 2,
     "Add FILE (- for standard input) to the user's snippets under NAME, which User Code must not hold yet. FILE "
     "must be a regular file; UTF-16 and UTF-8 (with or without a byte order mark) are decoded, anything else is "
     "read as Windows-1252, and the code, its line breaks made CR LF, may hold at most 64 MB. Needs only "
     "usersource.mdb."},
    {"rename", "[--nth N] GROUP NAME NEW", 3,
     "Rename a snippet of your own to NEW. GROUP must be \"User Code\": the library is read-only. NEW follows the "
     "import's rules: 1 to 50 characters, no line breaks, tabs or other control characters, not a name User Code "
     "already holds. Where several snippets share the NAME, --nth N says which; without it they are refused."},
    {"edit", "[--nth N] GROUP NAME FILE", 3,
     "Replace the code of a snippet of your own with FILE (- for standard input), read and decoded as import "
     "reads it, line breaks made CR LF. GROUP and --nth N as for rename."},
    {"delete", "[--nth N] GROUP NAME", 2, "Delete a snippet of your own. GROUP and --nth N as for rename."},
    {"init-server", "URL", 1,
     "Make a team library on the PostgreSQL server at URL (postgresql://user@host/database): the schema \"verdane\" "
     "with the seven groups, filled from qmvbsource.mdb (see Files below), and an empty User Code, all in one "
     "transaction. A schema that holds tables already is refused and left as it is. The password comes from "
     "~/.pgpass or PGPASSWORD."},
};

const Command* findCommand(const QString& name) {
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString generalHelp() {
    QString help = QStringLiteral("Usage: verdane-cli [--data-dir DIR | --library URL] COMMAND [ARGUMENTS]\n\n"
                                  "The Verdane snippet library from the terminal.\n\n"
                                  "Options:\n"
                                  "  --data-dir DIR  read qmvbsource.mdb and usersource.mdb from DIR (see Files "
                                  "below)\n"
                                  "  --library URL   read the team library on the PostgreSQL server at URL\n"
                                  "  -h, --help      this help; COMMAND --help for one command's\n"
                                  "  -v, --version   the version\n\n"
                                  "Commands:\n");
    for (const Command& c : kCommands)
        help += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(c.name), QLatin1String(c.arguments), QLatin1String(c.description));
    return help + QLatin1Char('\n') + QLatin1String(kExitCodes);
}

QString commandHelp(const Command& c) {
    return QStringLiteral("Usage: verdane-cli [--data-dir DIR | --library URL] %1 %2\n\n%3\n\n%4")
        .arg(QLatin1String(c.name), QLatin1String(c.arguments), QLatin1String(c.description),
             QLatin1String(kExitCodes));
}

// A stored name as one line of a list: control characters and line breaks (which names may no longer hold, but
// older records or other programs may have stored) are written as escapes, so that a name never reads as two lines
// and never sends the terminal a command.
void appendListedName(QByteArray& out, QByteArrayView name) {
    const bool plain = std::none_of(name.begin(), name.end(), [](char b) {
        const auto c = static_cast<unsigned char>(b);
        return c < 0x20 || c == 0x7F || c == 0xC2 || c == 0xE2;
    });
    if (plain) {
        out += name;
        return;
    }
    static const char hex[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        const auto third = i + 2 < name.size() ? static_cast<unsigned char>(name[i + 2]) : 0;
        if (c == '\t' || c == '\n' || c == '\r') {
            out += '\\';
            out += c == '\t' ? 't' : c == '\n' ? 'n' : 'r';
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) { // U+0080 to U+009F
            out += "\\u00";
            out += hex[next >> 4];
            out += hex[next & 0xF];
            ++i;
        } else if (c == 0xE2 && next == 0x80 && (third == 0xA8 || third == 0xA9)) { // U+2028 and U+2029
            out += third == 0xA8 ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            out += char(c);
        }
    }
}

QString ordinal(int n) {
    const int lastTwo = n % 100;
    const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                         : n % 10 == 1                    ? "st"
                         : n % 10 == 2                    ? "nd"
                         : n % 10 == 3                    ? "rd"
                                                          : "th";
    return QString::number(n) + QLatin1String(suffix);
}

// A command's run over both databases, opened as the program opens them. Each command reads only what it needs.
class Session {
public:
    // find reads through the search alone, which opens what it reads itself: a server's login is not made twice.
    Session(const DataLocation& data, const Output& output, bool open)
        : m_store(openStore(data))
        , m_output(output) {
        if (open)
            m_opened = m_store->reopenDatabases();
    }

    int list() {
        QByteArray out;
        QStringList failures;
        for (const Status* opened : {&m_opened.library, &m_opened.user}) {
            if (!*opened && !failures.contains(opened->message()))
                failures << opened->message();
        }
        for (int table = 0; table < snippetTableCount(); ++table) {
            const SnippetRef where = snippetTable(table);
            if (!opening(where.database))
                continue;
            const QByteArray prefix =
                (where.database == Database::User ? kUserCodeCaption : where.table).toUtf8() + '/';
            const Status status = m_store->listNameBytes(where.database, where.table, [&](QByteArrayView name) {
                out += prefix;
                appendListedName(out, name);
                out += '\n';
            });
            if (!status)
                failures << status.message();
        }
        m_output.out(out);
        return reportAll(failures) ? Ok : DatabaseError;
    }

    // The nth record (from 1) called name in the group's table, and how many bear that name.
    int locate(const QString& group, const QString& name, int nth, SnippetRef* record, qsizetype* namesakes) {
        const SnippetRef table = group == kUserCodeCaption ? SnippetRef{Database::User, kUserCodeTable, 0}
                                                           : snippetTable(snippetTableNumber(Database::Library, group));
        if (table.isNull()) {
            m_output.error(QStringLiteral("no group \"%1\" (the groups are %2 and \"%3\")")
                               .arg(group, groupNames().join(QStringLiteral(", ")), kUserCodeCaption));
            return UnknownSnippet;
        }
        const SnippetStore::NamedRecords named = m_store->recordsNamed(table.database, table.table, name);
        if (!named.status) {
            m_output.error(opening(table.database) ? named.status.message() : opening(table.database).message());
            return DatabaseError;
        }
        if (named.records.size() < nth) {
            m_output.error(nth == 1 || named.records.isEmpty()
                               ? QStringLiteral("no snippet \"%1\" in \"%2\"").arg(name, group)
                               : QStringLiteral("only %1 snippets in \"%2\" are named \"%3\"")
                                     .arg(named.records.size())
                                     .arg(group, name));
            return UnknownSnippet;
        }
        *record = {table.database, table.table, named.records[nth - 1]};
        *namesakes = named.records.size();
        return Ok;
    }

    // The code of the nth record (from 1) called name in the group's table.
    int code(const QString& group, const QString& name, int nth, QString* code) {
        SnippetRef record;
        qsizetype namesakes = 0;
        if (const int result = locate(group, name, nth, &record, &namesakes); result != Ok)
            return result;
        if (namesakes > 1)
            m_output.error(
                QStringLiteral("%1 snippets in \"%2\" are named \"%3\"; this is the %4 (--nth N picks another)")
                    .arg(namesakes)
                    .arg(group, name, ordinal(nth)));
        return readCode(record, group, name, code);
    }

    int readCode(const SnippetRef& record, const QString& group, const QString& name, QString* code) {
        const SnippetLookup found = m_store->readSnippet(record, name);
        if (!found.status) {
            m_output.error(found.status.message());
            return DatabaseError;
        }
        if (found.code) {
            *code = *found.code;
            return Ok;
        }
        m_output.error(QStringLiteral("no snippet \"%1\" in \"%2\"").arg(name, group));
        return UnknownSnippet;
    }

    int show(const QString& group, const QString& name, int nth) {
        QString text;
        const int result = code(group, name, nth, &text);
        if (result == Ok)
            m_output.out(text.toUtf8());
        return result;
    }

    int find(const QString& text) {
        SnippetSearch search(*m_store);
        QByteArray out;
        int hits = 0;
        const QStringList unreadable = search.findNames(text, [&](QByteArrayView name) {
            appendListedName(out, name);
            out += '\n';
            ++hits;
        });
        m_output.out(out);
        if (!reportAll(unreadable))
            return DatabaseError;
        return hits ? Ok : NoHit;
    }

    int exportTo(const QString& group, const QString& name, int nth, bool lossy, const QString& path) {
        QString text;
        if (const int result = code(group, name, nth, &text); result != Ok)
            return result;
        if (const Status loss = checkWindows1252(text); !loss && !lossy) {
            m_output.error(loss.message() + QStringLiteral(" Nothing was written; --lossy writes them as \"?\"."));
            return Refused;
        }
        if (const Status written = writeFileWhole(path, exportFileBytes(QFileInfo(path).fileName(), text)); !written) {
            m_output.error(QStringLiteral("cannot write %1: %2").arg(path, written.message()));
            return FileError;
        }
        return Ok;
    }

    // The code a file (- for the standard input) gives, read and decoded as the Import window reads it.
    int readInput(const QString& path, QString* code) {
        ImportInput input;
        const QString what =
            path == QLatin1String("-") ? QStringLiteral("The standard input") : QStringLiteral("The file %1").arg(path);
        if (path == QLatin1String("-")) {
            QFile standardInput;
            // By its descriptor, unbuffered: a pipe's end reads as the end, on every system.
            standardInput.open(0, QIODevice::ReadOnly);
            input = readImportStream(standardInput, what);
        } else {
            input = readImportFile(path);
        }
        if (!input.read()) {
            m_output.error(input.status.message());
            const bool refused =
                input.outcome == ImportInput::Outcome::Empty || input.outcome == ImportInput::Outcome::TooLarge;
            return refused ? Refused : FileError;
        }
        *code = importedCode(input.bytes);
        if (const Status size = checkStoredSize(*code, what); !size) {
            m_output.error(size.message());
            return Refused;
        }
        return Ok;
    }

    // A write's outcome as the exit code says it.
    int written(const Status& status) {
        if (status)
            return Ok;
        m_output.error(status.message());
        return status.isRefused() ? Refused : DatabaseError;
    }

    int refusedName(const QString& name) {
        const Status refusal = checkName(name);
        if (!refusal)
            m_output.error(refusal.message());
        return refusal ? Ok : Refused;
    }

    int import(const QString& name, const QString& path) {
        QString code;
        if (const int result = refusedName(name); result != Ok)
            return result;
        if (const int result = readInput(path, &code); result != Ok)
            return result;
        if (!m_opened.user) {
            m_output.error(m_opened.user.message());
            return DatabaseError;
        }
        qint64 record = 0;
        if (const int result = written(m_store->addUserSnippet(name, code, &record)); result != Ok)
            return result;
        int place = 0;
        m_store->listSnippets(Database::User, kUserCodeTable, [&](qint64 r, QString) { place += r <= record; });
        m_output.out(QStringLiteral("%1/%2 (record %3 of %4)\n")
                         .arg(kUserCodeCaption, name)
                         .arg(place)
                         .arg(kUserCodeTable)
                         .toUtf8());
        return Ok;
    }

    // The commands that change a snippet of the user's own: the library's groups are read-only, and of several
    // snippets of one name the user says which with --nth, as a change is not to fall on a snippet by chance.
    int ownGroup(const QString& group) {
        if (group == kUserCodeCaption)
            return Ok;
        const bool library = snippetTableNumber(Database::Library, group) >= 0;
        m_output.error((library ? QStringLiteral("\"%1\" is a group of the library, which is read-only; only snippets "
                                                 "in \"%2\" can be renamed, edited or deleted")
                                : QStringLiteral("no group \"%1\"; only snippets in \"%2\" can be renamed, edited or "
                                                 "deleted"))
                           .arg(group, kUserCodeCaption));
        return library ? Refused : UnknownSnippet;
    }

    int ownRecord(const QString& name, int nth, bool nthGiven, SnippetRef* record, QString* code) {
        qsizetype namesakes = 0;
        if (const int result = locate(kUserCodeCaption, name, nth, record, &namesakes); result != Ok)
            return result;
        if (namesakes > 1 && !nthGiven) {
            m_output.error(QStringLiteral("%1 snippets in \"%2\" are named \"%3\"; --nth N (1 to %1) says which")
                               .arg(namesakes)
                               .arg(kUserCodeCaption, name));
            return Refused;
        }
        return code ? readCode(*record, kUserCodeCaption, name, code) : Ok;
    }

    int rename(const QString& group, const QString& name, const QString& newName, int nth, bool nthGiven) {
        SnippetRef record;
        int result = ownGroup(group);
        if (result == Ok)
            result = refusedName(newName);
        if (result == Ok)
            result = ownRecord(name, nth, nthGiven, &record, nullptr);
        return result == Ok ? written(m_store->renameUserSnippet(record.record, name, newName)) : result;
    }

    int edit(const QString& group, const QString& name, const QString& path, int nth, bool nthGiven) {
        if (const int result = ownGroup(group); result != Ok)
            return result;
        SnippetRef record;
        QString newCode;
        QString oldCode;
        if (const int result = readInput(path, &newCode); result != Ok)
            return result;
        if (const int result = ownRecord(name, nth, nthGiven, &record, &oldCode); result != Ok)
            return result;
        return written(m_store->replaceUserCode(record.record, name, oldCode, newCode));
    }

    int remove(const QString& group, const QString& name, int nth, bool nthGiven) {
        if (const int result = ownGroup(group); result != Ok)
            return result;
        SnippetRef record;
        QString code;
        if (const int result = ownRecord(name, nth, nthGiven, &record, &code); result != Ok)
            return result;
        return written(m_store->deleteUserSnippet(record.record, name, code));
    }

private:
    const Status& opening(Database db) const { return db == Database::User ? m_opened.user : m_opened.library; }

    // Names each failure on its own line; true when there was none.
    bool reportAll(const QStringList& failures) {
        for (const QString& failure : failures)
            m_output.error(failure);
        return failures.isEmpty();
    }

    std::unique_ptr<SnippetStore> m_store;
    SnippetStore::ReopenResult m_opened;
    const Output& m_output;
};

// Makes a team library on a server, filled from the library file this run finds.
int initServer(const DataLocation& data, const QString& url, const Output& output) {
    SqliteStore files(data.libraryPath, data.userPath);
    if (const Status opened = files.reopenDatabases().library; !opened) {
        output.error(opened.message());
        return DatabaseError;
    }
    const Status made = PostgresStore::createSchema(url, files);
    if (!made) {
        output.error(made.message());
        return made.isRefused() ? Refused : DatabaseError;
    }
    output.out(QStringLiteral("The team library at %1 is made, filled from %2.\n")
                   .arg(url, QDir::toNativeSeparators(data.libraryPath))
                   .toUtf8());
    return Ok;
}

// The options a command takes after its name: "--nth N" (or "--nth=N") and "--lossy"; "--" ends them.
struct CommandOptions {
    int nth = 1; // 0: not a whole number from 1
    bool nthGiven = false;
    bool lossy = false;
};

CommandOptions takeOptions(QStringList& arguments, bool picksOne, bool writes) {
    CommandOptions options;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) {
            arguments.removeAt(i);
            break;
        }
        if (writes && a == QLatin1String("--lossy")) {
            options.lossy = true;
            arguments.removeAt(i);
            continue;
        }
        if (!picksOne || (a != QLatin1String("--nth") && !a.startsWith(QLatin1String("--nth=")))) {
            ++i;
            continue;
        }
        QString value = a.mid(6);
        if (a == QLatin1String("--nth")) {
            value = arguments.value(i + 1);
            arguments.removeAt(i);
        }
        arguments.removeAt(i);
        options.nthGiven = true;
        bool ok = false;
        const int n = value.toInt(&ok);
        options.nth = ok && n >= 1 ? n : 0;
    }
    return options;
}

} // namespace

int run(const QStringList& arguments, const Output& output) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("dir"));
    const QCommandLineOption library(QStringLiteral("library"), QString(), QStringLiteral("url"));
    parser.addOptions({help, version, dataDir, library});
    if (!parser.parse(QStringList{QStringLiteral("verdane-cli")} + arguments)) {
        output.error(parser.errorText());
        return BadArguments;
    }
    QStringList rest = parser.positionalArguments();
    const DataPlaces places =
        runningPlaces(parser.isSet(dataDir) ? QFileInfo(parser.value(dataDir)).absoluteFilePath() : QString(),
                      parser.isSet(library) ? parser.value(library) : QString());
    const DataLocation data = locateData(places);
    if (parser.isSet(version)) {
        output.out(QByteArray("verdane-cli ") + VERDANE_VERSION + '\n');
        return Ok;
    }
    if (parser.isSet(help) || rest.isEmpty()) {
        if (rest.isEmpty() && !parser.isSet(help)) {
            output.error(QStringLiteral("no command given (see verdane-cli --help)"));
            return BadArguments;
        }
        output.out((generalHelp() + QLatin1Char('\n') + dataFilesHelp(places, data)).toUtf8());
        return Ok;
    }
    const Command* command = findCommand(rest.takeFirst());
    if (!command) {
        output.error(QStringLiteral("unknown command \"%1\" (see verdane-cli --help)")
                         .arg(parser.positionalArguments().first()));
        return BadArguments;
    }
    if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"))) {
        output.out(commandHelp(*command).toUtf8());
        return Ok;
    }
    const QLatin1String usage(command->arguments);
    const CommandOptions options =
        takeOptions(rest, usage.contains(QLatin1String("--nth")), usage.contains(QLatin1String("--lossy")));
    if (options.nth == 0) {
        output.error(QStringLiteral("--nth takes a number from 1 (see verdane-cli %1 --help)")
                         .arg(QLatin1String(command->name)));
        return BadArguments;
    }
    if (rest.size() != command->count) {
        output.error(QStringLiteral("%1 takes %2 (see verdane-cli %1 --help)")
                         .arg(QLatin1String(command->name),
                              command->count ? QLatin1String(command->arguments) : QStringLiteral("no arguments")));
        return BadArguments;
    }
    if (parser.isSet(dataDir)) {
        const QString folder = parser.value(dataDir);
        const QFileInfo info(folder);
        if (!info.isDir()) {
            output.error((info.exists() ? QStringLiteral("data folder \"%1\" is not a folder")
                                        : QStringLiteral("data folder \"%1\" does not exist"))
                             .arg(folder));
            return BadArguments;
        }
    }

    const QString name = QLatin1String(command->name);
    const bool initializing = name == QLatin1String("init-server");
    if (parser.isSet(library) && (parser.isSet(dataDir) || initializing)) {
        output.error(initializing ? QStringLiteral("init-server takes the server's address as its argument, not "
                                                   "--library (see verdane-cli init-server --help)")
                                  : QStringLiteral("--library and --data-dir cannot be given together"));
        return BadArguments;
    }
    // The address is not repeated: it may hold a password.
    const QString url = initializing ? rest[0] : data.serverUrl;
    if (const QString problem =
            initializing || data.source == DataLocation::Source::Server ? pg::urlProblem(url) : QString();
        !problem.isEmpty()) {
        output.error(QStringLiteral("the team library's address cannot be used: %1").arg(problem));
        return BadArguments;
    }
    if (initializing)
        return initServer(data, url, output);

    // A command goes on without the user's file as without any other: it says what it could not read.
    if (const QString problem = prepareUserFile(data); !problem.isEmpty())
        output.error(problem);
    Session session(data, output, name != QLatin1String("find"));
    if (name == QLatin1String("list"))
        return session.list();
    if (name == QLatin1String("show"))
        return session.show(rest[0], rest[1], options.nth);
    if (name == QLatin1String("find"))
        return session.find(rest[0]);
    if (name == QLatin1String("export"))
        return session.exportTo(rest[0], rest[1], options.nth, options.lossy, rest[2]);
    if (name == QLatin1String("rename"))
        return session.rename(rest[0], rest[1], rest[2], options.nth, options.nthGiven);
    if (name == QLatin1String("edit"))
        return session.edit(rest[0], rest[1], rest[2], options.nth, options.nthGiven);
    if (name == QLatin1String("delete"))
        return session.remove(rest[0], rest[1], options.nth, options.nthGiven);
    return session.import(rest[0], rest[1]);
}

} // namespace verdane::cli
