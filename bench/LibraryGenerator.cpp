#include "LibraryGenerator.h"

#include "core/GroupNames.h"
#include "core/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QVariant>

#include <array>

namespace verdane::bench {

namespace {

// splitmix64: small, fast and the same on every machine.
class Random {
public:
    explicit Random(quint64 seed)
        : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }

private:
    quint64 m_state;
};

const std::array<const char*, 24> kWords{"Count", "Buffer", "Handle", "Window", "Result", "Index",  "Value",  "Text",
                                         "Path",  "Key",    "Length", "Item",   "Total",  "Name",   "Offset", "Flags",
                                         "Width", "Height", "Cursor", "Range",  "Token",  "Stream", "Status", "Record"};

QString word(Random& r) {
    return QString::fromLatin1(kWords[size_t(r.below(int(kWords.size())))]);
}

QString snippetCode(Random& r, int number) {
    QString code;
    code.reserve(2300);
    code += QStringLiteral("' Generated routine %1: works on %2 and %3\r\n").arg(number).arg(word(r), word(r));
    code +=
        QStringLiteral("Public Function Do%1%2(ByVal l%3 As Long) As Long\r\n").arg(word(r)).arg(number).arg(word(r));
    code += QStringLiteral("    Dim s%1 As String, n%2 As Long\r\n").arg(word(r), word(r));
    while (code.size() < 1950) {
        switch (r.below(6)) {
        case 0:
            code += QStringLiteral("    If n%1 > %2 Then n%1 = n%1 - %3\r\n")
                        .arg(word(r))
                        .arg(r.below(1000))
                        .arg(r.below(50));
            break;
        case 1:
            code += QStringLiteral("    s%1 = s%1 & \"%2 %3\" & CStr(n%4)\r\n").arg(word(r), word(r), word(r), word(r));
            break;
        case 2:
            code += QStringLiteral(
                        "    For n%1 = 1 To Len(s%2)\r\n        Mid$(s%2, n%1, 1) = UCase$(Mid$(s%2, n%1, 1))\r\n"
                        "    Next n%1\r\n")
                        .arg(word(r), word(r));
            break;
        case 3:
            code += QStringLiteral("    ' Keep the %1 within the %2\r\n").arg(word(r), word(r));
            break;
        case 4:
            code += QStringLiteral("    Call SendMessage(h%1, &H%2, 0&, ByVal 0&)\r\n")
                        .arg(word(r))
                        .arg(r.below(4096), 0, 16);
            break;
        default:
            code += QStringLiteral("    Do%1 = Do%1 + n%2 * %3\r\n").arg(word(r), word(r)).arg(r.below(100));
            break;
        }
    }
    // A rare call, for searches with a few hits, and now and then a comment in a language other than English.
    if (r.below(50) == 0)
        code += QStringLiteral("    Beep\r\n");
    if (r.below(10) == 0)
        code += QStringLiteral("    ' Pr\u00fcft die Gr\u00f6\u00dfe, \u00e9t\u00e9 \u00e0 la fen\u00eatre\r\n");
    code += QStringLiteral("End Function\r\n");
    return code;
}

} // namespace

QString generateLibrary(const QString& dir, int count) {
    QDir().mkpath(dir);
    const QStringList tables = groupNames() + QStringList{kUserCodeTable};
    const int perTable = count / int(tables.size());
    int remainder = count % int(tables.size());
    Random r(0x5eed0000ULL + quint64(count));
    int number = 0;
    QString error;

    for (const QString& file : {kLibraryFileName, kUserFileName}) {
        const QString path = QDir(dir).filePath(file);
        QFile::remove(path);
        const sqlite::Connection db(path, sqlite::Connection::Mode::Create);
        db.exec("PRAGMA journal_mode=OFF");
        db.exec("PRAGMA synchronous=OFF");
        db.exec("BEGIN");
        const QStringList here = file == kLibraryFileName ? groupNames() : QStringList{kUserCodeTable};
        for (const QString& table : here) {
            db.prepare(QStringLiteral("CREATE TABLE %1 (CodeName TEXT, Code TEXT)").arg(sqlite::quoted(table))).run();
            const QString sql =
                QStringLiteral("INSERT INTO %1 (CodeName, Code) VALUES (?, ?)").arg(sqlite::quoted(table));
            const int rows = perTable + (remainder-- > 0 ? 1 : 0);
            for (int i = 0; i < rows; ++i, ++number) {
                sqlite::Statement insert = db.prepare(sql);
                insert.bind(1, QStringLiteral("%1 %2 %3").arg(word(r), word(r)).arg(number, 6, 10, QLatin1Char('0')));
                insert.bind(2, snippetCode(r, number));
                if (!insert.run() && error.isEmpty())
                    error = insert.error();
            }
        }
        db.exec("COMMIT");
        db.exec("PRAGMA journal_mode=DELETE");
    }
    return error;
}

QString cachedLibrary(const QString& root, int count, QString* error) {
    // The generator's version is part of the name, so a changed generator never reuses an old library.
    const QString dir = QDir(root).filePath(QStringLiteral("library-v2-%1").arg(count));
    const QString done = QDir(dir).filePath(QStringLiteral("complete"));
    if (!QFileInfo::exists(done)) {
        *error = generateLibrary(dir, count);
        if (error->isEmpty()) {
            QFile marker(done);
            marker.open(QIODevice::WriteOnly);
        }
    }
    return dir;
}

} // namespace verdane::bench
