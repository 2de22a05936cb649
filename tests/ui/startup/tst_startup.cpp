#include "core/Settings.h"
#include "support/UiSupport.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/settings/OptionsWindow.h"
#include "ui/startup/Startup.h"

#include <QPointer>

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Where the window opens, run after run. A placement stored for a screen that is gone is brought back, with enough
    // of the title bar on a screen to grab it, one too large shrunk to fit; one that cannot be used is an error, but
    // the run goes on and its close writes a good one. A first run without databases stops at nothing and makes no
    // files. The next run opens where the user left the window, also partly off the screen's edge; closing it closes
    // its files and the windows it opened, newest first, and closing while minimized keeps what was there, while
    // maximized the normal place and size. The windows it opened go with it also when it goes without being closed.
    void placementIsKeptAcrossRuns() {
        UiEnvironment env;
        LibraryFolder folder({{"Math", {{"Sum", "s"}}}}, {{"Mine", "m"}});
        for (const QStringList& stored :
             {QStringList{"60000", "1000", "6500"}, QStringList{"1000", "-3000", "6500"},
              QStringList{"-60000", "-60000", "6500"}, QStringList{"0", "0", "90000"}, QStringList{"0", "0", "tall"}}) {
            for (int i = 0; i < 3; ++i)
                settings::write(std::array{settings::MainLeft, settings::MainTop, settings::MainHeight}[i], stored[i]);
            MessageBox::clearShown();
            Startup startup(folder.path());
            MainWindow& main = startup.Main();
            const QRect outer = main.frameGeometry();
            const QRect grip = QRect(outer.topLeft(), QSize(outer.width(), 20)) & main.screen()->availableGeometry();
            QVERIFY2(grip.height() == 20 && grip.width() >= 100, qPrintable(stored.join(' ')));
            // Never taller than the screen: the status bar shows.
            QVERIFY(outer.height() <= main.screen()->availableGeometry().height());
            QCOMPARE(MessageBox::shownTexts(), stored[2] != "tall" ? QStringList() : QStringList{"Error"});
            main.close();
            QVERIFY(readPlacement());
        }

        LibraryFolder empty;
        auto startup = std::make_unique<Startup>(empty.path());
        MainWindow* main = &startup->Main();
        main->move(-30, 12);
        main->resize(520, 410);
        const QRect normal = main->frameGeometry();
        action(*main, "mnuFileClose")->trigger();
        QVERIFY(empty.fileNames().isEmpty());
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"}); // none since the last placement's
        const std::optional<Placement> saved = readPlacement();

        startup = std::make_unique<Startup>(folder.path());
        main = &startup->Main();
        QCOMPARE(main->frameGeometry(), normal);
        QStringList finished;
        openWindows(*main, &finished);
        main->resize(300, 300);
        main->showMinimized();
        main->close();
        QCOMPARE(finished, QStringList({"frmOptions", "frmImport", "frmFind"}));
        QVERIFY(!startup->store().isOpen(Database::Library) && !startup->store().isOpen(Database::User));
        QCOMPARE(readPlacement(), saved);

        startup = std::make_unique<Startup>(folder.path());
        main = &startup->Main();
        main->showMaximized();
        QTRY_VERIFY(main->isMaximized() && main->frameGeometry() != normal);
        main->close();
        QCOMPARE(readPlacement(), saved);

        startup = std::make_unique<Startup>(folder.path());
        const QList<QPointer<QDialog>> opened = openWindows(startup->Main(), &finished);
        startup.reset();
        QVERIFY(std::all_of(opened.begin(), opened.end(), [](const QPointer<QDialog>& window) { return !window; }));
    }

private:
    // Opens the windows a user may have open beside the main window, and lists which of them finish, in order.
    static QList<QPointer<QDialog>> openWindows(MainWindow& main, QStringList* finished) {
        main.mnuFileFind_Click();
        main.mnuFileImport_Click();
        main.mnuViewOptions_Click();
        const QList<QPointer<QDialog>> opened{main.findWindow(), main.importWindow(), main.optionsWindow()};
        for (QDialog* window : opened)
            connect(window, &QDialog::finished, [finished, window] { *finished << window->objectName(); });
        return opened;
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
