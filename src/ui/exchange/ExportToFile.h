#pragma once

#include <QString>

class QWidget;

namespace verdane {

// Saves code as a file the VB IDE can add to a project: asks for the file (proposing a name made safe from
// proposedName, starting in the export folder of the settings) and writes it whole. An existing file is replaced
// only by a complete new one; a failure says which file and why. owner owns the dialogs and boxes it shows.
void ExportCodeToFile(QWidget* owner, const QString& proposedName, const QString& code);

} // namespace verdane
