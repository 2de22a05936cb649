#pragma once

#include "core/SnippetRef.h"
#include "ui/common/ClassicForm.h"

#include <QElapsedTimer>
#include <QTimer>

class QGroupBox;
class QLineEdit;
class QTreeView;
class QPushButton;

namespace verdane {

class BackgroundSearch;
class FoundListModel;
class SnippetSearch;

// Finds snippets by a text in their code and says which record the user picks in the results; whoever opened it
// shows that record. Modeless and without an owner: the main window stays usable beside it. The search runs in the
// background: hits show as they are found, the window answers all the while, Cancel stops a running search (and
// closes the window when none runs), and a new search replaces a running one.
class FindWindow final : public ClassicForm {
    Q_OBJECT

public:
    explicit FindWindow(SnippetSearch& search);

    void cmdFind_Click();
    // Announces the record of the entry the user picked.
    void lstFound_Click();
    void cmdClose_Click();

    QStringList results() const;
    bool isSearching() const;

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
    // A search ended (found everything, or was cancelled) and its hits are all in the list.
    void searchFinished();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showHits();
    void endSearch(bool cancelled, const QStringList& unreadable);

    BackgroundSearch* m_search;
    QGroupBox* m_frameSearch;
    QLineEdit* m_txtFind;
    QPushButton* m_cmdFind;
    QPushButton* m_cmdClose;
    QGroupBox* m_frameFound;
    QTreeView* m_lstFound;
    FoundListModel* m_found;
    SearchTiming m_timing;
    QElapsedTimer m_clock;
    QTimer m_showLater;
    bool m_closing = false;
};

} // namespace verdane
