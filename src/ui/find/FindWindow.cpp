#include "ui/find/FindWindow.h"

#include "core/BackgroundSearch.h"
#include "core/SnippetSearch.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/MessageBox.h"
#include "ui/common/PickFollower.h"
#include "ui/find/FoundListModel.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace verdane {

namespace {

const QString kCaption = QStringLiteral("Verdane - Find");
const QString kWorkingCaption = QStringLiteral("Verdane - Find - Working...");
constexpr int kShowEveryMs = 40;

} // namespace

FindWindow::FindWindow(SnippetSearch& search)
    : ClassicForm(nullptr, Kind::ModelessTool, "frmFind", kCaption, 6900, 1440)
    , m_search(new BackgroundSearch(search, this))
    , m_frameSearch(new QGroupBox(QStringLiteral("Search String"), this))
    , m_txtFind(new QLineEdit(m_frameSearch))
    , m_cmdFind(new QPushButton(QStringLiteral("&Find"), m_frameSearch))
    , m_cmdClose(new QPushButton(QStringLiteral("&Cancel"), m_frameSearch))
    , m_frameFound(new QGroupBox(QStringLiteral("Found"), this))
    , m_lstFound(new QTreeView(m_frameFound))
    , m_found(new FoundListModel(this)) {

    place(m_frameSearch, "frameSearch", 120, 120, 3255, 1215);
    place(m_txtFind, "txtFind", 120, 360, 3015, 285);
    place(m_cmdFind, "cmdFind", 360, 840, 1215, 255);
    m_cmdFind->setDefault(true);
    place(m_cmdClose, "cmdClose", 1680, 840, 1215, 255);
    m_cmdClose->setAutoDefault(false);
    place(m_frameFound, "frameFound", 3480, 120, 3375, 1215);
    place(m_lstFound, "lstFound", 120, 240, 3135, 840);
    m_lstFound->setModel(m_found);
    m_lstFound->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstFound->setSelectionMode(QAbstractItemView::SingleSelection);
    // A flat tree with rows of one height lays out only the rows in sight: a hundred thousand hits cost no more
    // to add than ten, where a list view would lay out every row again for each batch.
    m_lstFound->setUniformRowHeights(true);
    m_lstFound->setRootIsDecorated(false);
    m_lstFound->setHeaderHidden(true);
    m_lstFound->setItemsExpandable(false);

    setTabOrder({m_txtFind, m_cmdFind, m_cmdClose, m_lstFound});

    // After the first hit, the list takes what was found at most this often: each addition costs the view a layout.
    m_showLater.setSingleShot(true);
    m_showLater.setInterval(kShowEveryMs);
    connect(&m_showLater, &QTimer::timeout, this, &FindWindow::showHits);
    connect(m_search, &BackgroundSearch::hitsFound, this, [this] {
        if (m_timing.hits == 0)
            showHits();
        else if (!m_showLater.isActive())
            m_showLater.start();
    });
    connect(m_search, &BackgroundSearch::finished, this, &FindWindow::endSearch);
    connect(m_cmdFind, &QPushButton::clicked, this, &FindWindow::cmdFind_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &FindWindow::cmdClose_Click);
    // Picking with the mouse or moving through the list with the keys both show the entry.
    new PickFollower(m_lstFound, [this](const QModelIndex&) { lstFound_Click(); });
}

QStringList FindWindow::results() const {
    return m_found->names();
}

bool FindWindow::isSearching() const {
    return m_search->isRunning();
}

void FindWindow::cmdFind_Click() {
    m_clock.start();
    m_timing = SearchTiming{};
    m_showLater.stop();
    m_found->clear();
    setWindowTitle(kWorkingCaption);
    setCursor(Qt::BusyCursor);
    m_search->start(m_txtFind->text());
}

void FindWindow::showHits() {
    const QList<SnippetSearch::Hit> hits = m_search->takeHits();
    if (hits.isEmpty())
        return;
    m_found->append(hits);
    if (m_timing.hits == 0) {
        m_lstFound->repaint();
        m_timing.firstHitMs = double(m_clock.nsecsElapsed()) / 1e6;
    }
    m_timing.hits += int(hits.size());
}

void FindWindow::endSearch(bool, const QStringList& unreadable) {
    m_showLater.stop();
    showHits();
    m_timing.totalMs = double(m_clock.nsecsElapsed()) / 1e6;
    unsetCursor();
    setWindowTitle(kCaption);
    if (!unreadable.isEmpty())
        MessageBox::show(this,
                         QStringLiteral("Everything else was searched, but not these:\n\n") +
                             unreadable.join(QLatin1Char('\n')),
                         MessageBox::Icon::Warning);
    Q_EMIT searchFinished();
}

void FindWindow::lstFound_Click() {
    // A single-selection list: the entry picked is the current one.
    const QModelIndex picked = m_lstFound->currentIndex();
    if (picked.isValid())
        Q_EMIT this->picked(m_found->hit(picked.row()).ref);
}

void FindWindow::cmdClose_Click() {
    reject();
}

void FindWindow::reject() {
    // Cancel (and Esc) stops a running search first; only when none runs does it close the window. The title
    // bar's close closes it always, and the search goes with it.
    if (m_search->isRunning() && !m_closing)
        m_search->cancel();
    else
        ClassicForm::reject();
}

void FindWindow::closeEvent(QCloseEvent* event) {
    m_closing = true;
    ClassicForm::closeEvent(event);
    m_closing = false;
}

} // namespace verdane
