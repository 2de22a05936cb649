#pragma once

#include <QByteArray>
#include <QString>

namespace verdane {

// The export decides by the chosen file's name (never its folder) whether it writes a class module: when the name
// holds ".cls" anywhere, in any letter case (Shapes.CLS, notes.cls.txt, old.clsx).
bool isClassModuleName(const QString& fileName);
// The class of a class module is named by the file name's part before its first dot (a.b.cls: a).
QString className(const QString& fileName);
// The nine lines a class module file begins with, each ended by CR LF, in Windows-1252.
QByteArray classModuleHeader(const QString& className);
// The whole file for a chosen file name: the class header where the name asks for it, the code exactly as shown
// and one CR LF, in Windows-1252.
QByteArray exportFileBytes(const QString& fileName, const QString& code);

// Where the save dialog starts for the stored export folder: nowhere in particular for an empty setting, the
// user's home for a folder that does not exist here (the default "C:\" on this system).
QString exportStartDirectory(const QString& stored, const QString& homeDirectory);

} // namespace verdane
