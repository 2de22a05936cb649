#include "core/CatalogueModel.h"
#include "support/UiSupport.h"
#include "ui/startup/SplashWindow.h"
#include "ui/startup/Startup.h"

#include <QProcess>

// Runs on a real X server (CTest starts Xvfb) with a real window manager, which maps windows a moment after they
// are shown: what a user of an X11 desktop sees.
class TestSplash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The splash is on the screen, painted and above every window, before the library is read, and gone before the
    // main window shows the catalogue built.
    void splashIsOnScreenWhileTheLibraryIsRead() {
        UiEnvironment env;
        QProcess windowManager;
        windowManager.start("openbox", {"--sm-disable"});
        QVERIFY2(windowManager.waitForStarted(), "openbox is not installed");
        // The window manager is ready once it has announced itself on the root window.
        QTRY_VERIFY_WITH_TIMEOUT(
            QProcess::execute("sh", {"-c", "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"}) == 0, 10000);
        LibraryFolder folder({{"Math", {{"Sum", "s"}}}}, {{"Mine", "m"}});
        qApp->installEventFilter(this);
        Startup startup(folder.path());
        startup.Main();
        windowManager.terminate();
        windowManager.waitForFinished();

        QCOMPARE(m_events, QStringList({"splash shown on top as the main window is built",
                                        "splash hidden on top as the main window shows 11 nodes"}));
        // On average as drawn, but for a few levels: the picture, not an empty window, was on the screen.
        const QImage drawn = SplashWindow::artwork(m_seen.size(), 1).toImage().convertToFormat(QImage::Format_RGB32);
        qint64 difference = 0;
        for (qsizetype i = 0; i < m_seen.sizeInBytes(); ++i)
            difference += qAbs(m_seen.constBits()[i] - drawn.constBits()[i]);
        QVERIFY2(!m_seen.isNull() && difference < 12 * m_seen.sizeInBytes(),
                 "the splash was not painted before loading");
    }

private:
    // What the user sees of the splash when the main window begins to be built (its first child tells that the slow
    // steps have begun), from the display itself, and when the main window shows.
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* main = qobject_cast<MainWindow*>(watched);
        const bool building = event->type() == QEvent::ChildAdded && m_seen.isNull();
        if (!main || (!building && event->type() != QEvent::Show))
            return false;
        for (QWidget* splash : QApplication::topLevelWidgets()) {
            const QRect r = splash->geometry();
            if (splash->objectName() != "frmSplash")
                continue;
            m_events << QString("splash %1%2 as the main window %3")
                            .arg(splash->isVisible() ? "shown" : "hidden",
                                 splash->windowFlags() & Qt::WindowStaysOnTopHint ? " on top" : "",
                                 building ? "is built" : QString("shows %1 nodes").arg(main->catalogue().nodeCount()));
            if (building)
                m_seen = QGuiApplication::primaryScreen()
                             ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
        }
        return false;
    }

    QStringList m_events;
    QImage m_seen;
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
