#include "ui/main/VbHighlighter.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

namespace verdane {

namespace {

// Lines coloured at once when new text arrives: more than any window shows.
constexpr int kEagerBlocks = 300;
// How long one slice of the remaining work may keep the window from its input.
constexpr qint64 kSliceMs = 12;

// Mixes a colour into the pane's text colour, so that every colour keeps the contrast of the text itself.
QColor tint(const QColor& text, const QColor& hue, qreal amount) {
    return QColor::fromRgbF(text.redF() * (1 - amount) + hue.redF() * amount,
                            text.greenF() * (1 - amount) + hue.greenF() * amount,
                            text.blueF() * (1 - amount) + hue.blueF() * amount);
}

} // namespace

VbHighlighter::VbHighlighter(QPlainTextEdit* pane)
    : QSyntaxHighlighter(pane->document())
    , m_pane(pane)
    , m_slices(new QTimer(this)) {
    m_slices->setSingleShot(true);
    m_slices->setInterval(0);
    connect(m_slices, &QTimer::timeout, this, &VbHighlighter::formatSlice);
    // Lines scrolled into view are coloured before the pane paints them.
    connect(pane, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0)
            formatVisible();
    });
    updateColours();
}

void VbHighlighter::updateColours() {
    const QPalette palette = m_pane->palette();
    const QColor text = palette.color(QPalette::Text);
    const bool dark = palette.color(QPalette::Base).lightnessF() < 0.5;
    const auto hue = [dark](QRgb light, QRgb darkTheme) { return QColor(dark ? darkTheme : light); };
    auto set = [&](vb::Kind kind, const QColor& colour, bool bold = false, bool italic = false) {
        QTextCharFormat f;
        f.setForeground(colour);
        if (bold)
            f.setFontWeight(QFont::Bold);
        f.setFontItalic(italic);
        m_formats[size_t(kind)] = f;
    };
    set(vb::Kind::Keyword, tint(text, hue(0x0000C0, 0x7fb2ff), 0.9), true);
    set(vb::Kind::Comment, tint(text, hue(0x008000, 0x7fd07f), 0.85), false, true);
    set(vb::Kind::String, tint(text, hue(0xA31515, 0xf0a070), 0.9));
    set(vb::Kind::Number, tint(text, hue(0x098658, 0xb5cea8), 0.9));
    set(vb::Kind::Directive, tint(text, hue(0x7a3e9d, 0xd0a0f0), 0.9), true);
    set(vb::Kind::Header, tint(text, palette.color(QPalette::Base), 0.45));
    set(vb::Kind::Continuation, tint(text, hue(0xC04000, 0xffb060), 0.9), true);
    beginText();
    rehighlight();
}

// Every pass over the whole text leaves the lines past the first uncoloured: the record starts afresh.
void VbHighlighter::beginText() {
    m_formatted.clear();
    m_nextToFormat = 0;
}

bool VbHighlighter::isFormatted(int blockNumber) const {
    return blockNumber >= 0 && size_t(blockNumber) < m_formatted.size() && m_formatted[size_t(blockNumber)];
}

bool VbHighlighter::isComplete() const {
    return !m_slices->isActive() && m_nextToFormat >= document()->blockCount();
}

void VbHighlighter::highlightBlock(const QString& text) {
    const int number = currentBlock().blockNumber();
    const vb::LineState previous = vb::LineState::fromInt(previousBlockState());
    if (!m_forcing && number >= kEagerBlocks) {
        // Later: for now only what the next line needs to know.
        setCurrentBlockState(vb::nextState(text, previous).toInt());
        if (!m_slices->isActive())
            m_slices->start();
        return;
    }
    const vb::LineResult line = vb::readLine(text, previous);
    for (const vb::Span& span : line.spans)
        setFormat(span.start, span.length, m_formats[size_t(span.kind)]);
    setCurrentBlockState(line.next.toInt());
    if (size_t(number) >= m_formatted.size())
        m_formatted.resize(size_t(number) + 1 + m_formatted.size() / 2, false);
    m_formatted[size_t(number)] = true;
}

bool VbHighlighter::formatBlock(const QTextBlock& block) {
    if (!block.isValid() || isFormatted(block.blockNumber()))
        return false;
    m_forcing = true;
    rehighlightBlock(block);
    m_forcing = false;
    return true;
}

void VbHighlighter::formatVisible() {
    QTextBlock block = m_pane->cursorForPosition(QPoint(0, 0)).block();
    const int lines = m_pane->viewport()->height() / qMax(1, m_pane->fontMetrics().lineSpacing()) + 2;
    for (int i = 0; i < lines && block.isValid(); ++i, block = block.next())
        formatBlock(block);
}

void VbHighlighter::formatSlice() {
    formatVisible();
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = document()->findBlockByNumber(m_nextToFormat);
    while (block.isValid() && clock.elapsed() < kSliceMs) {
        formatBlock(block);
        block = block.next();
        ++m_nextToFormat;
    }
    if (block.isValid())
        m_slices->start();
}

} // namespace verdane
