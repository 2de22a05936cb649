#include "ui/main/VbSyntax.h"

#include <QSet>

namespace verdane::vb {

namespace {

const QSet<QString>& keywords() {
    static const QSet<QString> words = [] {
        const char* const list[] = {
            // declarations
            "dim",
            "private",
            "public",
            "friend",
            "global",
            "static",
            "const",
            "declare",
            "function",
            "sub",
            "property",
            "get",
            "let",
            "set",
            "type",
            "enum",
            "end",
            "byval",
            "byref",
            "optional",
            "paramarray",
            "as",
            "lib",
            "alias",
            "redim",
            "preserve",
            "withevents",
            "implements",
            "event",
            "raiseevent",
            "option",
            "explicit",
            "compare",
            "base",
            "text",
            "module",
            "deftype",
            "defbool",
            "defbyte",
            "defint",
            "deflng",
            "defcur",
            "defsng",
            "defdbl",
            "defdate",
            "defstr",
            "defobj",
            "defvar",
            "attribute",
            "erase",
            "ptrsafe",
            // control flow
            "if",
            "then",
            "else",
            "elseif",
            "select",
            "case",
            "for",
            "each",
            "in",
            "to",
            "step",
            "next",
            "do",
            "loop",
            "while",
            "wend",
            "until",
            "exit",
            "goto",
            "gosub",
            "return",
            "on",
            "error",
            "resume",
            "with",
            "call",
            "stop",
            // types
            "boolean",
            "byte",
            "integer",
            "long",
            "longlong",
            "longptr",
            "single",
            "double",
            "currency",
            "date",
            "string",
            "object",
            "variant",
            "any",
            "decimal",
            // operators
            "and",
            "or",
            "not",
            "xor",
            "eqv",
            "imp",
            "mod",
            "is",
            "like",
            "new",
            "typeof",
            "addressof",
            // values
            "true",
            "false",
            "nothing",
            "empty",
            "null",
            "me",
            // file statements
            "open",
            "close",
            "input",
            "output",
            "append",
            "binary",
            "random",
            "access",
            "read",
            "write",
            "lock",
            "unlock",
            "shared",
            "print",
            "put",
            "seek",
            "line",
            "width",
            "name",
            "kill",
            "load",
            "unload",
        };
        QSet<QString> set;
        for (const char* w : list)
            set.insert(QString::fromLatin1(w));
        return set;
    }();
    return words;
}

bool isIdentifierStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentifierPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isTypeSuffix(QChar c) {
    return c == QLatin1Char('%') || c == QLatin1Char('&') || c == QLatin1Char('!') || c == QLatin1Char('#') ||
           c == QLatin1Char('@') || c == QLatin1Char('$') || c == QLatin1Char('^');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Whether the line ends in a continuation: a blank, an underscore, nothing but blanks after it.
int continuationAt(QStringView line) {
    qsizetype end = line.size();
    while (end > 0 && isBlank(line[end - 1]))
        --end;
    if (end >= 2 && line[end - 1] == QLatin1Char('_') && isBlank(line[end - 2]))
        return int(end - 1);
    if (end == 1 && line[0] == QLatin1Char('_'))
        return 0;
    return -1;
}

// A number from position i: decimal with fraction and exponent, &H hex, &O octal, then a type suffix.
int numberLength(QStringView line, qsizetype i) {
    const qsizetype n = line.size();
    qsizetype j = i;
    if (line[j] == QLatin1Char('&') && j + 1 < n) {
        const QChar base = line[j + 1].toUpper();
        if (base != QLatin1Char('H') && base != QLatin1Char('O'))
            return 0;
        j += 2;
        const qsizetype digits = j;
        while (j < n && (base == QLatin1Char('H') ? isxdigit(line[j].toLatin1())
                                                  : (line[j] >= QLatin1Char('0') && line[j] <= QLatin1Char('7'))))
            ++j;
        if (j == digits)
            return 0;
    } else {
        while (j < n && line[j].isDigit())
            ++j;
        if (j < n && line[j] == QLatin1Char('.')) {
            ++j;
            while (j < n && line[j].isDigit())
                ++j;
        }
        if (j == i || (j == i + 1 && line[i] == QLatin1Char('.')))
            return 0;
        if (j < n && (line[j] == QLatin1Char('e') || line[j] == QLatin1Char('E') || line[j] == QLatin1Char('d') ||
                      line[j] == QLatin1Char('D'))) {
            qsizetype k = j + 1;
            if (k < n && (line[k] == QLatin1Char('+') || line[k] == QLatin1Char('-')))
                ++k;
            if (k < n && line[k].isDigit()) {
                while (k < n && line[k].isDigit())
                    ++k;
                j = k;
            }
        }
    }
    if (j < n && isTypeSuffix(line[j]) && line[j] != QLatin1Char('$'))
        ++j;
    if (j < n && isIdentifierPart(line[j]))
        return 0; // a name that begins with digits is no number
    return int(j - i);
}

bool startsWithWord(QStringView text, QLatin1String word) {
    if (!text.startsWith(word, Qt::CaseInsensitive))
        return false;
    return text.size() == word.size() || !isIdentifierPart(text[word.size()]);
}

// Lines of a class or form file's header: VERSION, BEGIN ... End, Attribute VB_...
bool headerLine(QStringView line, LineState& state) {
    const QStringView trimmed = line.trimmed();
    if (state.headerDepth > 0) {
        if (startsWithWord(trimmed, QLatin1String("Begin")) || startsWithWord(trimmed, QLatin1String("BeginProperty")))
            ++state.headerDepth;
        else if (trimmed.compare(QLatin1String("End"), Qt::CaseInsensitive) == 0 ||
                 startsWithWord(trimmed, QLatin1String("EndProperty")))
            --state.headerDepth;
        return true;
    }
    if (startsWithWord(trimmed, QLatin1String("VERSION")) && trimmed.size() > 8 && trimmed[8].isDigit())
        return true;
    if (trimmed.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0 ||
        (startsWithWord(trimmed, QLatin1String("Begin")) &&
         trimmed.mid(5).trimmed().startsWith(QLatin1String("VB."), Qt::CaseInsensitive))) {
        state.headerDepth = 1;
        return true;
    }
    return startsWithWord(trimmed, QLatin1String("Attribute")) &&
           trimmed.mid(9).trimmed().startsWith(QLatin1String("VB_"), Qt::CaseInsensitive);
}

} // namespace

LineResult readLine(QStringView line, LineState state) {
    LineResult result;
    const int n = int(line.size());
    const int continuation = continuationAt(line);

    if (state.commentContinues) {
        result.spans.append({0, n, Kind::Comment});
        result.next.commentContinues = continuation >= 0;
        result.next.headerDepth = state.headerDepth;
        return result;
    }
    LineState header = state;
    if (headerLine(line, header)) {
        if (n > 0)
            result.spans.append({0, n, Kind::Header});
        result.next = header;
        return result;
    }

    bool statementStart = true; // where Rem and # directives may stand
    int i = 0;
    while (i < n) {
        const QChar c = line[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (c == QLatin1Char(':')) {
            statementStart = true;
            ++i;
            continue;
        }
        if (c == QLatin1Char('\'') || (statementStart && startsWithWord(line.mid(i), QLatin1String("Rem")))) {
            result.spans.append({i, n - i, Kind::Comment});
            result.next.commentContinues = continuation >= 0;
            return result;
        }
        if (statementStart && c == QLatin1Char('#') && i + 1 < n && isIdentifierStart(line[i + 1])) {
            int j = i + 1;
            while (j < n && isIdentifierPart(line[j]))
                ++j;
            result.spans.append({i, j - i, Kind::Directive});
            i = j;
            statementStart = false;
            continue;
        }
        statementStart = false;
        if (c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n) {
                if (line[j] == QLatin1Char('"')) {
                    if (j + 1 < n && line[j + 1] == QLatin1Char('"')) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            result.spans.append({i, j - i, Kind::String});
            i = j;
            continue;
        }
        if (isIdentifierStart(c)) {
            int j = i + 1;
            while (j < n && isIdentifierPart(line[j]))
                ++j;
            if (i == continuation) { // a lone underscore ending the line
                result.spans.append({i, 1, Kind::Continuation});
                i = j;
                continue;
            }
            const bool suffixed = j < n && isTypeSuffix(line[j]);
            if (!suffixed && keywords().contains(line.mid(i, j - i).toString().toLower()))
                result.spans.append({i, j - i, Kind::Keyword});
            i = suffixed ? j + 1 : j;
            continue;
        }
        if (c.isDigit() || c == QLatin1Char('&') || c == QLatin1Char('.')) {
            if (const int length = numberLength(line, i); length > 0) {
                result.spans.append({i, length, Kind::Number});
                i += length;
                continue;
            }
        }
        if (c == QLatin1Char('#')) {
            // A date literal, #1/2/2003#.
            const qsizetype close = line.indexOf(QLatin1Char('#'), i + 1);
            if (close > i + 1 && line.mid(i + 1, close - i - 1).trimmed().size() > 0 && line[i + 1].isDigit()) {
                result.spans.append({i, int(close - i + 1), Kind::Number});
                i = int(close) + 1;
                continue;
            }
        }
        ++i;
    }
    return result;
}

LineState nextState(QStringView line, LineState state) {
    if (state == LineState{}) {
        // From the plain state only a BEGIN opens a header block and only a final " _" continues a comment.
        qsizetype first = 0;
        while (first < line.size() && isBlank(line[first]))
            ++first;
        qsizetype last = line.size() - 1;
        while (last >= 0 && isBlank(line[last]))
            --last;
        const bool mayBegin =
            first < line.size() && (line[first] == QLatin1Char('B') || line[first] == QLatin1Char('b'));
        const bool mayContinue = last >= 0 && line[last] == QLatin1Char('_');
        if (!mayBegin && !mayContinue)
            return {};
    }
    return readLine(line, state).next;
}

} // namespace verdane::vb
