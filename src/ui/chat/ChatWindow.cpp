#include "ui/chat/ChatWindow.h"

#include "chat/ChatCommands.h"
#include "core/Placement.h"
#include "core/Settings.h"
#include "platform/ChatTransport.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/MessageBox.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace verdane {

namespace {

// What the chat client is waited for at each step of a conversation.
constexpr int kLinkTimeoutMs = 3000;

} // namespace

ChatWindow::ChatWindow(std::function<QString()> codeToSend)
    : ClassicForm(nullptr, Kind::Modeless, "frmmIRC", QStringLiteral("Verdane - Export to mIRC Chat"), 6390, 1770)
    , m_codeToSend(std::move(codeToSend))
    , m_transport(createChatTransport())
    , m_chkPrivateMessage(new QCheckBox(QStringLiteral("Private Message"), this))
    , m_txtNickChannel(new QLineEdit(this))
    , m_lblNick(new QLabel(QStringLiteral("Nick:"), this))
    , m_lblComments(new QLabel(QStringLiteral("Additional Comments:"), this))
    , m_txtComments(new QPlainTextEdit(this))
    , m_cmdSend(new QPushButton(QStringLiteral("&Send"), this))
    , m_cmdClose(new QPushButton(QStringLiteral("&Close"), this))
    , m_lblWarning(new QLabel(
          QStringLiteral("Warning:  Sending code to a channel could cause you to get kicked or banned."), this)) {

    place(m_chkPrivateMessage, "chkPrivateMessage", 120, 120, 1575, 255);
    m_chkPrivateMessage->setChecked(true);
    place(m_txtNickChannel, "txtNickChannel", 120, 840, 1455, 285);
    place(m_lblNick, "lblNick", 120, 600, 375, 195);
    place(m_lblComments, "lblComments", 1920, 120, 1575, 255);
    place(m_txtComments, "txtComments", 1920, 360, 4335, 770);
    m_txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtComments->setTabChangesFocus(true);
    m_txtComments->installEventFilter(this);
    place(m_cmdSend, "cmdSend", 3480, 1320, 1215, 375);
    m_cmdSend->setDefault(true);
    place(m_cmdClose, "cmdClose", 5040, 1320, 1215, 375);
    m_cmdClose->setAutoDefault(false);
    place(m_lblWarning, "lblWarning", 120, 1320, 3135, 615);
    m_lblWarning->setWordWrap(true);
    m_lblWarning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The nick label sizes itself to its caption.
    m_lblNick->adjustSize();
    fitCaptions(this);

    setTabOrder({m_chkPrivateMessage, m_txtNickChannel, m_txtComments, m_cmdSend, m_cmdClose});

    connect(m_chkPrivateMessage, &QCheckBox::toggled, this, &ChatWindow::chkPrivateMessage_Click);
    connect(m_cmdSend, &QPushButton::clicked, this, &ChatWindow::cmdSend_Click);
    connect(m_cmdClose, &QPushButton::clicked, this, &ChatWindow::cmdClose_Click);
}

ChatWindow::~ChatWindow() = default;

void ChatWindow::chkPrivateMessage_Click() {
    m_lblNick->setText(m_chkPrivateMessage->isChecked() ? QStringLiteral("Nick:") : QStringLiteral("Channel Name:"));
    m_lblNick->adjustSize();
}

bool ChatWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtComments && event->type() == QEvent::KeyPress)
        return txtComments_KeyPress(*static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

// A typed carriage return never enters the comments, which are one line of chat; every other key passes.
bool ChatWindow::txtComments_KeyPress(const QKeyEvent& key) {
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

void ChatWindow::cmdSend_Click() {
    if (m_txtNickChannel->text().isEmpty()) {
        MessageBox::show(this, QStringLiteral("Enter a Nick or Channel to send code to."));
        return;
    }
    m_transport->closeAny();
    // The default service name stands for the chat client in general, not for one of its servers or pipes.
    QString service = settings::read(settings::ChatServiceName);
    if (service == QLatin1String(settings::ChatServiceName.defaultValue))
        service.clear();
    m_transport->setLink(kLinkTimeoutMs, service, QStringLiteral("COMMAND"));
    if (!m_transport->open()) {
        failed();
        return;
    }
    // The channel's "#" is added only once the conversation is open: a send that cannot connect changes nothing.
    if (!m_chkPrivateMessage->isChecked() && !m_txtNickChannel->text().startsWith(QLatin1Char('#')))
        m_txtNickChannel->setText(QLatin1Char('#') + m_txtNickChannel->text());
    const QStringList lines = chatCommandLines(m_txtNickChannel->text(), m_txtComments->toPlainText(), m_codeToSend());
    for (const QString& line : lines) {
        if (!m_transport->poke(line)) {
            failed();
            return;
        }
    }
    m_transport->close();
}

void ChatWindow::failed() {
    MessageBox::show(this, m_transport->error(), MessageBox::Icon::Critical);
}

void ChatWindow::cmdClose_Click() {
    reject();
}

// Close, Esc and the title bar's close: the window goes, and a conversation still open with it.
void ChatWindow::reject() {
    m_transport->closeAny();
    ClassicForm::reject();
}

} // namespace verdane
