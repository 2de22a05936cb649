#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/Settings.h"
#include "core/SnippetStore.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/OptionsWindow.h"
#include "ui/startup/SplashWindow.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

// Records, in order, when the splash and the main window are shown and hidden.
class LifecycleRecorder : public QObject {
public:
    QStringList events;
    bool splashOnTopWhenShown = false;
    bool splashCovered = false;
    int nodesWhenMainShown = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !widget->isWindow() || (event->type() != QEvent::Show && event->type() != QEvent::Hide))
            return false;
        const QString what = widget->objectName() + QLatin1String(event->type() == QEvent::Show ? " shown" : " hidden");
        if (!events.isEmpty() && events.last() == what)
            return false;
        events << what;
        if (widget->objectName() == "frmSplash" && event->type() == QEvent::Show) {
            splashOnTopWhenShown = widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            auto* image = widget->findChild<QLabel*>("imgSplash");
            splashCovered = image && image->geometry() == widget->rect() && !image->pixmap().isNull();
        }
        if (auto* main = qobject_cast<MainWindow*>(widget); main && event->type() == QEvent::Show)
            nodesWhenMainShown = main->catalogue().nodeCount();
        return false;
    }
};

// Closes itself and notes the order in which windows were closed.
class Secondary : public QWidget {
public:
    Secondary(QString name, QStringList* closed)
        : m_name(std::move(name))
        , m_closed(closed) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        *m_closed << m_name;
        QWidget::closeEvent(event);
    }

private:
    QString m_name;
    QStringList* m_closed;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() {
        m_env->reset();
        m_folder = std::make_unique<LibraryFolder>();
        m_folder->create({{"Math", {{"Sum", "s"}}}}, {{"Mine", "m"}});
    }

    void firstRunShowsSplashThenTheWindowAtTheDefaults() {
        LifecycleRecorder recorder;
        qApp->installEventFilter(&recorder);
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        qApp->removeEventFilter(&recorder);

        QCOMPARE(recorder.events, QStringList({"frmSplash shown", "frmSplash hidden", "frmMain shown"}));
        QVERIFY(recorder.splashOnTopWhenShown);
        QVERIFY(recorder.splashCovered);
        QCOMPARE(recorder.nodesWhenMainShown, 11);
        QVERIFY(qApp->findChild<SplashWindow*>() == nullptr);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(w->objectName() != "frmSplash" || !w->isVisible());

        QVERIFY(main.isVisible());
        QCOMPARE(main.windowTitle(), "Verdane - " + kPublisherLabel);
        // 1000 and 6500 twips at 15 twips to the pixel.
        QCOMPARE(main.frameGeometry(), QRect(67, 67, 433, 433));
        QVERIFY(MessageBox::shown().isEmpty());
        auto* tree = main.findChild<QTreeView*>("tvTreeView");
        QVERIFY(tree);
        QCOMPARE(tree->model()->rowCount(), 2);
        QVERIFY(!tree->isExpanded(tree->model()->index(0, 0)));
        main.close();
    }

    void placementIsSavedAndRestored() {
        QRect outer;
        {
            Startup startup(m_folder->path());
            MainWindow& main = startup.Main();
            main.move(-30, 12);
            main.resize(520, 410);
            outer = main.frameGeometry();
            QCOMPARE(outer.topLeft(), QPoint(-30, 12));
            main.findChild<QAction*>("mnuFileClose")->trigger();
            QVERIFY(!main.isVisible());
            QVERIFY(!startup.store().isOpen(Database::Library));
            QVERIFY(!startup.store().isOpen(Database::User));
        }
        QCOMPARE(settings::read(settings::MainLeft), "-450");
        QCOMPARE(settings::read(settings::MainTop), "180");
        // The outer size, frame included.
        QCOMPARE(settings::read(settings::MainWidth), QString::number(outer.width() * 15));
        QCOMPARE(settings::read(settings::MainHeight), QString::number(outer.height() * 15));
        Startup again(m_folder->path());
        QCOMPARE(again.Main().frameGeometry(), outer);
        again.mainWindow()->close();
    }

    void closingWhileMinimizedKeepsThePreviousPlacement() {
        settings::write(settings::MainWidth, "9000");
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        main.resize(300, 300);
        main.showMinimized();
        QVERIFY(main.isMinimized());
        main.close();
        QCOMPARE(settings::read(settings::MainWidth), "9000");
        QVERIFY(!settings::contains(settings::MainLeft));
        QVERIFY(!startup.store().isOpen(Database::User));
    }

    void aMaximizedWindowIsRememberedAtItsNormalPlaceAndSize() {
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        main.move(40, 30);
        main.resize(520, 410);
        const QRect normal = main.frameGeometry();
        main.showMaximized();
        QTRY_VERIFY(main.isMaximized());
        QTRY_VERIFY(main.frameGeometry() != normal);
        main.close();
        QCOMPARE(settings::read(settings::MainLeft), QString::number(normal.x() * 15));
        QCOMPARE(settings::read(settings::MainTop), QString::number(normal.y() * 15));
        QCOMPARE(settings::read(settings::MainWidth), QString::number(normal.width() * 15));
        QCOMPARE(settings::read(settings::MainHeight), QString::number(normal.height() * 15));
    }

    void aPlacementOutOfReachIsBroughtBack_data() {
        QTest::addColumn<int>("left"); // twips
        QTest::addColumn<int>("top");
        QTest::addColumn<bool>("kept");
        QTest::newRow("partly off the left edge") << -450 << 180 << true;
        QTest::newRow("right of every screen") << 60000 << 1000 << false;
        QTest::newRow("title bar above the screen") << 1000 << -3000 << false;
        QTest::newRow("far off both edges") << -60000 << -60000 << false;
    }

    void aPlacementOutOfReachIsBroughtBack() {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(bool, kept);
        settings::write(settings::MainLeft, QString::number(left));
        settings::write(settings::MainTop, QString::number(top));
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        const QRect outer = main.frameGeometry();
        if (kept) {
            QCOMPARE(outer.topLeft(), QPoint(left / 15, top / 15));
        } else {
            // Enough of the title bar to grab is on the screen.
            const QRect screen = main.screen()->availableGeometry();
            const QRect titleBar(outer.left(), outer.top(), outer.width(), 20);
            QCOMPARE(titleBar.intersected(screen).height(), 20);
            QVERIFY(titleBar.intersected(screen).width() >= 100);
        }
        QCOMPARE(outer.size(), QSize(433, 433));
        main.close();
    }

    void unusableStoredPlacementShowsErrorAndTheDesignGeometry() {
        settings::write(settings::MainHeight, "tall");
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, "Error");
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(MessageBox::shown()[0].title, "Verdane");
        QCOMPARE(main.size(), QSize(640, 480));
        // The run goes on normally: the tree is there, and the next close overwrites the bad value.
        QCOMPARE(main.catalogue().nodeCount(), 11);
        main.close();
        QCOMPARE(settings::read(settings::MainHeight), QString::number(main.frameGeometry().height() * 15));
    }

    void closingClosesEveryOtherWindowNewestFirst() {
        Startup startup(m_folder->path());
        MainWindow& main = startup.Main();
        QStringList closed;
        Secondary find("find", &closed);
        Secondary options("options", &closed);
        find.show();
        options.show();
        main.registerLoadedWindow(&find);
        main.registerLoadedWindow(&options);
        main.close();
        QCOMPARE(closed, QStringList({"options", "find"}));
        QVERIFY(!find.isVisible());
        QVERIFY(!options.isVisible());
    }

    // The main window owns what it opens: gone with it, even when it goes without being closed.
    void theWindowsItOpenedGoWithIt() {
        auto startup = std::make_unique<Startup>(m_folder->path());
        MainWindow& main = startup->Main();
        main.mnuFileFind_Click();
        main.mnuFileImport_Click();
        main.mnuViewOptions_Click();
        const QList<QPointer<QWidget>> opened{main.findWindow(), main.importWindow(), main.optionsWindow()};
        QVERIFY(!opened.contains(nullptr));
        startup.reset();
        for (const QPointer<QWidget>& window : opened)
            QVERIFY(window.isNull());
    }

    void missingDatabasesDoNotStopStartup() {
        LibraryFolder empty;
        Startup startup(empty.path());
        MainWindow& main = startup.Main();
        QVERIFY(main.isVisible());
        QCOMPARE(main.catalogue().nodeCount(), 9);
        QVERIFY(MessageBox::shown().isEmpty());
        main.close();
        QVERIFY(empty.fileNames().isEmpty());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<LibraryFolder> m_folder;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
