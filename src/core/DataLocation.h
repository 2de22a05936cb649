#pragma once

#include <QString>

namespace verdane {

// What decides where a run's two database files are.
struct DataPlaces {
    QString dataDir;     // the folder given with --data-dir; empty when none was given
    QString programDir;  // the folder the program lives in
    QString shareDir;    // the installed library's folder, <prefix>/share/verdane
    QString userDataDir; // the user's own folder, $XDG_DATA_HOME/Verdane
};

// The two files a run reads.
struct DataLocation {
    enum class Source { DataDir, ProgramFolder, Installed };
    Source source = Source::DataDir;
    QString libraryPath;
    QString userPath;
    bool createUserFile = false; // the user's file is to be made before the run opens it
};

// In this order: the --data-dir folder; the program's own folder when both files are there (a build folder, a
// portable copy); otherwise the installed layout: the library from shareDir, only ever read, and the user's snippets
// from userDataDir. Only there is a missing user file made: an installed program has no writable folder beside it,
// while a folder the user named or put the program in holds what the user put there, and nothing else.
DataLocation locateData(const DataPlaces& places);

// The places of this run; dataDir as given with --data-dir, empty when not. The installed library is looked for
// relative to the program, so that an installed tree works under any prefix, also unpacked somewhere else.
DataPlaces runningPlaces(const QString& dataDir);

// Makes the user's file with its empty table, and its folder, when location asks for it. Returns what went wrong,
// empty when nothing did.
QString prepareUserFile(const DataLocation& location);

// For --help: where the files are looked for, in order, and the two this run reads.
QString dataFilesHelp(const DataPlaces& places, const DataLocation& location);

} // namespace verdane
