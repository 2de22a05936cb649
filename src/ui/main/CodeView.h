#pragma once

#include <QPlainTextEdit>

#include <vector>

namespace verdane {

class VbHighlighter;

// The code pane: read-only, fixed pitch, no wrapping. It keeps the snippet's text exactly as stored (CR LF line
// breaks included); what the commands take away is that text, never the editor's re-encoded copy of it.
class CodeView final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CodeView(QWidget* parent = nullptr);

    void setCode(const QString& code);
    const QString& code() const { return m_code; }
    // The selected part of the stored text; empty without a selection.
    QString selectedCode() const;
    // Where a position of the shown text lies in the stored text.
    qsizetype codePosition(int shownPosition) const;

    // Colours VB syntax; only how the text looks changes.
    void setHighlighting(bool on);
    VbHighlighter* highlighter() const { return m_highlighter; }

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void changeEvent(QEvent* event) override;

private:
    QString m_code;
    // Positions in the shown text of each line break that stands for a CR LF pair of the stored text.
    std::vector<int> m_joinedBreaks;
    VbHighlighter* m_highlighter = nullptr;
};

} // namespace verdane
