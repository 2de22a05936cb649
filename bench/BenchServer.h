#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace verdane::bench {

// A team library on a PostgreSQL server of the benchmark's own, loaded with the library in dir, next to the same
// work on dir's SQLite files: the tree build, Find cold and warm, and the delay from one program's commit to
// another's tree.
void benchServer(const QString& dir, int n, int runs, const QProcessEnvironment& env, const QString& cacheDir);

// The children: tree builds on the server and on the files, alternately; the delay of a notice.
int childServerTree(const QString& dir, const QString& url, int runs);
int childNotice(const QString& url, int runs);

} // namespace verdane::bench
