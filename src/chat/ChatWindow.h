#pragma once

#include "ui/common/ClassicForm.h"

#include <memory>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace verdane {

class ChatTransport;
class MainWindow;

// Posts the code shown in the main window into an IRC conversation, one "/msg" command per line, through the chat
// client running beside the program. Modeless and without an owner; it stays open after a send.
class ChatWindow final : public ClassicForm {
    Q_OBJECT

public:
    explicit ChatWindow(MainWindow& main);
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

    MainWindow& m_main;
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
