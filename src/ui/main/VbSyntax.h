#pragma once

#include <QList>
#include <QString>

namespace verdane::vb {

// What a stretch of a line of classic Visual Basic is, for colouring it.
enum class Kind { Keyword, Comment, String, Number, Directive, Header, Continuation };

struct Span {
    int start;
    int length;
    Kind kind;
    friend bool operator==(const Span&, const Span&) = default;
};

// What a line hands on to the next: whether a comment goes on (a comment ending in " _" continues on the next line,
// as VB reads it), and how deep the next line lies in the BEGIN ... End blocks of a class or form file's header.
struct LineState {
    bool commentContinues = false;
    int headerDepth = 0;
    friend bool operator==(const LineState&, const LineState&) = default;

    int toInt() const { return (headerDepth << 1) | (commentContinues ? 1 : 0); }
    static LineState fromInt(int value) { return value < 0 ? LineState{} : LineState{(value & 1) != 0, value >> 1}; }
};

struct LineResult {
    QList<Span> spans; // in order, never overlapping; what lies between them is plain
    LineState next;
};

// Reads one line (without its line break), given what the line before handed on. Case-insensitive, as VB is.
LineResult readLine(QStringView line, LineState state = {});

// What readLine would hand on, found without reading most lines at all.
LineState nextState(QStringView line, LineState state);

} // namespace verdane::vb
