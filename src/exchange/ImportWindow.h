#pragma once

#include "ui/common/ClassicForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace verdane {

class MainWindow;

// Adds one snippet of the user's own, from the clipboard or a file, to the user database and lists it under
// "User Code". Modeless and without an owner. A refusal or a failure leaves the window open with every input kept.
class ImportWindow final : public ClassicForm {
    Q_OBJECT

public:
    explicit ImportWindow(MainWindow& main);

    void optFile_Click();
    void optClipboard_Click();
    void cmdBrowse_Click();
    void cmdImport_Click();
    void cmdCancel_Click();

private:
    // The code to import, or what keeps it from being read.
    struct Source {
        QString code;
        QString problem;
        bool failure = false; // a failure of the system rather than an input to correct
    };
    Source readFile() const;

    MainWindow& m_main;
    QLabel* m_lblCodeName;
    QLineEdit* m_txtCodeName;
    QLabel* m_lblFrom;
    QRadioButton* m_optFile;
    QRadioButton* m_optClipboard;
    QLineEdit* m_txtFile;
    QPushButton* m_cmdBrowse;
    QPushButton* m_cmdImport;
    QPushButton* m_cmdCancel;
};

} // namespace verdane
