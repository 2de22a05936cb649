#include "core/CatalogueModel.h"
#include "support/UiSupport.h"
#include "ui/main/MainWindow.h"
#include "ui/startup/SplashWindow.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

// What the user sees while the program starts: the windows shown and hidden, in order, whether each stays on top,
// the nodes of the tree when the main window shows; and, from the display itself, the splash at the moment the main
// window begins to be built (its first child tells that the slow steps have begun).
class StartWatcher : public QObject {
public:
    QStringList events;
    QImage seen;
    QImage drawn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (window && window->isWindow() && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
            QString what = window->objectName() + (event->type() == QEvent::Show ? " shown" : " hidden");
            if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                what += " on top";
            if (auto* main = qobject_cast<MainWindow*>(window))
                what += QString(" with %1 nodes").arg(main->catalogue().nodeCount());
            if (events.isEmpty() || events.last() != what)
                events << what;
        }
        if (seen.isNull() && event->type() == QEvent::ChildAdded && qobject_cast<MainWindow*>(watched)) {
            for (QWidget* splash : QApplication::topLevelWidgets()) {
                if (splash->objectName() != "frmSplash" || !splash->isVisible())
                    continue;
                const QRect r = splash->geometry();
                seen = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
                drawn = SplashWindow::artwork(r.size(), 1).toImage();
            }
        }
        return false;
    }
};

} // namespace

// Runs on a real X server (CTest starts Xvfb) with a real window manager, which maps windows a moment after they
// are shown: what a user of an X11 desktop sees.
class TestSplash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The splash is on the screen, painted and above every window, before the library is read, and gone before the
    // main window shows the catalogue built.
    void splashIsOnScreenWhileTheLibraryIsRead() {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X server");
        UiEnvironment env;
        QProcess windowManager;
        windowManager.start("openbox", {"--sm-disable"});
        QVERIFY2(windowManager.waitForStarted(), "openbox is not installed");
        // The window manager is ready once it has announced itself on the root window.
        auto announced = [] {
            QProcess xprop;
            xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
            return xprop.waitForFinished() && xprop.readAllStandardOutput().contains("window id");
        };
        QTRY_VERIFY_WITH_TIMEOUT(announced(), 10000);
        LibraryFolder folder;
        folder.create({{"Math", {{"Sum", "s"}}}}, {{"Mine", "m"}});
        StartWatcher watcher;
        qApp->installEventFilter(&watcher);
        Startup startup(folder.path());
        startup.Main();
        qApp->removeEventFilter(&watcher);
        startup.mainWindow()->close();
        windowManager.terminate();
        windowManager.waitForFinished();

        QCOMPARE(watcher.events,
                 QStringList({"frmSplash shown on top", "frmSplash hidden on top", "frmMain shown with 11 nodes"}));
        // On average as drawn, but for a few levels: the picture, not an empty window, was on the screen.
        const QImage seen = watcher.seen.convertToFormat(QImage::Format_RGB32);
        const QImage drawn = watcher.drawn.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(seen.size(), drawn.size());
        qint64 difference = 0;
        for (qsizetype i = 0; i < seen.sizeInBytes(); ++i)
            difference += qAbs(seen.constBits()[i] - drawn.constBits()[i]);
        QVERIFY2(difference < 12 * seen.sizeInBytes(), "the splash was not painted before loading");
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
