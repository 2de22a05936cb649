#pragma once

#include "ui/common/ClassicForm.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace verdane {

// Edits the settings that are not window placement: the chat client's service name, the folder the export starts in,
// and the address of a team library on a server (read from the next start). Shows what is stored (or the defaults)
// and writes them, exactly as typed, on OK only; an address that cannot serve (one holding a password) is refused and
// the window stays open with the edits.
class OptionsWindow final : public ClassicForm {
    Q_OBJECT

public:
    OptionsWindow();

    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void Form_Load();

    QPushButton* m_cmdCancel;
    QPushButton* m_cmdOK;
    QLabel* m_label1;
    QLineEdit* m_txtmIRCService;
    QLabel* m_label2;
    QLineEdit* m_txtDefaultFileExportDir;
    QLabel* m_label3;
    QLineEdit* m_txtLibraryServer;
};

} // namespace verdane
