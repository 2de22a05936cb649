#pragma once

#include <QString>

#include <memory>

namespace verdane {

class MainWindow;
class SnippetStore;

// The program's life from the splash to the shown main window. It owns the store and the main window for the run.
class Startup final {
public:
    explicit Startup(QString dataDir);
    Startup(const QString& libraryPath, const QString& userPath);
    explicit Startup(std::unique_ptr<SnippetStore> store);
    ~Startup();

    // Shows the splash, loads the main window, builds the catalogue, closes the splash and shows the main window.
    MainWindow& Main();

    SnippetStore& store() { return *m_store; }
    MainWindow* mainWindow() { return m_main.get(); }

private:
    std::unique_ptr<SnippetStore> m_store;
    std::unique_ptr<MainWindow> m_main;
};

} // namespace verdane
