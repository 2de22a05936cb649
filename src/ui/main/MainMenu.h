#pragma once

#include <QList>

class QAction;
class QMenuBar;

namespace verdane {

// Every command of the main window, once: the menu bar shows them all, the tool bar some of the same actions, and
// the window reaches each by its member. Each action is named for tests as its menu entry is (mnuFileCopy).
struct MainActions {
    QAction* fileUpdate = nullptr;
    QAction* fileFind = nullptr;
    QAction* fileImport = nullptr;
    QAction* fileExportFile = nullptr;
    QAction* fileExportChat = nullptr;
    // The changes of the user's own snippets; the window enables them for a User Code snippet only.
    QAction* fileRename = nullptr;
    QAction* fileEditCode = nullptr;
    QAction* fileSaveCode = nullptr;
    QAction* fileCancelEdit = nullptr;
    QAction* fileDelete = nullptr;
    QAction* fileUndo = nullptr;
    QAction* fileCopy = nullptr;
    QAction* fileCopyAll = nullptr;
    QAction* filePrint = nullptr;
    QAction* fileClose = nullptr;
    QAction* viewToolBar = nullptr;
    QAction* viewSyntaxHighlighting = nullptr;
    QAction* viewRefresh = nullptr;
    QAction* viewOptions = nullptr;
    QAction* viewBrowser = nullptr;
    QAction* helpContents = nullptr;
    QAction* helpFeatureRequest = nullptr;
    QAction* helpDisclaimer = nullptr;
    QAction* helpAbout = nullptr;
    // Every entry that opens an address of the publisher's site or the feedback mail (see WebLinks.h), some of the
    // above among them.
    QList<QAction*> links;
};

// Fills the main window's menu bar: every menu, sub-menu, entry and separator in display order, with their access
// keys and shortcuts.
MainActions buildMainMenu(QMenuBar* bar);

} // namespace verdane
