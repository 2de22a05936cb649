#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace verdane::cli {

// Exit codes of verdane-cli, also listed in its --help.
enum ExitCode : int {
    Ok = 0,
    NoHit = 1,          // find: nothing matched
    BadArguments = 2,   // unknown command or option, missing or surplus arguments
    UnknownSnippet = 3, // show, export, rename, edit, delete: no such snippet
    DatabaseError = 4,  // a database file missing or unreadable, a table that cannot be read, a failed write
    FileError = 5,      // import, edit: the input cannot be read; export: the file cannot be written; output lost
    Refused = 6,        // a name, input or change not allowed; export: losing characters without --lossy
};

// Where a command writes: stdout takes the results, stderr the one line saying what went wrong.
struct Output {
    std::function<void(const QByteArray&)> out;
    std::function<void(const QString&)> error;
};

// Runs one command of the tool with its arguments (without the program's name). Returns the exit code.
int run(const QStringList& arguments, const Output& output);

} // namespace verdane::cli
