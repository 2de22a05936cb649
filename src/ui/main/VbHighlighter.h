#pragma once

#include "ui/main/VbSyntax.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>
#include <vector>

class QPlainTextEdit;
class QTimer;

namespace verdane {

// Colours classic VB in the code pane. It changes only how the text looks, never the text. Colours come from the
// pane's palette, so they read well in light and dark themes alike.
//
// A long text is coloured where it is seen first: when new text arrives only its first lines are coloured at once
// (the rest only has its line states worked out, which is quick), and the remaining lines follow in slices while
// the window goes on taking input; lines scrolled into view are coloured before the others.
class VbHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit VbHighlighter(QPlainTextEdit* pane);

    // Takes the palette's colours again (after a theme change).
    void updateColours();
    // Called before the pane takes a new text.
    void beginText();
    QTextCharFormat format(vb::Kind kind) const { return m_formats[size_t(kind)]; }
    // Whether every line has its colours.
    bool isComplete() const;

protected:
    void highlightBlock(const QString& text) override;

private:
    void formatVisible();
    void formatSlice();
    bool formatBlock(const QTextBlock& block);
    bool isFormatted(int blockNumber) const;

    QPlainTextEdit* m_pane;
    std::array<QTextCharFormat, 7> m_formats;
    std::vector<bool> m_formatted; // by block number
    int m_nextToFormat = 0;
    bool m_forcing = false;
    QTimer* m_slices;
};

} // namespace verdane
