#include "cli/CliCommands.h"

#include "core/CatalogueModel.h"
#include "core/CodeTree.h"
#include "core/GroupNames.h"
#include "core/SnippetSearch.h"
#include "core/SnippetStore.h"
#include "core/Version.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExportFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace verdane::cli {

namespace {

const char* const kExitCodes = "Exit codes:\n"
                               "  0  success\n"
                               "  1  find: no snippet matched\n"
                               "  2  bad arguments\n"
                               "  3  no such snippet\n"
                               "  4  a database file missing or unreadable, or a failed write to it\n"
                               "  5  a file that cannot be read (import) or written (export)\n"
                               "  6  import refused: an empty name, a name over 50 characters, an empty input\n";

struct Command {
    const char* name;
    const char* arguments; // shown in the usage line
    int count;             // how many arguments it takes
    const char* description;
};

constexpr Command kCommands[] = {
    {"list", "", 0, "List every snippet as Group/Name (user snippets as User Code/Name), in the tree's order."},
    {"show", "GROUP NAME", 2, "Write a snippet's code to standard output, exactly as stored (CR LF kept)."},
    {"find", "TEXT", 1,
     "List the names of the snippets whose code contains TEXT, letter case aside, in the Find "
     "window's order."},
    {"export", "GROUP NAME FILE", 3,
     "Write a snippet to FILE as the export does: a class module header for .cls "
     "names, Windows-1252, CR LF."},
    {"import", "NAME FILE", 2, "Add FILE (- for standard input) to the user's snippets under NAME."},
};

const Command* findCommand(const QString& name) {
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString generalHelp() {
    QString help = QStringLiteral("Usage: verdane-cli [--data-dir DIR] COMMAND [ARGUMENTS]\n\n"
                                  "The Verdane snippet library from the terminal.\n\n"
                                  "Options:\n"
                                  "  --data-dir DIR  read qmvbsource.mdb and usersource.mdb from DIR instead of the "
                                  "program's folder\n"
                                  "  -h, --help      this help; COMMAND --help for one command's\n"
                                  "  -v, --version   the version\n\n"
                                  "Commands:\n");
    for (const Command& c : kCommands)
        help += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QLatin1String(c.name), QLatin1String(c.arguments), QLatin1String(c.description));
    return help + QLatin1Char('\n') + QLatin1String(kExitCodes);
}

QString commandHelp(const Command& c) {
    return QStringLiteral("Usage: verdane-cli [--data-dir DIR] %1 %2\n\n%3\n\n%4")
        .arg(QLatin1String(c.name), QLatin1String(c.arguments), QLatin1String(c.description),
             QLatin1String(kExitCodes));
}

// A command's run over both databases, opened as the program opens them.
class Session {
public:
    Session(const QString& dataDir, const Output& output)
        : m_store(dataDir)
        , m_output(output) {}

    // Builds the catalogue; false (with the message written) when a file or table cannot be read.
    bool open() {
        const QStringList failures = loadCodeTree(m_tree, m_store);
        if (failures.isEmpty())
            return true;
        m_output.error(failures.first());
        return false;
    }

    int list() {
        const bool complete = open();
        QByteArray out;
        for (int node = 10; node <= m_tree.nodeCount(); ++node)
            out += (m_tree.caption(m_tree.parentNode(node)) + QLatin1Char('/') + m_tree.caption(node)).toUtf8() + '\n';
        m_output.out(out);
        return complete ? Ok : DatabaseError;
    }

    // The code the viewer shows for the first node called name under a parent called group.
    int code(const QString& group, const QString& name, QString* code) {
        if (!open())
            return DatabaseError;
        for (int node = 1; node <= m_tree.nodeCount(); ++node) {
            if (m_tree.caption(node) != name || m_tree.caption(m_tree.parentNode(node)) != group ||
                m_tree.parentNode(node) == 0)
                continue;
            const SnippetLocation where = locateSnippet(m_tree, node);
            if (!where.isSnippet)
                break;
            const SnippetLookup found = m_store.findSnippetCode(
                where.inUserDatabase ? Database::User : Database::Library, where.table, where.name);
            if (found.outcome == SnippetLookup::Outcome::Failed) {
                m_output.error(found.error);
                return DatabaseError;
            }
            if (found.outcome == SnippetLookup::Outcome::Found) {
                *code = found.code;
                return Ok;
            }
            break;
        }
        m_output.error(QStringLiteral("no snippet \"%1\" in \"%2\"").arg(name, group));
        return UnknownSnippet;
    }

    int show(const QString& group, const QString& name) {
        QString text;
        const int result = code(group, name, &text);
        if (result == Ok)
            m_output.out(text.toUtf8());
        return result;
    }

    int find(const QString& text) {
        if (!open())
            return DatabaseError;
        SnippetSearch search(m_store);
        QByteArray out;
        int hits = 0;
        const StoreStatus status = search.find(text, [&](const QString& name) {
            out += name.toUtf8() + '\n';
            ++hits;
        });
        m_output.out(out);
        if (!status) {
            m_output.error(status.error);
            return DatabaseError;
        }
        return hits ? Ok : NoHit;
    }

    int exportTo(const QString& group, const QString& name, const QString& path) {
        QString text;
        if (const int result = code(group, name, &text); result != Ok)
            return result;
        if (const QString reason = writeFileWhole(path, exportFileBytes(QFileInfo(path).fileName(), text));
            !reason.isEmpty()) {
            m_output.error(QStringLiteral("cannot write %1: %2").arg(path, reason));
            return FileError;
        }
        return Ok;
    }

    int import(const QString& name, const QString& path) {
        if (const QString refusal = nameRefusal(name); !refusal.isEmpty()) {
            m_output.error(refusal);
            return Refused;
        }
        QFile file;
        const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : (file.setFileName(path), file.open(QIODevice::ReadOnly));
        if (!opened || QFileInfo(path).isDir()) {
            m_output.error(QStringLiteral("cannot read %1: %2")
                               .arg(path, opened ? QStringLiteral("it is a folder") : file.errorString()));
            return FileError;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.isEmpty()) {
            m_output.error(kZeroLengthRefusal);
            return Refused;
        }
        if (!open())
            return DatabaseError;
        if (const StoreStatus stored = m_store.addUserSnippet(name, importedCode(bytes)); !stored) {
            m_output.error(stored.error);
            return DatabaseError;
        }
        open();
        const int place = m_tree.childCount(2);
        m_output.out(QStringLiteral("%1/%2 (record %3 of %4)\n")
                         .arg(kUserCodeCaption, name)
                         .arg(place)
                         .arg(kUserCodeTable)
                         .toUtf8());
        return Ok;
    }

private:
    SnippetStore m_store;
    CatalogueModel m_tree;
    const Output& m_output;
};

} // namespace

int run(const QStringList& arguments, const Output& output) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), QString(), QStringLiteral("dir"));
    parser.addOptions({help, version, dataDir});
    if (!parser.parse(QStringList{QStringLiteral("verdane-cli")} + arguments)) {
        output.error(parser.errorText());
        return BadArguments;
    }
    QStringList rest = parser.positionalArguments();
    if (parser.isSet(version)) {
        output.out(QByteArray("verdane-cli ") + VERDANE_VERSION + '\n');
        return Ok;
    }
    if (parser.isSet(help) || rest.isEmpty()) {
        if (rest.isEmpty() && !parser.isSet(help)) {
            output.error(QStringLiteral("no command given (see verdane-cli --help)"));
            return BadArguments;
        }
        output.out(generalHelp().toUtf8());
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
    if (rest.size() != command->count) {
        output.error(QStringLiteral("%1 takes %2 (see verdane-cli %1 --help)")
                         .arg(QLatin1String(command->name),
                              command->count ? QLatin1String(command->arguments) : QStringLiteral("no arguments")));
        return BadArguments;
    }
    QString folder = QCoreApplication::applicationDirPath();
    if (parser.isSet(dataDir)) {
        folder = parser.value(dataDir);
        if (!QFileInfo(folder).isDir()) {
            output.error(QStringLiteral("data folder \"%1\" does not exist").arg(folder));
            return BadArguments;
        }
    }

    Session session(folder, output);
    const QString name = QLatin1String(command->name);
    if (name == QLatin1String("list"))
        return session.list();
    if (name == QLatin1String("show"))
        return session.show(rest[0], rest[1]);
    if (name == QLatin1String("find"))
        return session.find(rest[0]);
    if (name == QLatin1String("export"))
        return session.exportTo(rest[0], rest[1], rest[2]);
    return session.import(rest[0], rest[1]);
}

} // namespace verdane::cli
