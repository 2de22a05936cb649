#pragma once

#include "ui/common/ClassicForm.h"

#include <memory>

class QLabel;
class QPushButton;

namespace verdane {

class Registry;
struct SystemInfoPlaces;

// Title, version and the size of the shipped library, the publisher's address, and a way to System Information.
// Modal and owned by the main window.
class AboutBox final : public ClassicForm {
    Q_OBJECT

public:
    // libraryPath, userPath: the two database files the program reads.
    AboutBox(QWidget* owner, const QString& libraryPath, const QString& userPath);
    ~AboutBox() override;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblLabel1_Click();

    // Tests: where System Information is looked for and how it is started.
    void useSystemInfo(std::unique_ptr<Registry> registry, const SystemInfoPlaces& places);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load(const QString& libraryPath, const QString& userPath);

    QLabel* m_imgImage1;
    QLabel* m_lblTitle;
    QLabel* m_lblVersion;
    QLabel* m_lblDatabaseInfo;
    QLabel* m_lblCopyright;
    QLabel* m_lblLabel1;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdSysInfo;
    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<SystemInfoPlaces> m_places;
};

// "Database Size: " and the length in kilobytes in the shortest general form, with up to 15 significant digits, the
// locale's decimal separator and no digit grouping, then "Kb".
QString databaseSizeText(qint64 bytes, const QLocale& locale);

} // namespace verdane
