#pragma once

#include "core/SnippetRef.h"
#include "ui/common/ClassicForm.h"

class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace verdane {

class FoundListModel;
class SnippetSearch;

// Finds snippets by a text in their code and says which record the user picks in the results; whoever opened it
// shows that record. Modeless and without an owner: the main window stays usable beside it.
class FindWindow final : public ClassicForm {
    Q_OBJECT

public:
    explicit FindWindow(SnippetSearch& search);

    void cmdFind_Click();
    // Announces the record of the entry the user picked.
    void lstFound_Click();
    void cmdClose_Click();

    QStringList results() const;

    // How the last search went, for the benchmark: milliseconds until the first hit was on screen (-1: none),
    // milliseconds in all, and the number of hits.
    struct SearchTiming {
        double firstHitMs = -1;
        double totalMs = 0;
        int hits = 0;
    };
    SearchTiming lastTiming() const { return m_timing; }

Q_SIGNALS:
    void picked(const verdane::SnippetRef& record);

private:
    SnippetSearch& m_search;
    QGroupBox* m_frameSearch;
    QLineEdit* m_txtFind;
    QPushButton* m_cmdFind;
    QPushButton* m_cmdClose;
    QGroupBox* m_frameFound;
    QListView* m_lstFound;
    FoundListModel* m_found;
    SearchTiming m_timing;
};

} // namespace verdane
