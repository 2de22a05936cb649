#pragma once

#include "core/CodeTree.h"
#include "core/Placement.h"
#include "core/SnippetStore.h"
#include "ui/main/MainMenu.h"
#include "ui/main/WindowLayout.h"

#include <QMainWindow>
#include <QMargins>
#include <QPointer>

#include <memory>
#include <optional>

class QLabel;
class QTreeView;

namespace verdane {

class CatalogueModel;
class ChangeWatch;
class ChatWindow;
class CodeView;
class FindWindow;
class ImportWindow;
class MainToolBar;
class OptionsWindow;
class SnippetSearch;
class SplitterStrip;
class StatusBar;

// The main window: the catalogue tree on the left, the code pane on the right, a splitter between them, the tool
// bar above and the status bar below, and every command that acts on the snippet shown.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(SnippetStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs once before the window is first shown: makes the tool bar flat and restores the stored placement.
    void Form_Load();
    // Rebuilds the catalogue from both databases. The code pane keeps its text. A rebuild leaves a snippet being
    // edited: with unsaved changes the user is asked first, and may stay (then nothing is rebuilt). A server that
    // cannot be reached leaves the tree as it is.
    void LoadCodeTree();

    // Shows a node's snippet in the code pane; a root or a group empties it. Leaving a snippet with unsaved changes
    // asks first; a user who stays keeps the snippet, and the tree goes back to its node.
    void tvTreeView_NodeClick(int node);
    // Selects the node of a record and shows it, as a click on it would; nothing happens when the tree has no node
    // of that record (it went with a rebuild).
    void showSnippet(const SnippetRef& record);
    // Makes a node the tree's selected node without showing it; 0 clears the selection.
    void selectNode(int node);
    int selectedNode() const;
    // The record the code pane shows and its name; not a snippet when the pane shows none.
    const SnippetLocation& shownSnippet() const { return m_shown; }

    // Places every control for a splitter position (twips); the clamped position becomes the new one.
    void SizeControls(double x);
    const Layout& layout() const { return m_layout; }

    void mnuFileCopy_Click();
    void mnuFileCopyAll_Click();
    void mnuFilePrint_Click();
    void mnuFileExportFile_Click();
    void mnuFileExportmIRCChat_Click();
    void mnuFileFind_Click();
    void mnuFileImport_Click();
    // The changes of the shown snippet, for one of User Code only.
    void mnuFileRename_Click();
    void mnuFileEditCode_Click();
    void mnuFileSaveCode_Click();
    void mnuFileCancelEdit_Click();
    void mnuFileDelete_Click();
    // Takes back the last rename or delete not yet undone, provided the record is still as that change left it.
    void mnuFileUndo_Click();
    void mnuFileClose_Click();
    void mnuViewToolBar_Click();
    void mnuViewSyntaxHighlighting_Click(bool on);
    void mnuViewRefresh_Click();
    void mnuViewOptions_Click();
    void mnuHelpDisclaimer_Click();
    void mnuHelpAbout_Click();

    // A secondary window joins the loaded windows when it opens; closing this window closes them, newest first.
    void registerLoadedWindow(QWidget* window);

    FindWindow* findWindow() const;
    ImportWindow* importWindow() const;
    ChatWindow* chatWindow() const;
    OptionsWindow* optionsWindow() const;
    const MainActions& actions() const { return m_actions; }
    CatalogueModel& catalogue() { return *m_catalogue; }
    QTreeView* treeView() const { return m_tree; }
    CodeView* codeView() const { return m_code; }
    MainToolBar* toolBar() const { return m_toolBar; }
    StatusBar* statusBar() const { return m_statusBar; }
    SnippetStore& store() { return m_store; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Unload();
    void Form_Resize();
    void connectCommands();
    void applyPlacement(const Placement& placement);
    void fitPendingOuterSize();
    void noteFrameMargins();
    void applyLayout();
    void imgSplitter_MouseDown(double x);
    void imgSplitter_MouseMove(double x);
    void imgSplitter_MouseUp(double x);
    bool hasCodeToExport();
    bool showsOwnSnippet() const;
    int shownNode() const;
    // Ends editing, asking first when there are unsaved changes; false when the user stays, or the save they chose
    // did not go through.
    bool leaveEditing();
    bool saveEditedCode();
    void updateCommands();
    void captionRenamed(qint64 record, const QString& name);
    void rebuildKeepingOpen();
    void buildTree();
    void showStatus();
    bool serverAway();
    void selectAndShow(int node);
    void showSecondary(QWidget* window);
    double outerWidthTwips() const;

    SnippetStore& m_store;
    ChangeWatch* m_watch; // null for the files
    CatalogueModel* m_catalogue;
    QWidget* m_client;
    MainToolBar* m_toolBar;
    QWidget* m_titles;
    QLabel* m_groupCaption;
    QLabel* m_codeCaption;
    QTreeView* m_tree;
    CodeView* m_code;
    SplitterStrip* m_splitterStrip;
    QWidget* m_dragBar;
    StatusBar* m_statusBar;
    MainActions m_actions;

    Layout m_layout;
    bool m_splitterDragging = false;
    double m_dragBarLeft = 0;
    SnippetLocation m_shown;
    QStringList m_unreadable; // what the last build of the tree could not read
    // The renames and deletes of the run, the last last; each is undone once.
    struct Change {
        bool deleted = false; // false: renamed
        SnippetStore::PriorSnippet prior;
        QString newName; // a rename's
    };
    QList<Change> m_changes;

    std::unique_ptr<SnippetSearch> m_search; // made by the first Find, kept for the run
    QPointer<FindWindow> m_find;
    QPointer<ImportWindow> m_import;
    QPointer<ChatWindow> m_chat;
    QPointer<OptionsWindow> m_options;
    QList<QPointer<QWidget>> m_loadedWindows;
    // The outer size asked for before the window manager had framed the window; applied once the frame is known.
    std::optional<QSize> m_pendingOuterSize;
    // The window frame's thickness, as last seen in the normal state (a maximized frame may have none).
    QMargins m_frameMargins;
    bool m_unloaded = false;
};

} // namespace verdane
