#include "core/Startup.h"

#include "core/SnippetStore.h"
#include "core/SplashWindow.h"
#include "ui/common/Artwork.h"
#include "ui/main/MainWindow.h"

#include <QApplication>

namespace verdane {

Startup::Startup(QString dataDir)
    : m_store(std::make_unique<SnippetStore>(std::move(dataDir))) {}

Startup::~Startup() = default;

MainWindow& Startup::Main() {
    QApplication::setWindowIcon(appIcon());
    SplashWindow splash;
    splash.show();
    // Draw it now: what follows keeps the event loop busy until the catalogue is read.
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
