#include "ui/startup/Startup.h"

#include "core/SqliteStore.h"
#include "ui/common/Artwork.h"
#include "ui/main/MainWindow.h"
#include "ui/startup/SplashWindow.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>

namespace verdane {

namespace {
constexpr int kSplashExposeWaitMs = 2000;
} // namespace

Startup::Startup(QString dataDir)
    : m_store(std::make_unique<SqliteStore>(std::move(dataDir))) {}

Startup::Startup(const QString& libraryPath, const QString& userPath)
    : m_store(std::make_unique<SqliteStore>(libraryPath, userPath)) {}

Startup::Startup(std::unique_ptr<SnippetStore> store)
    : m_store(std::move(store)) {}

Startup::~Startup() = default;

MainWindow& Startup::Main() {
    QApplication::setWindowIcon(appIcon());
    SplashWindow splash;
    splash.show();
    // Draw it now: what follows keeps the event loop busy until the catalogue is read. A window manager maps the
    // window a moment after it is shown, and nothing drawn before that reaches the screen; so wait until it is
    // exposed (not for ever: a window system that never says so must not hold up the start).
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(kSplashExposeWaitMs);
    const QWindow* handle = splash.windowHandle();
    while (handle && !handle->isExposed() && deadline.isActive())
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    splash.repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    m_main = std::make_unique<MainWindow>(*m_store);
    m_main->Form_Load();
    m_main->LoadCodeTree();

    splash.close();
    m_main->show();
    return *m_main;
}

} // namespace verdane
