#pragma once

// QScintilla's headers name their signal and slot sections with the keywords this program turns off.
#ifdef QT_NO_KEYWORDS
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots
#else
#include <Qsci/qsciscintilla.h>
#endif

namespace verdane {

// The code pane: a read-only Scintilla editor, fixed pitch, no wrapping, coloured as the VB IDE colours code. The
// editor holds the snippet's text exactly as stored (CR LF, a lone CR and a lone LF alike, each starting a new line
// on screen as on paper), so what the commands take away, a selection or the whole text, is that text byte for byte.
// Read-only, the editor takes no typing, paste or drop, and claims no key ahead of the window: Ctrl+A, Ctrl+C and
// Ctrl+P stay the window's commands.
//
// For a snippet of the user's own the pane can be made editable. It then takes typing, paste and drop, with undo of
// the typing; a typed or pasted line break is CR LF, and the lines already there keep theirs. The window's enabled
// commands still come first: Ctrl+A stays Copy All.
//
// Scintilla keeps its text in one buffer and lays out and colours only the lines it paints, the rest when idle: a
// snippet of many megabytes is on screen at once.
class CodeView final : public QsciScintilla {
    Q_OBJECT

public:
    explicit CodeView(QWidget* parent = nullptr);

    // Shows a stored text, read-only: editing ends.
    void setCode(const QString& code);
    // The stored text the pane was given; while editing, still that text, whatever has been typed.
    const QString& code() const { return m_code; }
    // The selected part of the text the pane holds; empty without a selection.
    QString selectedCode() const;

    // Makes the pane editable, starting from the stored text, and gives it the keyboard. setCode ends it.
    void beginEditing();
    bool isEditing() const { return m_editing; }
    // The text the pane holds, exactly: while editing, what has been typed; otherwise the stored text.
    QString heldCode() const;
    bool isModified() const { return m_editing && heldCode() != m_code; }

    // Colours VB syntax with Scintilla's VB lexer and our keyword list; off, no lexer runs. Only how the text looks
    // changes.
    void setHighlighting(bool on);

protected:
    bool event(QEvent* event) override;

private:
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const {
        return SendScintilla(message, wParam, lParam);
    }

    QString m_code;
    bool m_editing = false;
};

} // namespace verdane
