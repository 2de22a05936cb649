#include "ui/main/CodeView.h"

#include "ui/common/Faces.h"
#include "ui/main/VbSyntax.h"

#include <QAction>
#include <QKeyEvent>

namespace verdane {

namespace {

// The styles Scintilla's VB lexer gives comments and keywords (SCE_B_COMMENT and SCE_B_KEYWORD of its SciLexer.h,
// which QScintilla does not install).
constexpr unsigned long kCommentStyle = 1;
constexpr unsigned long kKeywordStyle = 3;

// The VB IDE's default colours: everything black on white but keywords and comments.
const QColor kText(0x00, 0x00, 0x00);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kKeyword(0x00, 0x00, 0x80);
const QColor kComment(0x00, 0x80, 0x00);

} // namespace

CodeView::CodeView(QWidget* parent)
    : QsciScintilla(parent) {
    setObjectName(QStringLiteral("txtView"));
    setUtf8(true);
    setReadOnly(true);
    setWrapMode(WrapNone);
    setMargins(0);
    send(SCI_SETMARGINLEFT, 0, 4);
    send(SCI_SETUNDOCOLLECTION, false);
    // What the user types is stored as typed; snippets are Windows text, so Enter and a paste give CR LF.
    send(SCI_SETEOLMODE, SC_EOL_CRLF);
    send(SCI_SETPASTECONVERTENDINGS, true);
    send(SCI_SETTABWIDTH, 8);
    // The widest line seen so far sets the horizontal scroll range; no line is measured before it is shown.
    send(SCI_SETSCROLLWIDTHTRACKING, true);
    // Lines are coloured as they are painted; the rest of the text follows while the window waits for input.
    send(SCI_SETIDLESTYLING, SC_IDLESTYLING_ALL);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    QFont font(faces::code());
    font.setPointSizeF(9.75);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, kText);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, kPaper);
    send(SCI_STYLECLEARALL);
    SendScintilla(SCI_STYLESETFORE, kKeywordStyle, kKeyword);
    SendScintilla(SCI_STYLESETFORE, kCommentStyle, kComment);
}

void CodeView::setCode(const QString& code) {
    m_code = code;
    m_editing = false;
    const QByteArray bytes = code.toUtf8();
    setReadOnly(false);
    send(SCI_SETUNDOCOLLECTION, false);
    send(SCI_CLEARALL);
    send(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_APPENDTEXT, uintptr_t(bytes.size()), bytes.constData());
    send(SCI_EMPTYUNDOBUFFER);
    setReadOnly(true);
}

void CodeView::beginEditing() {
    m_editing = true;
    setReadOnly(false);
    // Undo reaches back to the stored text, never further.
    send(SCI_EMPTYUNDOBUFFER);
    send(SCI_SETUNDOCOLLECTION, true);
    setFocus(Qt::OtherFocusReason);
}

QString CodeView::heldCode() const {
    if (!m_editing)
        return m_code;
    const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QString::fromUtf8(text, send(SCI_GETLENGTH));
}

bool CodeView::event(QEvent* event) {
    // Editable, Scintilla claims every key it has a command for ahead of the window (Ctrl+A would select all). A
    // key that an enabled command of the window has stays that command's; the rest go to the editor.
    if (event->type() == QEvent::ShortcutOverride && m_editing) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* command : window()->findChildren<QAction*>()) {
            if (command->isEnabled() && !command->shortcut().isEmpty() && command->shortcut() == pressed)
                return QAbstractScrollArea::event(event);
        }
    }
    return QsciScintilla::event(event);
}

void CodeView::setHighlighting(bool on) {
    send(SCI_SETLEXER, on ? SCLEX_VB : SCLEX_NULL);
    // A lexer keeps the keyword list it was given; each new one is given ours.
    if (on)
        SendScintilla(SCI_SETKEYWORDS, uintptr_t(0), vb::keywordList());
    // Colours given by the lexer before go; the new one colours the text again as it is shown.
    send(SCI_CLEARDOCUMENTSTYLE);
}

QString CodeView::selectedCode() const {
    const long from = send(SCI_GETSELECTIONSTART);
    const long to = send(SCI_GETSELECTIONEND);
    if (from >= to)
        return {};
    const auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return QString::fromUtf8(text + from, to - from);
}

} // namespace verdane
