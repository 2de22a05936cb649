#include "ui/main/MainWindow.h"

#include "core/CatalogueModel.h"
#include "core/CodeTree.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"
#include "platform/MessageBox.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QTreeView>

namespace verdane {

namespace {
// Where the window goes when the stored placement cannot be used.
constexpr QSize kDesignSize(640, 480);
} // namespace

MainWindow::MainWindow(SnippetStore& store, QWidget* parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_catalogue(new CatalogueModel(this))
    , m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Verdane - ") + kPublisherLabel);
    resize(kDesignSize);

    m_tree->setObjectName(QStringLiteral("tvTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setModel(m_catalogue);
    setCentralWidget(m_tree);

    buildMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* close = file->addAction(QStringLiteral("&Close"), this, &MainWindow::mnuFileClose_Click);
    close->setObjectName(QStringLiteral("mnuFileClose"));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    QAction* refresh = view->addAction(QStringLiteral("&Refresh"), this, &MainWindow::mnuViewRefresh_Click);
    refresh->setObjectName(QStringLiteral("mnuViewRefresh"));
}

void MainWindow::Form_Load()
{
    const std::optional<Placement> placement = readPlacement();
    if (!placement) {
        MessageBox::error(this);
        return;
    }
    applyPlacement(*placement);
}

void MainWindow::applyPlacement(const Placement& placement)
{
    move(twipsToPixels(placement.left), twipsToPixels(placement.top));
    const QSize outer(twipsToPixels(placement.width), twipsToPixels(placement.height));
    const QSize frameExtra = frameGeometry().size() - size();
    resize(outer - frameExtra);
    m_pendingOuterSize = frameExtra.isNull() ? std::optional<QSize>(outer) : std::nullopt;
}

void MainWindow::fitPendingOuterSize()
{
    if (!m_pendingOuterSize || isMinimized() || isMaximized() || isFullScreen())
        return;
    const QSize frameExtra = frameGeometry().size() - size();
    if (frameExtra.isNull())
        return;
    const QSize outer = *m_pendingOuterSize;
    m_pendingOuterSize.reset();
    resize(outer - frameExtra);
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    fitPendingOuterSize();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    fitPendingOuterSize();
}

void MainWindow::LoadCodeTree()
{
    loadCodeTree(*m_catalogue, m_store);
}

void MainWindow::mnuViewRefresh_Click()
{
    LoadCodeTree();
}

void MainWindow::mnuFileClose_Click()
{
    close();
}

void MainWindow::registerLoadedWindow(QWidget* window)
{
    m_loadedWindows.removeAll(nullptr);
    if (!m_loadedWindows.contains(window))
        m_loadedWindows.append(window);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void MainWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_store.closeDatabases();
    for (qsizetype i = m_loadedWindows.size() - 1; i >= 0; --i) {
        if (QWidget* window = m_loadedWindows[i])
            window->close();
    }
    m_loadedWindows.clear();
    if (isMinimized())
        return;
    writePlacement(frameGeometry());
}

} // namespace verdane
