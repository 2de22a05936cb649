#include "vbcheck/VbCheck.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

namespace verdane::tools {

namespace {

// ---------------------------------------------------------------------------------------------------------------
// Reading lines into statements

enum class TokenKind { Word, Number, String, Symbol, Directive };

struct Token {
    TokenKind kind;
    QString text; // as written
    QString key;  // lower case, a word's type suffix dropped: what VB compares
};

using Statement = QList<Token>;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isOneOf(QChar c, QStringView set) {
    return set.contains(c);
}

// A date literal (#1/2/2003#, #12:30 PM#) at i: its length, 0 when the # starts none. Its colons must not split.
qsizetype dateLiteralLength(QStringView s, qsizetype i) {
    if (i + 1 >= s.size() || !s[i + 1].isDigit())
        return 0;
    for (qsizetype j = i + 1; j < s.size(); ++j) {
        if (s[j] == QLatin1Char('#'))
            return j - i + 1;
        if (!s[j].isDigit() && !isOneOf(s[j], u"/:-. AaPpMm"))
            return 0;
    }
    return 0;
}

// A number at i (1.5E-3, &HFF&, &O17, 10%): its length, 0 when none starts there.
qsizetype numberLength(QStringView s, qsizetype i) {
    qsizetype j = i;
    const auto digitsFrom = [&](auto isDigit) {
        const qsizetype from = j;
        while (j < s.size() && isDigit(s[j]))
            ++j;
        return j > from;
    };
    if (s[j] == QLatin1Char('&')) {
        if (j + 1 >= s.size() || !isOneOf(s[j + 1], u"HhOo"))
            return 0;
        const bool hex = s[j + 1].toUpper() == QLatin1Char('H');
        j += 2;
        if (!digitsFrom(
                [hex](QChar c) { return hex ? isOneOf(c, u"0123456789ABCDEFabcdef") : isOneOf(c, u"01234567"); }))
            return 0;
    } else {
        const auto decimal = [](QChar c) { return c.isDigit(); };
        const bool whole = digitsFrom(decimal);
        if (j < s.size() && s[j] == QLatin1Char('.')) {
            ++j;
            if (!digitsFrom(decimal) && !whole)
                return 0;
        } else if (!whole) {
            return 0;
        }
        if (j + 1 < s.size() && isOneOf(s[j], u"EeDd") && (s[j + 1].isDigit() || isOneOf(s[j + 1], u"+-"))) {
            const qsizetype mantissaEnd = j;
            j += s[j + 1].isDigit() ? 1 : 2;
            if (!digitsFrom(decimal))
                j = mantissaEnd;
        }
    }
    if (j < s.size() && isOneOf(s[j], u"%&!#@"))
        ++j;
    return j < s.size() && isNamePart(s[j]) ? 0 : j - i;
}

// The operators VB.NET has and VB6 lacks come first, so that "+=" is read as one token.
constexpr const char16_t* kSymbols[] = {u"<<=", u">>=", u"+=", u"-=", u"*=", u"/=", u"\\=", u"&=",
                                        u"^=",  u"<<",  u">>", u"<>", u"<=", u">=", u":="};

// Tokens of one logical line, split into its statements at the colons that separate them (never at ":=" of a named
// argument). A comment, by ' or by Rem where a statement starts, ends the line.
QList<Statement> statementsOf(QStringView s) {
    QList<Statement> statements(1);
    bool statementStart = true;
    qsizetype i = 0;
    const auto add = [&](TokenKind kind, qsizetype length, QString key) {
        statements.last().append({kind, s.mid(i, length).toString(), std::move(key)});
        i += length;
        statementStart = false;
    };
    while (i < s.size()) {
        const QChar c = s[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('\''))
            break;
        if (c == QLatin1Char(':') && !(i + 1 < s.size() && s[i + 1] == QLatin1Char('='))) {
            statements.append(Statement());
            statementStart = true;
            ++i;
            continue;
        }
        if (c.isLetter()) {
            qsizetype j = i + 1;
            while (j < s.size() && isNamePart(s[j]))
                ++j;
            const QString key = s.mid(i, j - i).toString().toLower();
            if (statementStart && key == QLatin1String("rem"))
                break;
            // A suffix types the name (Left$, lngValue&); "rs!Field" is the bang operator instead.
            const bool suffixed =
                j < s.size() && isOneOf(s[j], u"$%&#@!") && !(j + 1 < s.size() && isNamePart(s[j + 1]));
            add(TokenKind::Word, j - i + (suffixed ? 1 : 0), key);
            continue;
        }
        if (c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < s.size() && !(s[j] == QLatin1Char('"') && !(j + 1 < s.size() && s[j + 1] == QLatin1Char('"'))))
                j += s[j] == QLatin1Char('"') ? 2 : 1;
            add(TokenKind::String, std::min(j + 1, s.size()) - i, QString());
            continue;
        }
        if (c == QLatin1Char('#')) {
            if (statementStart && i + 1 < s.size() && s[i + 1].isLetter()) {
                qsizetype j = i + 1;
                while (j < s.size() && isNamePart(s[j]))
                    ++j;
                add(TokenKind::Directive, j - i, s.mid(i, j - i).toString().toLower());
                continue;
            }
            if (const qsizetype length = dateLiteralLength(s, i); length > 0) {
                add(TokenKind::Number, length, QString());
                continue;
            }
        }
        if (const qsizetype length = numberLength(s, i); length > 0) {
            add(TokenKind::Number, length, s.mid(i, length).toString().toLower());
            continue;
        }
        qsizetype length = 1;
        for (const char16_t* symbol : kSymbols) {
            const QStringView view(symbol);
            if (s.mid(i).startsWith(view)) {
                length = view.size();
                break;
            }
        }
        add(TokenKind::Symbol, length, s.mid(i, length).toString());
    }
    return statements;
}

// Where a physical line ends in a line continuation (" _"), the position of its underscore; -1 otherwise.
qsizetype continuationUnderscore(QStringView line) {
    const QStringView text = line.trimmed();
    if (!text.endsWith(QLatin1Char('_')))
        return -1;
    const qsizetype at = line.lastIndexOf(QLatin1Char('_'));
    return at == 0 || isBlank(line[at - 1]) ? at : -1;
}

struct LogicalLine {
    int number; // of its first physical line
    QString text;
};

// Physical lines joined where VB joins them. A comment that ends in " _" goes on to the next line too.
QList<LogicalLine> logicalLines(const QString& text) {
    QList<LogicalLine> lines;
    bool joining = false;
    const QStringList physical = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < physical.size(); ++n) {
        QStringView line(physical[n]);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!joining)
            lines.append({int(n + 1), QString()});
        const qsizetype underscore = continuationUnderscore(line);
        joining = underscore >= 0;
        lines.last().text += joining ? line.left(underscore).toString() + QLatin1Char(' ') : line.toString();
    }
    return lines;
}

bool isWord(const Token& t, QLatin1String key) {
    return t.kind == TokenKind::Word && t.key == key;
}

bool wordAt(const Statement& t, qsizetype i, QLatin1String key) {
    return i >= 0 && i < t.size() && isWord(t[i], key);
}

bool isSymbol(const Token& t, QLatin1String text) {
    return t.kind == TokenKind::Symbol && t.text == text;
}

bool keyIn(const Token& t, std::initializer_list<const char*> keys) {
    if (t.kind != TokenKind::Word)
        return false;
    for (const char* key : keys) {
        if (t.key == QLatin1String(key))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------------------------
// Checking the statements

enum class BlockKind { Sub, Function, Property, If, For, Do, While, Select, With, Type, Enum };

struct Block {
    BlockKind kind;
    int line;
    QString variable; // of a For, to match its Next
    bool isPublic = false;
};

bool isProcedure(BlockKind kind) {
    return kind == BlockKind::Sub || kind == BlockKind::Function || kind == BlockKind::Property;
}

// How each block is named where it opens and where it closes, in the order of BlockKind.
struct BlockWords {
    const char* opener;
    const char* closer;
};

constexpr BlockWords kBlockWords[] = {{"Sub", "End Sub"},
                                      {"Function", "End Function"},
                                      {"Property", "End Property"},
                                      {"If", "End If"},
                                      {"For", "Next"},
                                      {"Do", "Loop"},
                                      {"While", "Wend"},
                                      {"Select Case", "End Select"},
                                      {"With", "End With"},
                                      {"Type", "End Type"},
                                      {"Enum", "End Enum"}};

QString opener(BlockKind kind) {
    return QString::fromLatin1(kBlockWords[int(kind)].opener);
}

QString closer(BlockKind kind) {
    return QString::fromLatin1(kBlockWords[int(kind)].closer);
}

// Names that stand alone as a statement, so that "Beep:" or "Loop:" at the start of a line is no label.
const QSet<QString>& statementWords() {
    static const QSet<QString> words{
        QStringLiteral("beep"), QStringLiteral("close"),     QStringLiteral("do"),     QStringLiteral("doevents"),
        QStringLiteral("else"), QStringLiteral("end"),       QStringLiteral("endif"),  QStringLiteral("exit"),
        QStringLiteral("loop"), QStringLiteral("next"),      QStringLiteral("resume"), QStringLiteral("return"),
        QStringLiteral("stop"), QStringLiteral("randomize"), QStringLiteral("reset"),  QStringLiteral("wend"),
        QStringLiteral("try"),  QStringLiteral("finally"),   QStringLiteral("case"),   QStringLiteral("select")};
    return words;
}

struct PublicName {
    QString name;
    int line;
};

struct Reading {
    QList<VbFinding> findings;
    QList<PublicName> publicNames; // module-level names a standard module puts into the whole project
};

class Checker final {
public:
    explicit Checker(const QString& text) {
        checkHeader(text);
        for (const LogicalLine& line : logicalLines(text))
            readLine(statementsOf(line.text), line.number);
        closeAll();
    }

    Reading result() && { return {std::move(m_findings), std::move(m_public)}; }

private:
    void report(VbFault fault, int line, const QString& message) { m_findings.append({fault, line, {}, message}); }

    // A module-level name. Two definitions of one name in a module do not compile, but for the Property Get,
    // Let and Set of one property. Inside #If only one branch compiles, so names there are not compared.
    void define(const Token& name, int line, bool property = false) {
        if (!m_directives.isEmpty())
            return;
        if (const auto found = m_definitions.constFind(name.key); found != m_definitions.cend()) {
            if (!(property && found->second))
                report(VbFault::DuplicateName, line,
                       QStringLiteral("%1 is defined twice in this module (line %2)").arg(name.text).arg(found->first));
        } else {
            m_definitions.insert(name.key, {line, property});
        }
    }

    void checkHeader(const QString& text) {
        const QString first = text.section(QLatin1Char('\n'), 0, 0);
        if (!first.startsWith(QLatin1Char('\'')))
            report(VbFault::Header, 1, QStringLiteral("the snippet does not start with its header comment"));
        else if (!std::any_of(first.begin(), first.end(), [](QChar c) { return c.isLetter(); }))
            report(VbFault::Header, 1, QStringLiteral("the header comment says nothing"));
    }

    void readLine(QList<Statement> statements, int line) {
        Statement& first = statements.first();
        // A line number, or a name followed by a colon, at the start of a line is a label.
        if (!first.isEmpty() && first.first().kind == TokenKind::Number && !first.first().key.isEmpty()) {
            m_labels.insert(first.first().key, line);
            first.removeFirst();
        } else if (statements.size() > 1 && first.size() == 1 && first.first().kind == TokenKind::Word &&
                   !statementWords().contains(first.first().key)) {
            m_labels.insert(first.first().key, line);
            first.clear();
        }
        for (qsizetype k = 0; k < statements.size(); ++k) {
            if (!statements[k].isEmpty() && statement(statements[k], line, statements.mid(k + 1)))
                break;
        }
    }

    // Returns true when the statement took the rest of the line with it (a single-line If).
    bool statement(const Statement& t, int line, const QList<Statement>& rest) {
        if (!m_stack.isEmpty() && (m_stack.last().kind == BlockKind::Type || m_stack.last().kind == BlockKind::Enum) &&
            !isWord(t.first(), QLatin1String("end"))) {
            // A member never starts with a declaring word: where one does, the body has ended without its End.
            if (!keyIn(t.first(), {"public", "private", "friend", "global", "dim", "static", "sub", "function",
                                   "property", "declare", "const", "type", "enum"})) {
                scanForeign(t, line);
                if (m_stack.last().kind == BlockKind::Enum) {
                    define(t.first(), line);
                    if (m_stack.last().isPublic)
                        m_public.append({t.first().text, line});
                }
                return false;
            }
            reportUnclosed(m_stack.takeLast());
        }
        if (t.first().kind == TokenKind::Directive) {
            directive(t, line);
            return false;
        }
        if (isWord(t.first(), QLatin1String("if"))) {
            qsizetype then = 1;
            while (then < t.size() && !isWord(t[then], QLatin1String("then")))
                ++then;
            scanForeign(t.mid(0, then), line);
            if (then == t.size()) {
                report(VbFault::Block, line, QStringLiteral("If without Then"));
            } else if (then == t.size() - 1) {
                push(BlockKind::If, line);
            } else {
                singleLineIf(t.mid(then + 1), rest, line);
                return true;
            }
            return false;
        }
        if (isWord(t.first(), QLatin1String("else"))) {
            expectInside(BlockKind::If, line, QStringLiteral("Else"));
            // "Else If x Then" on one line is an Else holding a new If, which needs an End If of its own.
            return t.size() > 1 && statement(t.mid(1), line, rest);
        }
        scanForeign(t, line);
        declarationOrControl(t, line);
        return false;
    }

    // The statements after Then up to the end of the line, Else parts included. Blocks opened there must close there.
    void singleLineIf(const Statement& body, const QList<Statement>& rest, int line) {
        QList<Statement> pieces;
        for (const Statement& part : QList<Statement>{body} + rest) {
            pieces.append(Statement());
            for (const Token& token : part) {
                if (isWord(token, QLatin1String("else")))
                    pieces.append(Statement());
                else
                    pieces.last().append(token);
            }
        }
        const qsizetype floor = std::exchange(m_floor, m_stack.size());
        for (qsizetype k = 0; k < pieces.size(); ++k) {
            const Statement& piece = pieces[k];
            if (piece.size() == 1 && piece.first().kind == TokenKind::Number)
                m_jumps.append({piece.first().key, line}); // If x Then 100: an implied GoTo
            else if (!piece.isEmpty() && statement(piece, line, pieces.mid(k + 1)))
                break;
        }
        while (m_stack.size() > m_floor)
            reportUnclosed(m_stack.takeLast());
        m_floor = floor;
    }

    void declarationOrControl(const Statement& t, int line) {
        qsizetype i = 0;
        bool isPrivate = false;
        bool isPublic = false;
        while (i < t.size() && keyIn(t[i], {"public", "private", "friend", "global", "static", "dim", "withevents"})) {
            isPrivate = isPrivate || keyIn(t[i], {"private", "friend", "dim"});
            isPublic = isPublic || keyIn(t[i], {"public", "global"});
            ++i;
        }
        const bool moduleLevel = !inProcedure();
        if (i == t.size())
            return;
        const Token& head = t[i];
        const bool named = i + 1 < t.size() && t[i + 1].kind == TokenKind::Word;
        if (keyIn(head, {"sub", "function"}) || (isWord(head, QLatin1String("property")) && named)) {
            const bool property = isWord(head, QLatin1String("property"));
            const qsizetype nameAt = property ? i + 2 : i + 1;
            openProcedure(property                             ? BlockKind::Property
                          : isWord(head, QLatin1String("sub")) ? BlockKind::Sub
                                                               : BlockKind::Function,
                          line);
            if (nameAt < t.size()) {
                define(t[nameAt], line, property);
                if (!property && wordAt(t, nameAt, QLatin1String("new")))
                    report(VbFault::Foreign, line, QStringLiteral("Sub New is a VB.NET constructor"));
                if (!isPrivate)
                    m_public.append({t[nameAt].text, line});
            }
        } else if (isWord(head, QLatin1String("declare")) || isWord(head, QLatin1String("const"))) {
            const qsizetype nameAt = isWord(head, QLatin1String("declare")) ? i + 2 : i + 1;
            if (moduleLevel && nameAt < t.size())
                define(t[nameAt], line);
            if (moduleLevel && !isPrivate) {
                report(VbFault::NotPrivate, line, QStringLiteral("%1 at module level must be Private").arg(head.text));
                if (nameAt < t.size())
                    m_public.append({t[nameAt].text, line});
            }
        } else if (keyIn(head, {"type", "enum"}) && named) {
            if (moduleLevel)
                define(t[i + 1], line);
            push(isWord(head, QLatin1String("type")) ? BlockKind::Type : BlockKind::Enum, line);
            m_stack.last().isPublic = moduleLevel && !isPrivate;
            if (m_stack.last().isPublic)
                m_public.append({t[i + 1].text, line});
        } else if (keyIn(head, {"class", "module", "structure", "interface", "namespace"}) && named) {
            report(VbFault::Foreign, line, QStringLiteral("%1 blocks are VB.NET").arg(head.text));
        } else if (isWord(head, QLatin1String("event"))) {
            // An event of a class: a declaration with no body.
        } else if (i > 0) {
            variables(t.mid(i), line, moduleLevel, moduleLevel && isPublic);
        } else {
            control(t, line);
        }
    }

    // Dim, Private, Public, Static: names, their types, and never an initial value.
    void variables(const Statement& t, int line, bool moduleLevel, bool isPublic) {
        int depth = 0;
        bool nameNext = true;
        for (const Token& token : t) {
            if (isSymbol(token, QLatin1String("(")))
                ++depth;
            else if (isSymbol(token, QLatin1String(")")))
                --depth;
            else if (depth == 0 && isSymbol(token, QLatin1String("="))) {
                report(VbFault::Foreign, line, QStringLiteral("a declaration with an initial value is VB.NET"));
                return;
            }
            if (depth == 0 && isSymbol(token, QLatin1String(",")))
                nameNext = true;
            else if (nameNext && token.kind == TokenKind::Word) {
                if (moduleLevel)
                    define(token, line);
                if (isPublic)
                    m_public.append({token.text, line});
                nameNext = false;
            }
        }
    }

    void control(const Statement& t, int line) {
        const Token& head = t.first();
        const auto second = [&](QLatin1String key) { return wordAt(t, 1, key); };
        if (isWord(head, QLatin1String("end")) || isWord(head, QLatin1String("endif"))) {
            endStatement(t, line);
        } else if (isWord(head, QLatin1String("elseif"))) {
            expectInside(BlockKind::If, line, QStringLiteral("ElseIf"));
        } else if (isWord(head, QLatin1String("select")) && second(QLatin1String("case"))) {
            push(BlockKind::Select, line);
        } else if (isWord(head, QLatin1String("case"))) {
            expectInside(BlockKind::Select, line, QStringLiteral("Case"));
        } else if (isWord(head, QLatin1String("for"))) {
            const qsizetype at = second(QLatin1String("each")) ? 2 : 1;
            push(BlockKind::For, line, at < t.size() ? t[at].key : QString());
        } else if (isWord(head, QLatin1String("next"))) {
            next(t, line);
        } else if (isWord(head, QLatin1String("do"))) {
            push(BlockKind::Do, line);
        } else if (isWord(head, QLatin1String("loop"))) {
            close(BlockKind::Do, line, QStringLiteral("Loop"));
        } else if (isWord(head, QLatin1String("while"))) {
            push(BlockKind::While, line);
        } else if (isWord(head, QLatin1String("wend"))) {
            close(BlockKind::While, line, QStringLiteral("Wend"));
        } else if (isWord(head, QLatin1String("with"))) {
            push(BlockKind::With, line);
        } else if (isWord(head, QLatin1String("exit"))) {
            exitStatement(t, line);
        } else {
            jumpsAndForeignStatements(t, line);
        }
    }

    void jumpsAndForeignStatements(const Statement& t, int line) {
        const Token& head = t.first();
        const auto labelAt = [&](qsizetype i) {
            if (i < t.size() && (t[i].kind == TokenKind::Word || t[i].kind == TokenKind::Number))
                m_jumps.append({t[i].key, line});
        };
        if (keyIn(head, {"goto", "gosub"})) {
            labelAt(1);
        } else if (isWord(head, QLatin1String("on"))) {
            qsizetype jump = 1;
            while (jump < t.size() && !keyIn(t[jump], {"goto", "gosub"}))
                ++jump;
            const bool onError = wordAt(t, 1, QLatin1String("error")) || wordAt(t, 2, QLatin1String("error"));
            if (onError) {
                // On Error GoTo 0 (and -1) switch handling off rather than jump.
                if (jump + 1 < t.size() && t[jump + 1].key != QLatin1String("0") &&
                    !isSymbol(t[jump + 1], QLatin1String("-")))
                    labelAt(jump + 1);
            } else {
                for (qsizetype i = jump + 1; i < t.size(); i += 2)
                    labelAt(i);
            }
        } else if (isWord(head, QLatin1String("resume"))) {
            if (t.size() > 1 && !isWord(t[1], QLatin1String("next")) && t[1].key != QLatin1String("0"))
                labelAt(1);
        } else if (isWord(head, QLatin1String("return")) && t.size() > 1) {
            report(VbFault::Foreign, line, QStringLiteral("Return with a value is VB.NET; assign the function name"));
        } else if ((keyIn(head, {"try", "finally"}) && t.size() == 1) || isWord(head, QLatin1String("catch"))) {
            report(VbFault::Foreign, line, QStringLiteral("Try/Catch/Finally is VB.NET; use On Error"));
        } else if (isWord(head, QLatin1String("throw"))) {
            report(VbFault::Foreign, line, QStringLiteral("Throw is VB.NET; use Err.Raise"));
        } else if (keyIn(head, {"using", "continue"}) && t.size() > 1 && t[1].kind == TokenKind::Word) {
            report(VbFault::Foreign, line, QStringLiteral("%1 is VB.NET").arg(head.text));
        } else if (isWord(head, QLatin1String("option")) && t.size() > 1) {
            const QString rest = t[1].key + (t.size() > 2 ? QLatin1Char(' ') + t[2].key : QString());
            if (keyIn(t[1], {"strict", "infer"}))
                report(VbFault::Foreign, line, QStringLiteral("Option %1 is VB.NET").arg(t[1].text));
            else if (rest == QLatin1String("private module") || rest == QLatin1String("compare database"))
                report(VbFault::Foreign, line, QStringLiteral("this Option is VBA-only"));
        }
    }

    void endStatement(const Statement& t, int line) {
        static const QHash<QString, BlockKind> ends{{QStringLiteral("if"), BlockKind::If},
                                                    {QStringLiteral("sub"), BlockKind::Sub},
                                                    {QStringLiteral("function"), BlockKind::Function},
                                                    {QStringLiteral("property"), BlockKind::Property},
                                                    {QStringLiteral("select"), BlockKind::Select},
                                                    {QStringLiteral("with"), BlockKind::With},
                                                    {QStringLiteral("type"), BlockKind::Type},
                                                    {QStringLiteral("enum"), BlockKind::Enum}};
        if (isWord(t.first(), QLatin1String("endif"))) {
            close(BlockKind::If, line, QStringLiteral("End If"));
            return;
        }
        if (t.size() < 2 || t[1].kind != TokenKind::Word)
            return; // End on its own ends the program
        if (const auto kind = ends.constFind(t[1].key); kind != ends.cend()) {
            const std::optional<Block> closed = close(*kind, line, QStringLiteral("End ") + t[1].text);
            if (closed && isProcedure(closed->kind))
                finishProcedure();
        } else if (keyIn(t[1], {"try", "class", "module", "namespace", "structure", "using", "interface", "while",
                                "get", "set", "operator", "synclock"})) {
            report(VbFault::Foreign, line, QStringLiteral("End %1 is VB.NET").arg(t[1].text));
        }
    }

    void next(const Statement& t, int line) {
        QStringList variables;
        for (qsizetype i = 1; i < t.size(); ++i) {
            if (t[i].kind == TokenKind::Word)
                variables << t[i].key;
        }
        if (variables.isEmpty())
            variables << QString();
        for (const QString& variable : std::as_const(variables)) {
            const std::optional<Block> closed = close(BlockKind::For, line, QStringLiteral("Next"));
            if (!closed)
                return;
            if (!variable.isEmpty() && !closed->variable.isEmpty() && variable != closed->variable)
                report(VbFault::Block, line,
                       QStringLiteral("Next %1 closes the For %2 of line %3")
                           .arg(variable, closed->variable)
                           .arg(closed->line));
        }
    }

    void exitStatement(const Statement& t, int line) {
        if (t.size() < 2)
            return;
        const Token& what = t[1];
        if (keyIn(what, {"try", "while", "select"})) {
            report(VbFault::Foreign, line, QStringLiteral("Exit %1 is VB.NET").arg(what.text));
            return;
        }
        static const QHash<QString, BlockKind> exits{{QStringLiteral("sub"), BlockKind::Sub},
                                                     {QStringLiteral("function"), BlockKind::Function},
                                                     {QStringLiteral("property"), BlockKind::Property},
                                                     {QStringLiteral("for"), BlockKind::For},
                                                     {QStringLiteral("do"), BlockKind::Do}};
        const auto kind = exits.constFind(what.key);
        if (kind == exits.cend())
            return;
        const bool inside =
            std::any_of(m_stack.cbegin(), m_stack.cend(), [&](const Block& b) { return b.kind == *kind; });
        if (!inside)
            report(VbFault::Block, line, QStringLiteral("Exit %1 outside a %2 block").arg(what.text, opener(*kind)));
    }

    void directive(const Statement& t, int line) {
        const QString& key = t.first().key;
        if (key == QLatin1String("#if")) {
            m_directives.append(line);
        } else if (key == QLatin1String("#else") || key == QLatin1String("#elseif")) {
            if (m_directives.isEmpty())
                report(VbFault::Block, line, QStringLiteral("%1 without #If").arg(t.first().text));
        } else if (key == QLatin1String("#end")) {
            if (m_directives.isEmpty())
                report(VbFault::Block, line, QStringLiteral("#End If without #If"));
            else
                m_directives.removeLast();
        }
    }

    // What VB.NET and VBA have that VB6 does not, anywhere in a statement.
    void scanForeign(const Statement& t, int line) {
        static const QSet<QString> netWords{
            QStringLiteral("andalso"),     QStringLiteral("orelse"),         QStringLiteral("directcast"),
            QStringLiteral("trycast"),     QStringLiteral("ctype"),          QStringLiteral("isnot"),
            QStringLiteral("inherits"),    QStringLiteral("imports"),        QStringLiteral("handles"),
            QStringLiteral("overrides"),   QStringLiteral("overridable"),    QStringLiteral("overloads"),
            QStringLiteral("mustinherit"), QStringLiteral("notinheritable"), QStringLiteral("shadows"),
            QStringLiteral("addhandler"),  QStringLiteral("removehandler"),  QStringLiteral("nameof")};
        static const QSet<QString> vbaWords{
            QStringLiteral("ptrsafe"),      QStringLiteral("longptr"),        QStringLiteral("longlong"),
            QStringLiteral("thisworkbook"), QStringLiteral("activeworkbook"), QStringLiteral("activesheet"),
            QStringLiteral("activecell"),   QStringLiteral("activedocument"), QStringLiteral("application")};
        // Types and classes of .NET whose members VB.NET code calls: String.Format, Math.Max, Console.WriteLine.
        static const QSet<QString> netClasses{
            QStringLiteral("string"),     QStringLiteral("integer"), QStringLiteral("math"),
            QStringLiteral("console"),    QStringLiteral("convert"), QStringLiteral("environment"),
            QStringLiteral("messagebox"), QStringLiteral("char"),    QStringLiteral("datetime"),
            QStringLiteral("timespan"),   QStringLiteral("array"),   QStringLiteral("double"),
            QStringLiteral("int32")};
        static const QSet<QString> netMembers{QStringLiteral("tostring"), QStringLiteral("substring"),
                                              QStringLiteral("indexof"),  QStringLiteral("startswith"),
                                              QStringLiteral("endswith"), QStringLiteral("toupper"),
                                              QStringLiteral("tolower")};
        static const QSet<QString> netTypes{
            QStringLiteral("short"), QStringLiteral("char"),  QStringLiteral("ushort"),   QStringLiteral("uinteger"),
            QStringLiteral("ulong"), QStringLiteral("sbyte"), QStringLiteral("datetime"), QStringLiteral("decimal")};
        for (qsizetype i = 0; i < t.size(); ++i) {
            const Token& token = t[i];
            const bool member = i > 0 && isSymbol(t[i - 1], QLatin1String("."));
            const Token* after = i + 1 < t.size() ? &t[i + 1] : nullptr;
            if (token.kind == TokenKind::Word) {
                if (member && netMembers.contains(token.key))
                    report(VbFault::Foreign, line, QStringLiteral(".%1 is VB.NET").arg(token.text));
                else if (member)
                    continue;
                else if (netWords.contains(token.key))
                    report(VbFault::Foreign, line, QStringLiteral("%1 is VB.NET").arg(token.text));
                else if (vbaWords.contains(token.key))
                    report(VbFault::Foreign, line, QStringLiteral("%1 is VBA-only").arg(token.text));
                else if (after && isSymbol(*after, QLatin1String(".")) && netClasses.contains(token.key))
                    report(VbFault::Foreign, line, QStringLiteral("%1. is a .NET class").arg(token.text));
                else if (i > 0 && isWord(t[i - 1], QLatin1String("as")) && netTypes.contains(token.key))
                    report(VbFault::Foreign, line, QStringLiteral("As %1 is no VB6 type").arg(token.text));
            } else if (token.kind == TokenKind::Symbol) {
                if (token.text.size() > 1 && token.text != QLatin1String("<>") && token.text != QLatin1String("<=") &&
                    token.text != QLatin1String(">=") && token.text != QLatin1String(":="))
                    report(VbFault::Foreign, line, QStringLiteral("the operator %1 is VB.NET").arg(token.text));
                else if (token.text == QLatin1String("{") || token.text == QLatin1String("}"))
                    report(VbFault::Foreign, line, QStringLiteral("braces are VB.NET"));
                else if (token.text == QLatin1String("$") && after && after->kind == TokenKind::String)
                    report(VbFault::Foreign, line, QStringLiteral("interpolated strings are VB.NET"));
                else if (token.text == QLatin1String("(") && after && isWord(*after, QLatin1String("of")))
                    report(VbFault::Foreign, line, QStringLiteral("generic types (Of T) are VB.NET"));
            }
        }
    }

    // ------------------------------------------------------------------------------------------------------------
    // The block stack

    bool inProcedure() const {
        return std::any_of(m_stack.cbegin(), m_stack.cend(), [](const Block& b) { return isProcedure(b.kind); });
    }

    void push(BlockKind kind, int line, const QString& variable = {}) { m_stack.append({kind, line, variable}); }

    void reportUnclosed(const Block& block) {
        report(VbFault::Block, block.line,
               QStringLiteral("%1 is not closed by %2").arg(opener(block.kind), closer(block.kind)));
    }

    // Closes the innermost open block of this kind in the open procedure (or in the single-line If being read);
    // blocks left open inside it are reported. Returns the closed block, nothing when none was open.
    std::optional<Block> close(BlockKind kind, int line, const QString& statement) {
        qsizetype at = m_stack.size() - 1;
        while (at >= m_floor && m_stack[at].kind != kind && !(isProcedure(m_stack[at].kind) && !isProcedure(kind)))
            --at;
        if (at < m_floor || m_stack[at].kind != kind) {
            report(VbFault::Block, line, QStringLiteral("%1 without %2").arg(statement, opener(kind)));
            return std::nullopt;
        }
        while (m_stack.size() > at + 1)
            reportUnclosed(m_stack.takeLast());
        return m_stack.takeLast();
    }

    void expectInside(BlockKind kind, int line, const QString& statement) {
        if (m_stack.size() <= m_floor || m_stack.last().kind != kind)
            report(VbFault::Block, line, QStringLiteral("%1 outside %2").arg(statement, opener(kind)));
    }

    void openProcedure(BlockKind kind, int line) {
        closeBlocks();
        push(kind, line);
    }

    // Every GoTo, GoSub and Resume of the procedure just ended must find its label there.
    void finishProcedure() {
        for (const auto& [label, line] : std::as_const(m_jumps)) {
            if (!m_labels.contains(label))
                report(VbFault::Label, line, QStringLiteral("no label %1 in this procedure").arg(label));
        }
        m_jumps.clear();
        m_labels.clear();
    }

    void closeBlocks() {
        while (!m_stack.isEmpty())
            reportUnclosed(m_stack.takeLast());
        finishProcedure();
    }

    void closeAll() {
        closeBlocks();
        for (int line : std::as_const(m_directives))
            report(VbFault::Block, line, QStringLiteral("#If is not closed by #End If"));
        m_directives.clear();
    }

    QList<VbFinding> m_findings;
    QList<PublicName> m_public;
    QList<Block> m_stack;
    qsizetype m_floor = 0; // blocks below this belong outside the single-line If being read
    QList<int> m_directives;
    QHash<QString, int> m_labels;
    QList<std::pair<QString, int>> m_jumps;
    QHash<QString, std::pair<int, bool>> m_definitions; // module-level names: line, whether a property
};

Reading read(const QString& text) {
    return Checker(text).result();
}

} // namespace

QList<VbFinding> checkSnippet(const QString& text) {
    return read(text).findings;
}

bool isClassSnippet(const QString& text) {
    QString header;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('\'')))
            break;
        header += line + QLatin1Char(' ');
    }
    return header.contains(QLatin1String("class module"), Qt::CaseInsensitive);
}

QList<VbFinding> checkLibrary(const QList<VbSnippet>& snippets) {
    QList<VbFinding> findings;
    QHash<QString, QString> snippetNames;                 // group/folded name -> name
    QHash<QString, std::pair<QString, int>> publicOwners; // folded Public name -> where, line
    for (const VbSnippet& snippet : snippets) {
        const QString where = snippet.group + QLatin1Char('/') + snippet.name;
        Reading reading = read(snippet.text);
        for (VbFinding& finding : reading.findings) {
            finding.where = where;
            findings.append(std::move(finding));
        }
        const QString nameKey = snippet.group + QLatin1Char('/') + snippet.name.trimmed().toCaseFolded();
        if (const auto other = snippetNames.constFind(nameKey); other != snippetNames.cend())
            findings.append({VbFault::DuplicateName, 0, where,
                             QStringLiteral("the group already holds a snippet named \"%1\"").arg(*other)});
        else
            snippetNames.insert(nameKey, snippet.name);

        if (isClassSnippet(snippet.text))
            continue;
        QSet<QString> own; // Property Get and Let share their name
        for (const PublicName& name : std::as_const(reading.publicNames)) {
            const QString key = name.name.toCaseFolded();
            // A type suffix is not part of the name: GetPath$ and GetPath clash.
            const QString bare = key.endsWith(QLatin1Char('$')) ? key.chopped(1) : key;
            if (own.contains(bare))
                continue;
            own.insert(bare);
            if (const auto owner = publicOwners.constFind(bare); owner != publicOwners.cend())
                findings.append({VbFault::DuplicateName, name.line, where,
                                 QStringLiteral("Public %1 is also defined by %2").arg(name.name, owner->first)});
            else
                publicOwners.insert(bare, {where, name.line});
        }
    }
    return findings;
}

QList<VbSnippet> readSnippetFolder(const QString& folder) {
    QList<VbSnippet> snippets;
    const QDir root(folder);
    for (const QString& group : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir dir(root.filePath(group));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                snippets.append({group, name, QString::fromUtf8(file.readAll())});
        }
    }
    return snippets;
}

QString faultName(VbFault fault) {
    static const char* const names[] = {"Header", "Block", "Label", "Foreign", "NotPrivate", "DuplicateName"};
    return QString::fromLatin1(names[int(fault)]);
}

QString describe(const VbFinding& finding) {
    return QStringLiteral("%1:%2: %3: %4")
        .arg(finding.where)
        .arg(finding.line)
        .arg(faultName(finding.fault), finding.message);
}

} // namespace verdane::tools
