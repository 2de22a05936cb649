#pragma once

#include "core/Status.h"
#include "ui/common/ClassicForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace verdane {

class SnippetStore;

// Adds one snippet of the user's own, from the clipboard or a file, to the user database and lists it under
// "User Code". Modeless and without an owner. A refusal or a failure leaves the window open with every input kept.
class ImportWindow final : public ClassicForm {
    Q_OBJECT

public:
    explicit ImportWindow(SnippetStore& store);

    void optFile_Click();
    void optClipboard_Click();
    void cmdBrowse_Click();
    void cmdImport_Click();
    void cmdCancel_Click();

Q_SIGNALS:
    // A snippet was added to the user's table; whoever shows the catalogue rebuilds it.
    void imported();

private:
    // The code to import, or what keeps it from being read.
    struct Source {
        QString code;
        Status status;
    };
    Source readFile() const;

    SnippetStore& m_store;
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
