#pragma once

// The windows' tests meet the main window and the message boxes everywhere: they come with the fixtures.
#include "support/TestSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/main/MainWindow.h"

#include <QApplication>

namespace verdane {
class FindWindow;
class Startup;
} // namespace verdane

namespace verdane::test {

// A TestEnvironment in which message boxes, input boxes and file dialogs answer themselves, so that no test waits
// for a click.
class UiEnvironment final : public TestEnvironment {
public:
    UiEnvironment();
    void reset() override; // also forgets the boxes shown and the answers queued
};

// A running program on a library folder of the test's making, started as the program starts.
class Session {
public:
    Session(const QMap<QString, QList<Record>>& groups = {}, const QList<Record>& user = {});
    ~Session();
    MainWindow& main() { return *m_main; }
    LibraryFolder& folder() { return m_folder; }

private:
    LibraryFolder m_folder;
    std::unique_ptr<Startup> m_startup;
    MainWindow* m_main = nullptr;
};

// A window's child by its name: one that is missing ends the test program at once, naming it, rather than crashing
// it later.
template <typename T = QWidget> T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// The nth node (from 1), in collection order, with this caption under a parent of this caption; 0 when none.
int findNode(MainWindow& main, const QString& parentCaption, const QString& caption, int nth = 1);
// Clicks a node with the mouse, opening its parents first as a user would.
void clickNode(MainWindow& main, int node);
QString paneText(MainWindow& main);
// The main window's action of a menu entry, by its name (mnuFileCopy).
QAction* action(MainWindow& main, const char* name);
// Clicks the tool bar's button of a key (ExportFile, Print, ...).
void clickToolButton(MainWindow& main, const char* key);
// Runs the Find window's search, as Find does, and waits until it has ended; false when it did not.
bool search(FindWindow* find);
// Waits until the running search has ended.
bool searchEnded(FindWindow* find);

} // namespace verdane::test
