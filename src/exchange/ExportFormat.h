#pragma once

#include <QByteArray>
#include <QString>

namespace verdane {

// The export decides by the chosen file's name (never its folder) whether it writes a class module: when the name
// holds ".cls" anywhere, in any letter case (Shapes.CLS, notes.cls.txt, old.clsx).
bool isClassModuleName(const QString& fileName);
// A name the VB IDE takes as an identifier: ASCII letters, digits and "_" are kept, every other character becomes one
// "_", a name that does not begin with a letter gets a "C" in front (an empty one is "Class1"), and it is cut to 40
// characters, the most VB allows. Letters beyond ASCII become "_" too: whether the IDE takes them depends on the code
// page of the system it runs on.
QString vbIdentifier(const QString& name);
// The class of a class module is named by the file name's part before its first dot (a.b.cls: a), as a VB
// identifier; the file keeps the name the user gave it.
QString className(const QString& fileName);
// The file name the save dialog proposes for a snippet: its name, with what would lead out of the export folder or
// make no file name replaced by "_": / \ : * ? " < > |, control characters (line breaks, NUL), and leading dots and
// tildes (hidden files, "..", "~/").
QString proposedFileName(const QString& snippetName);
// Whether a code carries its own class module header already (its first line is VERSION 1.0 CLASS), as a class
// module imported whole does.
bool startsWithClassHeader(const QString& code);
// The nine lines a class module file begins with, each ended by CR LF, in Windows-1252.
QByteArray classModuleHeader(const QString& className);
// The whole file for a chosen file name, in Windows-1252: the class header where the name asks for it and the code
// does not carry one already, the code exactly as shown, and a CR LF where the code does not end with one. A module
// imported from a file and exported under the same kind of name comes back byte for byte.
QByteArray exportFileBytes(const QString& fileName, const QString& code);

// Where the save dialog starts for the stored export folder: nowhere in particular for an empty setting, the
// user's home for a folder that does not exist here (the default "C:\" on this system).
QString exportStartDirectory(const QString& stored, const QString& homeDirectory);

} // namespace verdane
