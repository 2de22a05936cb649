#include "ui/main/MainMenu.h"

#include "core/WebLinks.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>

#include <vector>

namespace verdane {

namespace {

struct MenuEntry {
    int depth; // 0: a menu of the bar; 1: an entry of it; 2: an entry of a sub-menu
    const char* name;
    const char* caption; // "-" makes a separator
    const char* shortcut = nullptr;
};

constexpr MenuEntry kMenu[] = {
    {0, "mnuFile", "&File"},
    {1, "mnuFileUpdate", "&Update..."},
    {1, "mnuFileFind", "Find..."},
    {1, "mnuFileBar2", "-"},
    {1, "mnuFileImport", "Import..."},
    {1, "mnuFileExport", "Export"},
    {2, "mnuFileExportFile", "File..."},
    {2, "mnuFileExportmIRCChat", "mIRC Chat.."},
    {1, "mnuFileBar5", "-"},
    {1, "mnuFileRename", "Re&name...", "F2"},
    {1, "mnuFileEditCode", "&Edit Code"},
    {1, "mnuFileSaveCode", "&Save Code", "Ctrl+S"},
    {1, "mnuFileCancelEdit", "Cance&l Editing", "Esc"},
    {1, "mnuFileDelete", "&Delete", "Del"},
    {1, "mnuFileUndo", "Und&o", "Ctrl+Z"},
    {1, "mnuFileBar4", "-"},
    {1, "mnuFileCopy", "Copy", "Ctrl+C"},
    {1, "mnuFileCopyAll", "Copy All", "Ctrl+A"},
    {1, "mnuFileBar1", "-"},
    {1, "mnuFilePrint", "&Print", "Ctrl+P"},
    {1, "mnuFileBar3", "-"},
    {1, "mnuFileClose", "&Close"},
    {0, "mnuWebsite", "&Website"},
    {1, "mnuWebsiteOtherStuff", "Other Stuff"},
    {2, "mnuWebsiteOtherStuffSiteNewsAndUpdates", "Site News and Updates"},
    {2, "mnuWebsiteOtherStuffVisualBasicForums", "Visual Basic Forums"},
    {2, "mnuWebsiteOtherStuffTools", "Tools"},
    {2, "mnuWebsiteOtherStuffVisualBasicJobs", "Visual Basic Jobs"},
    {2, "mnuWebsiteOtherStuffLinks", "Links"},
    {2, "mnuWebsiteOtherStuffAdvertising", "Advertising"},
    {2, "mnuWebsiteOtherStuffWebsiteOfTheMonth", "Website Of The Month"},
    {1, "mnuWebsiteTutorials", "Tutorials"},
    {2, "mnuWebsiteTutorialsMakeYourApplicationsShareware", "Make Your Applications Shareware"},
    {1, "mnuWebsiteVisualBasicBooks", "Visual Basic Books"},
    {2, "mnuWebsiteVisualBasicBooksAPI", "API"},
    {2, "mnuWebsiteVisualBasicBooksDatabaseProgramming", "Database Programming"},
    {2, "mnuWebsiteVisualBasicBooksEnterpriseDevelopment", "Enterprise Development"},
    {2, "mnuWebsiteVisualBasicBooksLearningVisualBasic", "Learning Visual Basic"},
    {2, "mnuWebsiteVisualBasicBooksMiscBooks", "Misc. Books"},
    {0, "mnuView", "&View"},
    {1, "mnuViewToolBar", "&Tool Bar"},
    {1, "mnuViewSyntaxHighlighting", "Syntax &Highlighting"},
    {1, "mnuViewBar2", "-"},
    {1, "mnuViewRefresh", "&Refresh"},
    {1, "mnuViewOptions", "&Options..."},
    {1, "mnuViewBrowser", "Web Browser..."},
    {0, "mnuHelp", "&Help"},
    {1, "mnuHelpContents", "Contents..."},
    {1, "mnuHelpBar2", "-"},
    {1, "mnuHelpVerdaneFeatureRequest", "Verdane Feature Request..."},
    {1, "mnuHelpBar1", "-"},
    {1, "mnuHelpDisclaimer", "&Disclaimer..."},
    {1, "mnuHelpAbout", "&About Verdane..."},
};

} // namespace

MainActions buildMainMenu(QMenuBar* bar) {
    QHash<QString, QAction*> byName;
    std::vector<QMenu*> open; // the menu that takes entries of each depth
    const int count = int(std::size(kMenu));
    for (int i = 0; i < count; ++i) {
        const MenuEntry& e = kMenu[i];
        const QString name = QString::fromLatin1(e.name);
        const QString caption = QString::fromLatin1(e.caption);
        const bool hasEntries = i + 1 < count && kMenu[i + 1].depth > e.depth;
        open.resize(size_t(e.depth));
        QAction* action = nullptr;
        if (hasEntries) {
            QMenu* menu = e.depth == 0 ? bar->addMenu(caption) : open.back()->addMenu(caption);
            menu->setObjectName(name);
            action = menu->menuAction();
            open.push_back(menu);
        } else if (caption == QLatin1String("-")) {
            action = open.back()->addSeparator();
        } else {
            action = open.back()->addAction(caption);
            if (e.shortcut) {
                action->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
                action->setShortcutContext(Qt::WindowShortcut);
            }
        }
        action->setObjectName(name);
        byName.insert(name, action);
    }
    auto entry = [&](const char* name) { return byName.value(QLatin1String(name)); };
    MainActions a;
    a.fileUpdate = entry("mnuFileUpdate");
    a.fileFind = entry("mnuFileFind");
    a.fileImport = entry("mnuFileImport");
    a.fileExportFile = entry("mnuFileExportFile");
    a.fileExportChat = entry("mnuFileExportmIRCChat");
    a.fileRename = entry("mnuFileRename");
    a.fileEditCode = entry("mnuFileEditCode");
    a.fileSaveCode = entry("mnuFileSaveCode");
    a.fileCancelEdit = entry("mnuFileCancelEdit");
    a.fileDelete = entry("mnuFileDelete");
    a.fileUndo = entry("mnuFileUndo");
    a.fileCopy = entry("mnuFileCopy");
    a.fileCopyAll = entry("mnuFileCopyAll");
    a.filePrint = entry("mnuFilePrint");
    a.fileClose = entry("mnuFileClose");
    a.viewToolBar = entry("mnuViewToolBar");
    a.viewSyntaxHighlighting = entry("mnuViewSyntaxHighlighting");
    a.viewRefresh = entry("mnuViewRefresh");
    a.viewOptions = entry("mnuViewOptions");
    a.viewBrowser = entry("mnuViewBrowser");
    a.helpContents = entry("mnuHelpContents");
    a.helpFeatureRequest = entry("mnuHelpVerdaneFeatureRequest");
    a.helpDisclaimer = entry("mnuHelpDisclaimer");
    a.helpAbout = entry("mnuHelpAbout");
    for (const QString& name : linkEntries())
        a.links << byName.value(name);
    return a;
}

} // namespace verdane
