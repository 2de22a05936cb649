#pragma once

#include "ui/common/ClassicForm.h"

#include <QStringList>

class QLabel;
class QPushButton;

namespace verdane {

// Title, version and the size of the shipped library, the publisher's address, and a way to System Information.
// Modal and owned by the main window.
class AboutBox final : public ClassicForm {
    Q_OBJECT

public:
    // libraryPath, userPath: the two database files the program reads, or both the address of its team library;
    // unreadable: what of them the catalogue could not read, one message each.
    AboutBox(QWidget* owner, const QString& libraryPath, const QString& userPath, const QStringList& unreadable = {});
    ~AboutBox() override;

    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblLabel1_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load(const QString& libraryPath, const QString& userPath, const QStringList& unreadable);

    QLabel* m_imgImage1;
    QLabel* m_lblTitle;
    QLabel* m_lblVersion;
    QLabel* m_lblDatabaseInfo;
    QLabel* m_lblCopyright;
    QLabel* m_lblLabel1;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdSysInfo;
};

// "Database Size: " and the length in kilobytes in the shortest general form, with up to 15 significant digits, the
// locale's decimal separator and no digit grouping, then "Kb".
QString databaseSizeText(qint64 bytes, const QLocale& locale);

} // namespace verdane
