#pragma once

#include <QString>

#include <memory>

namespace verdane {

class SnippetStore;

// What decides where a run's two database files are, or that it reads a team's server instead.
struct DataPlaces {
    QString dataDir;     // the folder given with --data-dir; empty when none was given
    QString programDir;  // the folder the program lives in
    QString shareDir;    // the installed library's folder, <prefix>/share/verdane
    QString userDataDir; // the user's own folder, $XDG_DATA_HOME/Verdane
    QString serverUrl;   // the team library's address; empty for the files
};

// The two files a run reads, or the server. The files are found also for a run on a server: a new team library
// is filled from the library file.
struct DataLocation {
    enum class Source { DataDir, ProgramFolder, Installed, Server };
    Source source = Source::DataDir;
    QString libraryPath;
    QString userPath;
    bool createUserFile = false; // the user's file is to be made before the run opens it
    QString serverUrl;
};

// A server when places name one. Otherwise, in this order: the --data-dir folder; the program's own folder when both
// files are there (a build folder, a portable copy); otherwise the installed layout: the library from shareDir, only
// ever read, and the user's snippets from userDataDir. Only there is a missing user file made: an installed program has
// no writable folder beside it, while a folder the user named or put the program in holds what the user put there, and
// nothing else.
DataLocation locateData(const DataPlaces& places);

// The places of this run; dataDir as given with --data-dir, empty when not; libraryUrl as given with --library, null
// when not. The installed library is looked for relative to the program, so that an installed tree works under any
// prefix, also unpacked somewhere else. The server named in the Options counts only where the command line names
// neither a server nor a folder.
DataPlaces runningPlaces(const QString& dataDir, const QString& libraryUrl = {});

// The store of a location: the server's, or the files'.
std::unique_ptr<SnippetStore> openStore(const DataLocation& location);

// Makes the user's file with its empty table, and its folder, when location asks for it. Returns what went wrong,
// empty when nothing did.
QString prepareUserFile(const DataLocation& location);

// For --help: where the files are looked for, in order, and the two this run reads (or the server).
QString dataFilesHelp(const DataPlaces& places, const DataLocation& location);

} // namespace verdane
