#pragma once

namespace verdane {

class MainWindow;

// Saves the code shown in the main window's pane as a file the VB IDE can add to a project: asks for the file
// (proposing the selected node's caption, starting in the export folder of the settings) and writes it whole.
// An existing file is replaced only by a complete new one; a failure says which file and why.
void ExportCodeToFile(MainWindow& main);

} // namespace verdane
