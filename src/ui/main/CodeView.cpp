#include "ui/main/CodeView.h"

#include "ui/main/VbHighlighter.h"

#include <QMimeData>
#include <QTextBlock>

#include <algorithm>

namespace verdane {

namespace {
// A carriage return without its line feed is no line break in VB source; it is shown as this symbol, one for one,
// so that positions in the pane still map onto the stored text.
constexpr char16_t kLoneCarriageReturn = u'\u240D';
} // namespace

CodeView::CodeView(QWidget* parent)
    : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("txtView"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(9.75);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 8);
}

void CodeView::setCode(const QString& code) {
    m_code = code;
    m_joinedBreaks.clear();
    QString shown;
    shown.reserve(code.size());
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = code[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < n && code[i + 1] == QLatin1Char('\n')) {
                m_joinedBreaks.push_back(int(shown.size()));
                shown += QLatin1Char('\n');
                ++i;
            } else {
                shown += QChar(kLoneCarriageReturn);
            }
        } else {
            shown += c;
        }
    }
    if (m_highlighter)
        m_highlighter->beginText();
    setPlainText(shown);
}

void CodeView::setHighlighting(bool on) {
    if (on == (m_highlighter != nullptr))
        return;
    if (on) {
        m_highlighter = new VbHighlighter(this);
    } else {
        delete m_highlighter;
        m_highlighter = nullptr;
    }
}

void CodeView::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (m_highlighter && event->type() == QEvent::PaletteChange)
        m_highlighter->updateColours();
}

qsizetype CodeView::codePosition(int shownPosition) const {
    const auto joinedBefore = std::lower_bound(m_joinedBreaks.begin(), m_joinedBreaks.end(), shownPosition);
    return shownPosition + (joinedBefore - m_joinedBreaks.begin());
}

QString CodeView::selectedCode() const {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    const qsizetype from = codePosition(cursor.selectionStart());
    const qsizetype to = codePosition(cursor.selectionEnd());
    return m_code.mid(from, to - from);
}

QMimeData* CodeView::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(selectedCode());
    return data;
}

} // namespace verdane
