#include "LibraryGenerator.h"

#include "core/GroupNames.h"
#include "core/Sqlite.h"

#include <QDir>
#include <QFile>

#include <array>
#include <string>
#include <vector>

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
    double unit() { return double(next() >> 11) / double(1ULL << 53); }

private:
    quint64 m_state;
};

// Identifiers made of syllables without J, Q and Z, so that those letters appear only where planted below and a
// needle made of them is as rare as its plant. A few words are very common and most are rare, as in real code.
class Vocabulary {
public:
    Vocabulary() {
        static const char* const onsets[] = {"b", "c", "d", "f", "g",  "h",  "k",  "l",  "m",  "n",  "p",  "r",
                                             "s", "t", "v", "w", "br", "cl", "st", "tr", "gr", "pl", "sh", "th"};
        static const char* const vowels[] = {"a", "e", "i", "o", "u", "ea", "ou", "ai"};
        static const char* const codas[] = {"", "", "n", "r", "s", "t", "l", "m", "nd", "st", "ck", "ng"};
        Random r(0x70cab);
        m_words.reserve(kSize);
        for (int i = 0; i < kSize; ++i) {
            std::string word;
            const int syllables = 1 + r.below(3);
            for (int s = 0; s < syllables; ++s) {
                word += onsets[r.below(std::size(onsets))];
                word += vowels[r.below(std::size(vowels))];
                word += codas[r.below(std::size(codas))];
            }
            word[0] = char(word[0] - 'a' + 'A');
            m_words.push_back(std::move(word));
        }
    }
    const std::string& pick(Random& r) const {
        const double u = r.unit();
        return m_words[size_t(double(kSize) * u * u * u)]; // skewed toward the first words
    }

private:
    static constexpr int kSize = 20000;
    std::vector<std::string> m_words;
};

// Markers planted at fixed shares of the snippets, for needles whose hit rate is known.
struct Plant {
    int every; // one snippet in this many
    int at;
    const char* line;
};
constexpr std::array<Plant, 4> kPlants{{
    {10000, 42, "    ' Qz\r\n"},                   // 0.01%
    {1000, 17, "    ' see Jzq\r\n"},               // 0.1%
    {100, 3, "    ' ZjCookieMarker was here\r\n"}, // 1%
    {50, 7, "    Beep\r\n"},                       // 2%
}};

std::string snippetCode(Random& r, const Vocabulary& v, int number) {
    std::string code;
    code.reserve(2300);
    auto w = [&]() -> const std::string& { return v.pick(r); };
    auto n = [&](int below) { return std::to_string(r.below(below)); };
    code += "' Generated routine " + std::to_string(number) + ": works on " + w() + " and " + w() + "\r\n";
    code += "Public Function Do" + w() + std::to_string(number) + "(ByVal l" + w() + " As Long) As Long\r\n";
    code += "    Dim s" + w() + " As String, n" + w() + " As Long\r\n";
    while (code.size() < 1950) {
        switch (r.below(7)) {
        case 0: {
            const std::string a = w();
            code += "    If n" + a + " > " + n(1000) + " Then n" + a + " = n" + a + " - " + n(50) + "\r\n";
            break;
        }
        case 1: {
            const std::string a = w();
            code += "    s" + a + " = s" + a + " & \"" + w() + " " + w() + "\" & CStr(n" + w() + ")\r\n";
            break;
        }
        case 2: {
            const std::string a = w();
            const std::string b = w();
            code += "    For n" + a + " = 1 To Len(s" + b + ")\r\n        Mid$(s" + b + ", n" + a +
                    ", 1) = UCase$(Mid$(s" + b + ", n" + a + ", 1))\r\n    Next n" + a + "\r\n";
            break;
        }
        case 3:
            code += "    ' Keep the " + w() + " within the " + w() + "\r\n";
            break;
        case 4:
            if (r.below(2) == 0) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%X", r.below(4096));
                code += "    Call SendMessage(h" + w() + ", &H" + hex + ", 0&, ByVal 0&)\r\n";
                break;
            }
            [[fallthrough]];
        default:
            code += "    Do" + w() + " = Do" + w() + " + n" + w() + " * " + n(100) + "\r\n";
            break;
        }
    }
    for (const Plant& p : kPlants) {
        if (number % p.every == p.at)
            code += p.line;
    }
    // Now and then a comment in a language other than English.
    if (r.below(10) == 0)
        code += "    ' Pr\xc3\xbc"
                "ft die Gr\xc3\xb6\xc3\x9f"
                "e, \xc3\xa9t\xc3\xa9 \xc3\xa0 la fen\xc3\xaatre\r\n";
    code += "End Function\r\n";
    return code;
}

} // namespace

QString generateLibrary(const QString& dir, int count) {
    QDir().mkpath(dir);
    const Vocabulary vocabulary;
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
                char serial[16];
                std::snprintf(serial, sizeof serial, "%06d", number);
                insert.bind(1, QString::fromStdString(vocabulary.pick(r) + " " + vocabulary.pick(r) + " " + serial));
                insert.bind(2, QString::fromStdString(snippetCode(r, vocabulary, number)));
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
    const QString dir = QDir(root).filePath(QStringLiteral("library-v3-%1").arg(count));
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
