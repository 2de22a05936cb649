#include "support/UiSupport.h"

#include "core/CatalogueModel.h"
#include "ui/common/FileDialog.h"
#include "ui/common/InputBox.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/startup/Startup.h"

#include <QAction>
#include <QToolButton>
#include <QTreeView>

namespace verdane::test {

UiEnvironment::UiEnvironment() {
    MessageBox::setTestMode(true);
    InputBox::setTestMode(true);
    filedialog::setTestMode(true);
    reset();
}

void UiEnvironment::reset() {
    TestEnvironment::reset();
    MessageBox::clearShown();
    InputBox::clear();
    filedialog::clearAnswers();
}

Session::Session(const QMap<QString, QList<Record>>& groups, const QList<Record>& user) {
    m_folder.create(groups, user);
    m_startup = std::make_unique<Startup>(m_folder.path());
    m_main = &m_startup->Main();
    if (!QTest::qWaitForWindowExposed(m_main))
        qWarning("the main window was not exposed");
}

Session::~Session() {
    m_main->close();
}

int findNode(MainWindow& main, const QString& parentCaption, const QString& caption, int nth) {
    const CatalogueModel& tree = main.catalogue();
    for (int i = 1; i <= tree.nodeCount(); ++i)
        if (tree.caption(i) == caption && tree.caption(tree.parentNode(i)) == parentCaption && --nth == 0)
            return i;
    return 0;
}

void clickNode(MainWindow& main, int node) {
    QTreeView* view = main.treeView();
    const QModelIndex index = main.catalogue().indexOfNode(node);
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    // Near the caption's start: a long caption reaches past the visible part of the view.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 4, rect.center().y()));
}

bool searchEnded(FindWindow* find) {
    return QTest::qWaitFor([&] { return !find->isSearching(); }, 20000);
}

bool search(FindWindow* find) {
    find->cmdFind_Click();
    return searchEnded(find);
}

QAction* action(MainWindow& main, const char* name) {
    return child<QAction>(&main, name);
}

void clickToolButton(MainWindow& main, const char* key) {
    QTest::mouseClick(child<QToolButton>(&main, key), Qt::LeftButton);
}

QString paneText(MainWindow& main) {
    return main.codeView()->code();
}

} // namespace verdane::test
