#include "support/UiSupport.h"
#include "ui/main/MainWindow.h"
#include "ui/startup/SplashWindow.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

// Takes, from the display itself, what the splash looks like at the moment the main window begins to be built: the
// first child a main window adds tells that the slow steps have begun.
class ScreenAtLoading : public QObject {
public:
    QImage seen;
    QImage drawn;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (seen.isNull() && event->type() == QEvent::ChildAdded && qobject_cast<MainWindow*>(watched)) {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->objectName() != "frmSplash" || !window->isVisible())
                    continue;
                const QRect r = window->geometry();
                seen = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
                drawn = SplashWindow::artwork(r.size(), 1).toImage();
            }
        }
        return false;
    }
};

double shareAlike(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 0;
    int alike = 0;
    int total = 0;
    for (int y = 2; y < a.height(); y += 5) {
        for (int x = 2; x < a.width(); x += 11) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            alike += qAbs(p.red() - q.red()) + qAbs(p.green() - q.green()) + qAbs(p.blue() - q.blue()) < 60;
            ++total;
        }
    }
    return double(alike) / total;
}

} // namespace

// Runs on a real X server (CTest starts Xvfb) with a real window manager, which maps windows a moment after they
// are shown: what a user of an X11 desktop sees.
class TestSplash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X server");
        m_env = std::make_unique<UiEnvironment>();
        m_windowManager.start("openbox", {"--sm-disable"});
        QVERIFY2(m_windowManager.waitForStarted(), "openbox is not installed");
        // The window manager is ready once it has announced itself on the root window.
        QTRY_VERIFY_WITH_TIMEOUT(managerAnnounced(), 10000);
    }

    void cleanupTestCase() {
        m_windowManager.terminate();
        m_windowManager.waitForFinished();
    }

    void splashIsOnScreenBeforeTheLibraryIsRead() {
        LibraryFolder folder;
        folder.create();
        ScreenAtLoading probe;
        qApp->installEventFilter(&probe);
        Startup startup(folder.path());
        startup.Main();
        qApp->removeEventFilter(&probe);
        startup.mainWindow()->close();
        QVERIFY(!probe.seen.isNull());
        QVERIFY2(shareAlike(probe.seen, probe.drawn) > 0.9, "the splash was not painted before loading");
    }

private:
    static bool managerAnnounced() {
        QProcess xprop;
        xprop.start("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"});
        xprop.waitForFinished();
        return xprop.readAllStandardOutput().contains("window id");
    }

    std::unique_ptr<TestEnvironment> m_env;
    QProcess m_windowManager;
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
