#pragma once

#include <QList>
#include <QString>

namespace verdane::tools {

// The faults a reviewer of a shipped snippet looks for, one kind per rule.
enum class VbFault {
    Header,     // the file does not open with its header comment
    Block,      // a block that does not close, a closing or middle line outside its block, an Exit with no such block
    Label,      // GoTo, GoSub, Resume or On Error GoTo to a label that the procedure lacks
    Foreign,    // VB.NET or VBA-only code that VB5 and VB6 do not compile
    NotPrivate, // a Declare or a Const at module level that is not Private
    DuplicateName, // one name defined twice in a module; over a library also two snippets of a group with one
                   // name, or two standard modules with one Public name
};

struct VbFinding {
    VbFault fault;
    int line = 0;  // 1-based line of the snippet's text; 0 when the finding is about the snippet as a whole
    QString where; // "Group/Name" for the findings of a library, empty for a lone snippet's
    QString message;
};

// Reads a snippet's text (LF or CR LF) as VB6 reads a module and reports what would keep it from compiling or from
// living beside any other snippet in one project. A pure function: the same text always gives the same findings.
QList<VbFinding> checkSnippet(const QString& text);

// Whether the snippet is a class module: its header comment says so ("... as a class module named CThing"). A class
// keeps its Public members to itself, so they never clash with another snippet's.
bool isClassSnippet(const QString& text);

struct VbSnippet {
    QString group;
    QString name;
    QString text;
};

// Every snippet's own findings, and what only the library as a whole shows: a name used twice in a group (letter case
// and surrounding blanks aside, as the tree and the file system of Windows see them), and a Public name that two
// standard modules both define, which would make a project holding both fail with "Ambiguous name detected".
QList<VbFinding> checkLibrary(const QList<VbSnippet>& snippets);

// The snippets of folder/<Group>/<Name>, every group folder and every file in it, in name order.
QList<VbSnippet> readSnippetFolder(const QString& folder);

QString faultName(VbFault fault);
// One line for a report: "Group/Name:12: Block: If is not closed".
QString describe(const VbFinding& finding);

} // namespace verdane::tools
