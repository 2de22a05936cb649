#pragma once

#include "ui/common/ClassicForm.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace verdane {

// Edits the two settings that are not window placement: the chat client's service name and the folder the export
// starts in. Shows what is stored (or the defaults) and writes both, exactly as typed, on OK only.
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
};

} // namespace verdane
