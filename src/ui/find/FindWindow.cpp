#include "ui/find/FindWindow.h"

#include "core/SnippetSearch.h"
#include "platform/MessageBox.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/PickFollower.h"
#include "ui/find/FoundListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace verdane {

namespace {

const QString kCaption = QStringLiteral("Verdane - Find");
const QString kWorkingCaption = QStringLiteral("Verdane - Find - Working...");
// While a search runs the list is repainted with the first hit, then at most this often.
constexpr qint64 kRepaintEveryMs = 40;

} // namespace

FindWindow::FindWindow(SnippetSearch& search)
    : ClassicForm(nullptr, Kind::ModelessTool, "frmFind", kCaption, 6900, 1440)
    , m_search(search)
    , m_frameSearch(new QGroupBox(QStringLiteral("Search String"), this))
    , m_txtFind(new QLineEdit(m_frameSearch))
    , m_cmdFind(new QPushButton(QStringLiteral("&Find"), m_frameSearch))
    , m_cmdClose(new QPushButton(QStringLiteral("&Cancel"), m_frameSearch))
    , m_frameFound(new QGroupBox(QStringLiteral("Found"), this))
    , m_lstFound(new QListView(m_frameFound))
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
    m_lstFound->setUniformItemSizes(true);

    setTabOrder({m_txtFind, m_cmdFind, m_cmdClose, m_lstFound});

    connect(m_cmdFind, &QPushButton::clicked, this, &FindWindow::cmdFind_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &FindWindow::cmdClose_Click);
    // Picking with the mouse or moving through the list with the keys both show the entry.
    new PickFollower(m_lstFound, [this](const QModelIndex&) { lstFound_Click(); });
}

QStringList FindWindow::results() const {
    return m_found->names();
}

void FindWindow::cmdFind_Click() {
    QElapsedTimer clock;
    clock.start();
    m_timing = SearchTiming{};
    m_found->clear();
    setWindowTitle(kWorkingCaption);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    QList<SnippetSearch::Hit> pending;
    qint64 lastRepaint = 0;
    auto flush = [&] {
        m_found->append(pending);
        pending.clear();
        m_lstFound->repaint();
        lastRepaint = clock.elapsed();
    };
    const QStringList unreadable = m_search.find(m_txtFind->text(), [&](const SnippetSearch::Hit& hit) {
        pending << hit;
        ++m_timing.hits;
        if (m_timing.hits == 1) {
            flush();
            m_timing.firstHitMs = double(clock.nsecsElapsed()) / 1e6;
        } else if (clock.elapsed() - lastRepaint >= kRepaintEveryMs) {
            flush();
        }
    });
    flush();
    m_timing.totalMs = double(clock.nsecsElapsed()) / 1e6;
    QApplication::restoreOverrideCursor();
    setWindowTitle(kCaption);
    if (!unreadable.isEmpty())
        MessageBox::show(this,
                         QStringLiteral("Everything else was searched, but not these:\n\n") +
                             unreadable.join(QLatin1Char('\n')),
                         MessageBox::Icon::Warning);
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

} // namespace verdane
