#include "core/CatalogueModel.h"
#include "core/Placement.h"
#include "core/Settings.h"
#include "core/SnippetStore.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/OptionsWindow.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() {
        m_env->reset();
        m_folder = std::make_unique<LibraryFolder>();
        m_folder->create({{"Math", {{"Sum", "s"}}}}, {{"Mine", "m"}});
    }

    // The window at the default placement; missing databases stop nothing and are made by no one.
    void firstRunWithoutDatabases() {
        LibraryFolder empty;
        Startup startup(empty.path());
        MainWindow& main = startup.Main();
        QVERIFY(main.isVisible());
        QCOMPARE(main.catalogue().nodeCount(), 9);
        QCOMPARE(main.frameGeometry(), QRect(67, 67, 433, 433)); // 1000 and 6500 twips
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(!QApplication::windowIcon().isNull());
        main.close();
        QVERIFY(empty.fileNames().isEmpty());
    }

    // A placement for a screen that is gone is brought back, with enough of the title bar on a screen to grab it;
    // one that cannot be used is an error, but the run goes on at the design size and its close writes a good one.
    void aStoredPlacementThatCannotBeUsed() {
        for (const QStringList& stored : {QStringList{"60000", "1000", "6500"}, QStringList{"1000", "-3000", "6500"},
                                          QStringList{"-60000", "-60000", "6500"}, QStringList{"0", "0", "tall"}}) {
            settings::write(settings::MainLeft, stored[0]);
            settings::write(settings::MainTop, stored[1]);
            settings::write(settings::MainHeight, stored[2]);
            MessageBox::clearShown();
            Startup startup(m_folder->path());
            MainWindow& main = startup.Main();
            const bool usable = stored[2] != "tall";
            const QRect outer = main.frameGeometry();
            const QRect grip = QRect(outer.topLeft(), QSize(outer.width(), 20)) & main.screen()->availableGeometry();
            QVERIFY2(grip.height() == 20 && grip.width() >= 100, qPrintable(stored.join(' ')));
            QCOMPARE(usable ? outer.size() : main.size(), usable ? QSize(433, 433) : QSize(640, 480));
            QCOMPARE(MessageBox::shownTexts(), usable ? QStringList() : QStringList{"Error"});
            QCOMPARE(main.catalogue().nodeCount(), 11);
            main.close();
            QVERIFY(readPlacement());
        }
    }

    // The next run opens where the user left the window, also partly off the screen's edge; closing while maximized
    // keeps the normal place and size, and closing while minimized keeps what was there.
    void placementIsKeptAcrossRuns() {
        auto startup = std::make_unique<Startup>(m_folder->path());
        MainWindow* main = &startup->Main();
        main->move(-30, 12);
        main->resize(520, 410);
        const QRect normal = main->frameGeometry();
        action(*main, "mnuFileClose")->trigger();
        QVERIFY(!main->isVisible());
        QVERIFY(!startup->store().isOpen(Database::Library) && !startup->store().isOpen(Database::User));
        const std::optional<Placement> saved = readPlacement();

        startup = std::make_unique<Startup>(m_folder->path());
        main = &startup->Main();
        QCOMPARE(main->frameGeometry(), normal);
        main->resize(300, 300);
        main->showMinimized();
        QVERIFY(main->isMinimized());
        main->close();
        QCOMPARE(readPlacement(), saved);

        startup = std::make_unique<Startup>(m_folder->path());
        main = &startup->Main();
        main->showMaximized();
        QTRY_VERIFY(main->isMaximized() && main->frameGeometry() != normal);
        main->close();
        QCOMPARE(readPlacement(), saved);
    }

    // The main window owns what it opens: closing it closes them, newest first, and they go with it, also when it
    // goes without being closed.
    void theWindowsItOpenedGoWithIt() {
        for (const bool closing : {true, false}) {
            auto startup = std::make_unique<Startup>(m_folder->path());
            MainWindow& main = startup->Main();
            main.mnuFileFind_Click();
            main.mnuFileImport_Click();
            main.mnuViewOptions_Click();
            const QList<QPointer<QDialog>> opened{main.findWindow(), main.importWindow(), main.optionsWindow()};
            QStringList closed;
            for (QDialog* window : opened)
                connect(window, &QDialog::finished, this, [&closed, window] { closed << window->objectName(); });
            if (closing) {
                main.close();
                QCOMPARE(closed, QStringList({"frmOptions", "frmImport", "frmFind"}));
                continue;
            }
            startup.reset();
            for (const QPointer<QDialog>& window : opened)
                QVERIFY(window.isNull());
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<LibraryFolder> m_folder;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
