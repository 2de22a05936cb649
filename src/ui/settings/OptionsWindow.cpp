#include "ui/settings/OptionsWindow.h"

#include "core/Placement.h"
#include "core/Postgres.h"
#include "core/Settings.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace verdane {

OptionsWindow::OptionsWindow()
    : ClassicForm(nullptr, Kind::ModelessTool, "frmOptions", QStringLiteral("Verdane - Options"), 4005, 1815)
    , m_cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("&OK"), this))
    , m_label1(new QLabel(QStringLiteral("mIRC DDE Service Name:"), this))
    , m_txtmIRCService(new QLineEdit(this))
    , m_label2(new QLabel(QStringLiteral("Default File Export Directory:"), this))
    , m_txtDefaultFileExportDir(new QLineEdit(this))
    , m_label3(new QLabel(QStringLiteral("Team Library Server URL:"), this))
    , m_txtLibraryServer(new QLineEdit(this)) {

    place(m_cmdCancel, "cmdCancel", 2160, 1320, 1095, 375);
    m_cmdCancel->setAutoDefault(false);
    place(m_cmdOK, "cmdOK", 600, 1320, 1095, 375);
    m_cmdOK->setDefault(true);
    place(m_label1, "Label1", 240, 120, 1935, 255);
    place(m_txtmIRCService, "txtmIRCService", 2280, 120, 1575, 285);
    place(m_label2, "Label2", 120, 480, 2055, 255);
    place(m_txtDefaultFileExportDir, "txtDefaultFileExportDir", 2280, 480, 1575, 285);
    place(m_label3, "Label3", 120, 840, 2055, 255);
    place(m_txtLibraryServer, "txtLibraryServer", 2280, 840, 1575, 285);
    m_txtLibraryServer->setPlaceholderText(QStringLiteral("the two files"));
    m_txtLibraryServer->setToolTip(QStringLiteral("postgresql://user@host/database, read from the next start; the "
                                                  "password comes from ~/.pgpass or PGPASSWORD"));
    m_label1->setBuddy(m_txtmIRCService);
    m_label2->setBuddy(m_txtDefaultFileExportDir);
    m_label3->setBuddy(m_txtLibraryServer);
    fitCaptions(this);

    setTabOrder({m_cmdCancel, m_cmdOK, m_txtmIRCService, m_txtDefaultFileExportDir, m_txtLibraryServer});

    connect(m_cmdOK, &QPushButton::clicked, this, &OptionsWindow::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &OptionsWindow::cmdCancel_Click);
    Form_Load();
}

void OptionsWindow::Form_Load() {
    m_txtmIRCService->setText(settings::read(settings::ChatServiceName));
    m_txtDefaultFileExportDir->setText(settings::read(settings::DefFileExportDir));
    m_txtLibraryServer->setText(settings::read(settings::LibraryServer));
}

void OptionsWindow::cmdOK_Click() {
    const QString server = m_txtLibraryServer->text().trimmed();
    // The address is not repeated: it may hold a password, which is never to be shown or stored.
    if (const QString problem = server.isEmpty() ? QString() : pg::urlProblem(server); !problem.isEmpty()) {
        MessageBox::show(this, QStringLiteral("The team library's address cannot be used: %1.").arg(problem),
                         MessageBox::Icon::Warning);
        return;
    }
    const bool moved = server != settings::read(settings::LibraryServer);
    const bool saved = settings::write(settings::ChatServiceName, m_txtmIRCService->text()) &&
                       settings::write(settings::DefFileExportDir, m_txtDefaultFileExportDir->text()) &&
                       settings::write(settings::LibraryServer, server);
    if (!saved) {
        // The edits stay in the window, so nothing typed is lost.
        MessageBox::show(this, QStringLiteral("The options could not be saved in %1.").arg(settings::storeLocation()),
                         MessageBox::Icon::Critical);
        return;
    }
    if (moved)
        MessageBox::show(this,
                         server.isEmpty()
                             ? QStringLiteral("Verdane reads the two files again from its next start.")
                             : QStringLiteral("Verdane reads the team library at %1 from its next start.").arg(server),
                         MessageBox::Icon::Information);
    accept();
}

void OptionsWindow::cmdCancel_Click() {
    reject();
}

} // namespace verdane
