#pragma once

#include "core/Sqlite.h"

#include <QString>

#include <functional>

namespace verdane {

// Runs fill on a fresh database at a temporary name beside target and moves it into place only when fill and the
// commit succeeded, so that no reader ever sees a half-made file. An existing target is replaced (a rebuilt library)
// or kept, and the new file dropped (the user's file, which another program may have made meanwhile). Returns an
// error text, empty on success; created tells whether the new file was moved into place.
enum class ExistingFile { Replace, Keep };
QString writeDatabase(const QString& target, ExistingFile existing,
                      const std::function<QString(const sqlite::Connection&)>& fill, bool* created = nullptr);

// A table of snippets as every database of the program holds them.
QString createSnippetTable(const sqlite::Connection& db, const QString& table);

// Makes an empty user database at target, unless a file is there already: that one holds the user's snippets.
// Returns an error text, empty on success; created tells whether a file was made.
QString makeUserDatabase(const QString& target, bool* created = nullptr);

} // namespace verdane
