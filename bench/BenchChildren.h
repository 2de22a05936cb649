#pragma once

#include <QString>
#include <QStringList>

namespace verdane::bench {

// The benchmark's child processes, each printing "key value" lines.
int childTree(const QString& dir, int runs);
// Prints "painted" once the main window, started as the program starts, has painted, and exits at once.
int childLaunch(const QString& dir);
// The Find window's searches: the first of the run (cold: with no cache file), then runs warm ones per needle.
int childFind(const QString& dir, const QStringList& needles, int runs, bool cold);
int childPane(int runs);
int childChat(const QString& dir, int runs);

QString thousandLineSnippet();

} // namespace verdane::bench
