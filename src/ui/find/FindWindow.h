#pragma once

#include "ui/common/ClassicForm.h"

class QGroupBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace verdane {

class FoundListModel;
class MainWindow;
class SnippetSearch;

// Finds snippets by a text in their code and, when a name is picked, selects its node in the main window's tree
// and shows it there. Modeless and without an owner: the main window stays usable beside it.
class FindWindow final : public ClassicForm {
    Q_OBJECT

public:
    FindWindow(MainWindow& main, SnippetSearch& search);

    void cmdFind_Click();
    // Resolves the picked entry: the first tree node of that name, if the name is still a snippet's.
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

private:
    MainWindow& m_main;
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
