#pragma once

#include "core/Placement.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class QTreeView;

namespace verdane {

class CatalogueModel;
class SnippetStore;

// The main window: the catalogue tree and everything that acts on the snippet it shows.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(SnippetStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs once before the window is first shown: styles the tool bar and restores the stored placement.
    void Form_Load();
    // Rebuilds the catalogue from both databases.
    void LoadCodeTree();

    void mnuFileClose_Click();
    void mnuViewRefresh_Click();

    // A secondary window joins the loaded windows when it opens; closing this window closes them, newest first.
    void registerLoadedWindow(QWidget* window);

    CatalogueModel& catalogue() { return *m_catalogue; }
    QTreeView* treeView() const { return m_tree; }
    SnippetStore& store() { return m_store; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Unload();
    void buildMenus();
    void applyPlacement(const Placement& placement);
    void fitPendingOuterSize();

    SnippetStore& m_store;
    CatalogueModel* m_catalogue;
    QTreeView* m_tree;
    QList<QPointer<QWidget>> m_loadedWindows;
    // The outer size asked for before the window manager had framed the window; applied once the frame is known.
    std::optional<QSize> m_pendingOuterSize;
    bool m_unloaded = false;
};

} // namespace verdane
