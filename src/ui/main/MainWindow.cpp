#include "ui/main/MainWindow.h"

#include "core/CatalogueModel.h"
#include "core/ChangeWatch.h"
#include "core/CodeTree.h"
#include "core/GroupNames.h"
#include "core/Settings.h"
#include "core/SnippetSearch.h"
#include "core/SnippetStore.h"
#include "core/WebLinks.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ImportReader.h"
#include "platform/Clipboard.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/Faces.h"
#include "ui/common/InputBox.h"
#include "ui/common/MessageBox.h"
#include "ui/common/PickFollower.h"
#include "ui/common/Printer.h"
#include "ui/exchange/ExportToFile.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainMenu.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/SplitterStrip.h"
#include "ui/main/StatusBar.h"
#include "ui/settings/AboutBox.h"
#include "ui/settings/OptionsWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QTimer>
#include <QTreeView>

#include <cmath>

namespace verdane {

namespace {
// Where the window goes when the stored placement cannot be used.
constexpr QSize kDesignSize(640, 480);

int px(double twips) {
    return twipsToPixels(twips);
}

QRect toPixels(const TwipRect& r) {
    return QRect(px(r.left), px(r.top), px(r.width), px(r.height));
}

// Tells the window when its client area changes size, so the layout follows.
class ClientArea final : public QWidget {
public:
    ClientArea(QWidget* parent, std::function<void()> onResize)
        : QWidget(parent)
        , m_onResize(std::move(onResize)) {}

protected:
    void resizeEvent(QResizeEvent*) override { m_onResize(); }

private:
    std::function<void()> m_onResize;
};
} // namespace

MainWindow::MainWindow(SnippetStore& store, QWidget* parent)
    : QMainWindow(parent)
    , m_store(store)
    , m_watch(store.watchChanges())
    , m_catalogue(new CatalogueModel(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Verdane - ") + kPublisherLabel);
    resize(kDesignSize);

    m_client = new ClientArea(this, [this] { applyLayout(); });
    setCentralWidget(m_client);
    // Created bottom to top: the splitter strip lies beneath the panes, the drag bar above them.
    m_splitterStrip = new SplitterStrip(m_client);
    m_titles = new QWidget(m_client);
    m_titles->setObjectName(QStringLiteral("picTitles"));
    m_groupCaption = new QLabel(QStringLiteral("Code Group:"), m_titles);
    m_groupCaption->setObjectName(QStringLiteral("lblTitle0"));
    m_codeCaption = new QLabel(QStringLiteral("Code:"), m_titles);
    m_codeCaption->setObjectName(QStringLiteral("lblTitle1"));
    for (QLabel* caption : {m_groupCaption, m_codeCaption}) {
        caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
        caption->setContentsMargins(3, 0, 3, 0);
    }

    m_tree = new QTreeView(m_client);
    m_tree->setObjectName(QStringLiteral("tvTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setModel(m_catalogue);
    // Long names scroll sideways rather than being cut short; the width is measured on the first rows only, so a
    // group of a hundred thousand snippets opens at once.
    m_tree->setTextElideMode(Qt::ElideNone);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setResizeContentsPrecision(500);

    m_code = new CodeView(m_client);
    m_dragBar = new QWidget(m_client);
    m_dragBar->setObjectName(QStringLiteral("picSplitter"));
    m_dragBar->setAutoFillBackground(true);
    QPalette gray = m_dragBar->palette();
    gray.setColor(QPalette::Window, QColor(128, 128, 128));
    m_dragBar->setPalette(gray);
    m_dragBar->hide();

    m_actions = buildMainMenu(menuBar());
    m_toolBar = new MainToolBar(m_actions, m_client);
    m_statusBar = new StatusBar(m_client);
    m_actions.viewToolBar->setCheckable(true);
    m_actions.viewToolBar->setChecked(true);
    m_actions.viewSyntaxHighlighting->setCheckable(true);
    m_actions.viewSyntaxHighlighting->setChecked(settings::read(settings::SyntaxHighlighting) != QLatin1String("0"));
    m_code->setHighlighting(m_actions.viewSyntaxHighlighting->isChecked());
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    m_code->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_code->addActions({m_actions.fileCopy, m_actions.fileCopyAll, separator, m_actions.fileEditCode,
                        m_actions.fileSaveCode, m_actions.fileCancelEdit});
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tree->addActions({m_actions.fileRename, m_actions.fileEditCode, m_actions.fileDelete});
    connectCommands();
    updateCommands();
    // Others' changes to a server's records appear by themselves; what keeps the window from the server is shown
    // until it is over.
    if (m_watch) {
        connect(m_watch, &ChangeWatch::changed, this, [this] {
            if (!m_unloaded)
                rebuildKeepingOpen();
        });
        connect(m_watch, &ChangeWatch::connectionChanged, this, &MainWindow::showStatus);
    }
    setTabOrder(m_tree, m_code);
    m_tree->setFocus();
}

MainWindow::~MainWindow() {
    // The windows it opened go with it, even when it goes without being closed first.
    for (const QPointer<QWidget>& window : std::as_const(m_loadedWindows))
        delete window.data();
}

void MainWindow::connectCommands() {
    const std::pair<QAction*, void (MainWindow::*)()> handlers[] = {
        {m_actions.fileFind, &MainWindow::mnuFileFind_Click},
        {m_actions.fileImport, &MainWindow::mnuFileImport_Click},
        {m_actions.fileRename, &MainWindow::mnuFileRename_Click},
        {m_actions.fileEditCode, &MainWindow::mnuFileEditCode_Click},
        {m_actions.fileSaveCode, &MainWindow::mnuFileSaveCode_Click},
        {m_actions.fileCancelEdit, &MainWindow::mnuFileCancelEdit_Click},
        {m_actions.fileDelete, &MainWindow::mnuFileDelete_Click},
        {m_actions.fileUndo, &MainWindow::mnuFileUndo_Click},
        {m_actions.fileExportFile, &MainWindow::mnuFileExportFile_Click},
        {m_actions.fileExportChat, &MainWindow::mnuFileExportmIRCChat_Click},
        {m_actions.fileCopy, &MainWindow::mnuFileCopy_Click},
        {m_actions.fileCopyAll, &MainWindow::mnuFileCopyAll_Click},
        {m_actions.filePrint, &MainWindow::mnuFilePrint_Click},
        {m_actions.fileClose, &MainWindow::mnuFileClose_Click},
        {m_actions.viewRefresh, &MainWindow::mnuViewRefresh_Click},
        {m_actions.viewOptions, &MainWindow::mnuViewOptions_Click},
        {m_actions.helpDisclaimer, &MainWindow::mnuHelpDisclaimer_Click},
        {m_actions.helpAbout, &MainWindow::mnuHelpAbout_Click},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, handler);
    for (QAction* link : std::as_const(m_actions.links))
        connect(link, &QAction::triggered, this,
                [this, link] { MessageBox::openLink(this, QUrl(linkOf(link->objectName()))); });
    // The entry's own check mark flips before the handler runs; the handler decides it from the old state.
    QAction* toolBarEntry = m_actions.viewToolBar;
    connect(toolBarEntry, &QAction::triggered, this, [this, toolBarEntry](bool checked) {
        toolBarEntry->setChecked(!checked);
        mnuViewToolBar_Click();
    });
    connect(m_actions.viewSyntaxHighlighting, &QAction::toggled, this, &MainWindow::mnuViewSyntaxHighlighting_Click);
    connect(m_splitterStrip, &SplitterStrip::pressed, this, &MainWindow::imgSplitter_MouseDown);
    connect(m_splitterStrip, &SplitterStrip::moved, this, &MainWindow::imgSplitter_MouseMove);
    connect(m_splitterStrip, &SplitterStrip::released, this, &MainWindow::imgSplitter_MouseUp);

    // A user browsing with the arrow keys expects the pane to follow; a click on the node already current reads it
    // again, as every click does.
    new PickFollower(m_tree, [this](const QModelIndex& index) { tvTreeView_NodeClick(m_catalogue->nodeOf(index)); });

    // Logging out ends the program without closing its windows: unsaved changes are asked about here instead.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (manager.allowsInteraction() && !leaveEditing())
            manager.cancel();
        manager.release();
    });
}

// ---- Start-up and shutdown -------------------------------------------------------------------------------------

void MainWindow::Form_Load() {
    m_toolBar->ToggleFlatToolbar();
    const std::optional<Placement> placement = readPlacement();
    if (!placement) {
        MessageBox::error(this);
        return;
    }
    applyPlacement(*placement);
}

void MainWindow::applyPlacement(const Placement& placement) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect wanted = reachablePlacement(toPixels(placement), screens);
    move(wanted.topLeft());
    const QSize outer = wanted.size();
    const QSize frameExtra = frameGeometry().size() - size();
    resize(outer - frameExtra);
    m_pendingOuterSize = frameExtra.isNull() ? std::optional<QSize>(outer) : std::nullopt;
}

void MainWindow::fitPendingOuterSize() {
    if (!m_pendingOuterSize || isMinimized() || isMaximized() || isFullScreen())
        return;
    const QSize frameExtra = frameGeometry().size() - size();
    if (frameExtra.isNull())
        return;
    const QSize outer = *m_pendingOuterSize;
    m_pendingOuterSize.reset();
    resize(outer - frameExtra);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Quitting closes the window too, and the user may rather stay with unsaved changes.
    if (!m_unloaded && !leaveEditing()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void MainWindow::Form_Unload() {
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
    // A maximized window is remembered at its normal place and size, which is what the next start should open.
    const bool normal = !isMaximized() && !isFullScreen();
    writePlacement(normal ? frameGeometry() : normalGeometry().marginsAdded(m_frameMargins));
}

void MainWindow::noteFrameMargins() {
    if (isMinimized() || isMaximized() || isFullScreen())
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    if (frame != client)
        m_frameMargins = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                                  frame.right() - client.right(), frame.bottom() - client.bottom());
}

void MainWindow::registerLoadedWindow(QWidget* window) {
    m_loadedWindows.removeAll(nullptr);
    if (!m_loadedWindows.contains(window))
        m_loadedWindows.append(window);
}

void MainWindow::mnuFileClose_Click() {
    close();
}

// ---- Catalogue and viewer ----------------------------------------------------------------------------------------

void MainWindow::LoadCodeTree() {
    if (leaveEditing() && !serverAway())
        buildTree();
}

// Every build says what it could not read, where the user sees it without being stopped by a box at every Refresh:
// an unreadable file would otherwise look like an empty one.
void MainWindow::buildTree() {
    m_unreadable = loadCodeTree(*m_catalogue, m_store);
    showStatus();
}

void MainWindow::showStatus() {
    // A server out of reach comes first: it is what the window waits for.
    const QString away = m_watch ? m_watch->problem() : QString();
    m_statusBar->showProblem(away.isEmpty() ? m_unreadable.join(QLatin1Char(' ')) : away);
}

// Whether the records are on a server that cannot be reached now while the tree shows some: the tree is then kept
// as it is, for the user to go on with, and read again once the server is back (the watch says when). Files show
// what is on disk.
bool MainWindow::serverAway() {
    if (!m_watch || m_catalogue->nodeCount() == 0)
        return false;
    const SnippetStore::ReopenResult opened = m_store.reopenDatabases();
    return !opened.library && !opened.user;
}

void MainWindow::mnuViewRefresh_Click() {
    LoadCodeTree();
}

void MainWindow::tvTreeView_NodeClick(int node) {
    if (m_code->isEditing()) {
        if (node == shownNode())
            return;
        if (!leaveEditing()) {
            // Once the pick that moved the tree's current node has run its course, it goes back; the program
            // moving it is no pick.
            QTimer::singleShot(0, this, [this] { selectNode(shownNode()); });
            return;
        }
    }
    const SnippetLocation where = locateSnippet(*m_catalogue, node);
    if (!where.isSnippet) {
        m_code->setCode(QString());
        m_shown = {};
    } else if (const SnippetLookup found = m_store.readSnippet(where.ref, where.name); !found.status) {
        MessageBox::error(this);
    } else if (found.code) {
        m_code->setCode(*found.code);
        m_shown = where;
    }
    // No record: changed on disk since the tree was built, and the pane keeps what it shows.
    updateCommands();
}

void MainWindow::showSnippet(const SnippetRef& record) {
    const int node = m_catalogue->nodeOfRecord(snippetTableNumber(record.database, record.table), record.record);
    // A record gone since the search changes nothing, not even the selection.
    if (node == 0 || [&] {
            const SnippetLookup found = m_store.readSnippet(record, m_catalogue->caption(node));
            return found.status && !found.code;
        }())
        return;
    if (node != shownNode() && !leaveEditing())
        return;
    selectAndShow(node);
}

void MainWindow::selectAndShow(int node) {
    selectNode(node);
    tvTreeView_NodeClick(node);
}

int MainWindow::shownNode() const {
    return m_shown.isSnippet ? m_catalogue->nodeOfRecord(snippetTableNumber(m_shown.ref.database, m_shown.ref.table),
                                                         m_shown.ref.record)
                             : 0;
}

void MainWindow::selectNode(int node) {
    const QModelIndex index = m_catalogue->indexOfNode(node);
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    } else {
        m_tree->selectionModel()->clear();
    }
}

int MainWindow::selectedNode() const {
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? 0 : m_catalogue->nodeOf(selected.first());
}

// ---- Layout --------------------------------------------------------------------------------------------------------

double MainWindow::outerWidthTwips() const {
    return pixelsToTwips(frameGeometry().width());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    noteFrameMargins();
    fitPendingOuterSize();
    Form_Resize();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteFrameMargins();
    fitPendingOuterSize();
}

void MainWindow::Form_Resize() {
    if (isMinimized())
        return;
    if (outerWidthTwips() < kMinimumOuterWidth)
        resize(px(kMinimumOuterWidth) - (frameGeometry().width() - width()), height());
}

void MainWindow::applyLayout() {
    SizeControls(m_layout.splitter);
}

void MainWindow::SizeControls(double x) {
    LayoutInput input;
    input.requestedSplitter = x;
    input.outerWidth = outerWidthTwips();
    input.clientHeight = pixelsToTwips(m_client->height());
    input.toolBarHeight = pixelsToTwips(m_toolBar->sizeHint().height());
    input.statusBarHeight = pixelsToTwips(m_statusBar->sizeHint().height());
    input.toolBarShown = m_actions.viewToolBar->isChecked();
    m_layout = verdane::SizeControls(input, m_layout);

    m_toolBar->setGeometry(0, 0, m_client->width(), px(input.toolBarHeight));
    m_statusBar->setGeometry(0, m_client->height() - px(input.statusBarHeight), m_client->width(),
                             px(input.statusBarHeight));
    m_titles->setGeometry(toPixels(m_layout.titleStrip));
    m_groupCaption->setGeometry(toPixels(m_layout.groupCaption));
    m_codeCaption->setGeometry(toPixels(m_layout.codeCaption));
    m_tree->setGeometry(toPixels(m_layout.tree));
    m_code->setGeometry(toPixels(m_layout.codePane));
    m_splitterStrip->setGeometry(toPixels(m_layout.splitterStrip));
    m_splitterStrip->lower();
    m_dragBar->raise();
}

void MainWindow::imgSplitter_MouseDown(double) {
    const TwipRect& strip = m_layout.splitterStrip;
    m_dragBarLeft = strip.left;
    const double width = std::floor(strip.width / 2);
    // A strip shorter than the bar's margin leaves a bar of one pixel: the drag still works.
    m_dragBar->setGeometry(px(strip.left), px(strip.top), px(width), qMax(1, px(strip.height - 20)));
    m_dragBar->show();
    m_dragBar->raise();
    m_splitterDragging = true;
}

void MainWindow::imgSplitter_MouseMove(double x) {
    if (!m_splitterDragging)
        return;
    m_dragBarLeft = dragBarLeft(m_layout.splitterStrip.left, x, outerWidthTwips());
    m_dragBar->move(px(m_dragBarLeft), m_dragBar->y());
}

void MainWindow::imgSplitter_MouseUp(double) {
    SizeControls(m_splitterDragging ? m_dragBarLeft : m_layout.splitterStrip.left);
    m_dragBar->hide();
    m_splitterDragging = false;
}

void MainWindow::mnuViewToolBar_Click() {
    QAction* entry = m_actions.viewToolBar;
    if (entry->isChecked()) {
        m_toolBar->hide();
        entry->setChecked(false);
    } else {
        m_toolBar->show();
        entry->setChecked(true);
    }
    SizeControls(m_layout.splitter);
}

void MainWindow::mnuViewSyntaxHighlighting_Click(bool on) {
    m_code->setHighlighting(on);
    settings::write(settings::SyntaxHighlighting, on ? QStringLiteral("1") : QStringLiteral("0"));
}

// ---- Commands on the shown snippet -------------------------------------------------------------------------------

void MainWindow::mnuFileCopy_Click() {
    // Nothing selected, nothing to copy: what the clipboard holds may be what the user means to paste next.
    const QString selected = m_code->selectedCode();
    if (!selected.isEmpty() && !clipboard::setText(selected))
        MessageBox::error(this);
}

void MainWindow::mnuFileCopyAll_Click() {
    // All the pane holds: while editing, what has been typed.
    if (!clipboard::setText(m_code->heldCode()))
        MessageBox::error(this);
}

void MainWindow::mnuFilePrint_Click() {
    const QString& code = m_code->code();
    if (code.size() < 2)
        return;
    QFont font(faces::code());
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(12);
    switch (printer::printText(code + QStringLiteral("\r\n"), font)) {
    case printer::Outcome::Printed:
        break;
    case printer::Outcome::NoPrinter:
        MessageBox::show(this, QStringLiteral("There is no printer to print on. Please install a printer first."));
        break;
    case printer::Outcome::Failed:
        MessageBox::show(this, QStringLiteral("The code could not be printed."), MessageBox::Icon::Critical);
        break;
    }
}

bool MainWindow::hasCodeToExport() {
    if (m_code->code().size() >= 2)
        return true;
    MessageBox::show(this, QStringLiteral("Please select some code to export first."));
    return false;
}

void MainWindow::mnuFileExportFile_Click() {
    // The snippet in the pane is proposed, also when no node is selected any more (after a rebuild).
    if (hasCodeToExport())
        ExportCodeToFile(this, m_shown.name, m_code->code());
}

void MainWindow::mnuFileExportmIRCChat_Click() {
    if (!hasCodeToExport())
        return;
    if (!m_chat) {
        m_chat = new ChatWindow([this] { return m_code->code(); });
        registerLoadedWindow(m_chat);
    }
    showSecondary(m_chat);
}

// ---- Secondary windows and links
// -------------------------------------------------------------------------------------

void MainWindow::mnuFileFind_Click() {
    if (!m_find) {
        if (!m_search)
            m_search = std::make_unique<SnippetSearch>(m_store);
        m_find = new FindWindow(*m_search);
        connect(m_find, &FindWindow::picked, this, &MainWindow::showSnippet);
        registerLoadedWindow(m_find);
    }
    showSecondary(m_find);
}

FindWindow* MainWindow::findWindow() const {
    return m_find;
}

ImportWindow* MainWindow::importWindow() const {
    return m_import;
}

ChatWindow* MainWindow::chatWindow() const {
    return m_chat;
}

OptionsWindow* MainWindow::optionsWindow() const {
    return m_options;
}

void MainWindow::showSecondary(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::mnuFileImport_Click() {
    if (!m_import) {
        m_import = new ImportWindow(m_store);
        connect(m_import, &ImportWindow::imported, this, &MainWindow::LoadCodeTree);
        registerLoadedWindow(m_import);
    }
    showSecondary(m_import);
}

void MainWindow::mnuViewOptions_Click() {
    if (!m_options) {
        m_options = new OptionsWindow;
        registerLoadedWindow(m_options);
    }
    showSecondary(m_options);
}

void MainWindow::mnuHelpAbout_Click() {
    AboutBox about(this, m_store.location(Database::Library), m_store.location(Database::User), m_unreadable);
    registerLoadedWindow(&about);
    about.exec();
}

void MainWindow::mnuHelpDisclaimer_Click() {
    MessageBox::show(this, disclaimerText());
}

// ---- Changes of the user's own snippets ---------------------------------------------------------------------------

bool MainWindow::showsOwnSnippet() const {
    return m_shown.isSnippet && m_shown.ref.database == Database::User;
}

void MainWindow::updateCommands() {
    const bool editing = m_code->isEditing();
    const bool own = showsOwnSnippet() && !editing;
    for (QAction* entry : {m_actions.fileRename, m_actions.fileEditCode, m_actions.fileDelete})
        entry->setEnabled(own);
    m_actions.fileSaveCode->setEnabled(editing);
    m_actions.fileCancelEdit->setEnabled(editing);
    m_actions.fileUndo->setEnabled(!m_changes.isEmpty() && !editing);
    m_codeCaption->setText(editing ? QStringLiteral("Code (editing: Ctrl+S saves, Esc cancels):")
                                   : QStringLiteral("Code:"));
}

void MainWindow::mnuFileRename_Click() {
    if (!showsOwnSnippet() || m_code->isEditing())
        return;
    const QString shownName = m_shown.name;
    QString name = shownName;
    SnippetStore::PriorSnippet prior;
    for (;;) {
        const std::optional<QString> typed = InputBox::ask(
            this, QStringLiteral("New name for the snippet \"%1\":").arg(shownName), name, kSnippetNameLimit);
        if (!typed || *typed == shownName)
            return;
        name = *typed;
        Status renamed = checkName(name);
        if (renamed)
            renamed = m_store.renameUserSnippet(m_shown.ref.record, shownName, name, 0, &prior);
        if (renamed)
            break;
        MessageBox::report(this, renamed);
        // A name refused is asked for again; a record changed since it was shown, or a failure, ends the rename.
        if (!renamed.isRefused() || !m_store.readSnippet(m_shown.ref, shownName).code)
            return;
    }
    m_changes.append(Change{false, prior, name});
    captionRenamed(prior.record, name);
    updateCommands();
}

// A rename changes the node's caption where it stands: the tree keeps its shape, its open groups and its current
// node.
void MainWindow::captionRenamed(qint64 record, const QString& name) {
    const int node = m_catalogue->nodeOfRecord(snippetTableNumber(Database::User, kUserCodeTable), record);
    m_catalogue->setCaption(node, name);
    if (showsOwnSnippet() && m_shown.ref.record == record)
        m_shown.name = name;
}

void MainWindow::mnuFileEditCode_Click() {
    if (!showsOwnSnippet() || m_code->isEditing())
        return;
    // Editing starts from the record as it is now, so that what is saved replaces what the user had before them.
    const SnippetLookup found = m_store.readSnippet(m_shown.ref, m_shown.name);
    if (!found.status || !found.code) {
        MessageBox::report(this, found.status ? Status::refused(SnippetStore::changedSinceShown(m_shown.name))
                                              : found.status);
        return;
    }
    m_code->setCode(*found.code);
    m_code->beginEditing();
    updateCommands();
}

bool MainWindow::saveEditedCode() {
    const QString edited = m_code->heldCode();
    if (edited != m_code->code()) {
        Status saved = checkStoredSize(edited, QStringLiteral("The code"));
        if (saved)
            saved = m_store.replaceUserCode(m_shown.ref.record, m_shown.name, m_code->code(), edited);
        if (!saved) {
            MessageBox::report(this, saved);
            return false;
        }
    }
    m_code->setCode(edited);
    updateCommands();
    return true;
}

void MainWindow::mnuFileSaveCode_Click() {
    if (m_code->isEditing())
        saveEditedCode();
}

void MainWindow::mnuFileCancelEdit_Click() {
    // Esc is quickly pressed: unsaved changes are asked about here too, as on every other way out.
    leaveEditing();
}

bool MainWindow::leaveEditing() {
    if (!m_code->isEditing())
        return true;
    if (m_code->isModified()) {
        switch (MessageBox::show(this, QStringLiteral("Save the changes to the snippet \"%1\"?").arg(m_shown.name),
                                 MessageBox::Icon::Question, MessageBox::Buttons::SaveDiscardCancel)) {
        case MessageBox::Button::Save:
            return saveEditedCode();
        case MessageBox::Button::Discard:
            break;
        default:
            return false;
        }
    }
    m_code->setCode(m_code->code());
    updateCommands();
    return true;
}

void MainWindow::mnuFileDelete_Click() {
    if (!showsOwnSnippet() || m_code->isEditing())
        return;
    if (MessageBox::show(this, QStringLiteral("Delete the snippet \"%1\" from User Code?").arg(m_shown.name),
                         MessageBox::Icon::Question, MessageBox::Buttons::YesNo) != MessageBox::Button::Yes)
        return;
    // The next node of User Code becomes current, the one before it when the last goes, User Code itself when none
    // is left; found before the rebuild, by its record.
    const int node = shownNode();
    const int parent = m_catalogue->parentNode(node);
    const int row = m_catalogue->indexOfNode(node).row();
    const int nextRow = row + 1 < m_catalogue->childCount(parent) ? row + 1 : row - 1;
    const SnippetLocation next = locateSnippet(
        *m_catalogue, m_catalogue->nodeOf(m_catalogue->index(nextRow, 0, m_catalogue->indexOfNode(parent))));

    SnippetStore::PriorSnippet prior;
    if (const Status deleted = m_store.deleteUserSnippet(m_shown.ref.record, m_shown.name, m_code->code(), &prior);
        !deleted) {
        MessageBox::report(this, deleted);
        return;
    }
    m_changes.append(Change{true, prior, {}});
    rebuildKeepingOpen();
    const int current =
        next.isSnippet
            ? m_catalogue->nodeOfRecord(snippetTableNumber(next.ref.database, next.ref.table), next.ref.record)
            : parent;
    selectAndShow(current);
}

// Rebuilds the catalogue as LoadCodeTree does, for a change the user made or another program's, rather than one the
// user asked to see afresh: the user stays where they were. The roots and groups that were open are open again
// (they keep their node numbers in every build), the current node is that of the same record (or its group, when
// the record went), the view stays scrolled where it was, and the pane keeps what it shows, also an edit.
void MainWindow::rebuildKeepingOpen() {
    QList<int> open;
    for (int node = 1; node <= m_catalogue->nodeCount() && m_catalogue->tableOf(node) < 0; ++node) {
        if (m_tree->isExpanded(m_catalogue->indexOfNode(node)))
            open << node;
    }
    const int current = selectedNode();
    const SnippetLocation record = locateSnippet(*m_catalogue, current);
    const int group = record.isSnippet ? m_catalogue->parentNode(current) : current;
    const int scrolled = m_tree->verticalScrollBar()->value();
    if (serverAway())
        return;
    buildTree();
    for (const int node : std::as_const(open))
        m_tree->expand(m_catalogue->indexOfNode(node));
    const int again =
        record.isSnippet
            ? m_catalogue->nodeOfRecord(snippetTableNumber(record.ref.database, record.ref.table), record.ref.record)
            : 0;
    // Made current without being picked: the pane is not read again.
    if (const QModelIndex index = m_catalogue->indexOfNode(again ? again : group); index.isValid())
        m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->verticalScrollBar()->setValue(scrolled);
}

void MainWindow::mnuFileUndo_Click() {
    if (m_changes.isEmpty() || m_code->isEditing())
        return;
    const Change change = m_changes.last();
    qint64 record = change.prior.record;
    const Status undone =
        change.deleted ? m_store.restoreUserSnippet(change.prior, &record)
                       : m_store.renameUserSnippet(record, change.newName, change.prior.name, change.prior.namesakes);
    // A lock that outlasted the wait may be gone on the next try; a record changed since will not change back.
    if (!undone.isFailed())
        m_changes.removeLast();
    if (!undone) {
        MessageBox::report(this, undone);
        updateCommands();
        return;
    }
    if (change.deleted)
        rebuildKeepingOpen();
    else
        captionRenamed(record, change.prior.name);
    selectAndShow(m_catalogue->nodeOfRecord(snippetTableNumber(Database::User, kUserCodeTable), record));
}

} // namespace verdane
