#pragma once

#include "ui/common/ClassicForm.h"

#include <functional>
#include <memory>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace verdane {

class ChatTransport;

// Posts the code shown in the main window into an IRC conversation, one "/msg" command per line, through the chat
// client running beside the program. Modeless and without an owner; it stays open after a send.
class ChatWindow final : public ClassicForm {
    Q_OBJECT

public:
    // codeToSend gives the code at the moment of each send: what the pane shows then.
    explicit ChatWindow(std::function<QString()> codeToSend);
    ~ChatWindow() override;

    void chkPrivateMessage_Click();
    void cmdSend_Click();
    void cmdClose_Click();

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool txtComments_KeyPress(const QKeyEvent& key);
    void failed();

    std::function<QString()> m_codeToSend;
    std::unique_ptr<ChatTransport> m_transport;
    QCheckBox* m_chkPrivateMessage;
    QLineEdit* m_txtNickChannel;
    QLabel* m_lblNick;
    QLabel* m_lblComments;
    QPlainTextEdit* m_txtComments;
    QPushButton* m_cmdSend;
    QPushButton* m_cmdClose;
    QLabel* m_lblWarning;
};

} // namespace verdane
