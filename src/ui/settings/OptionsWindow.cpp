#include "ui/settings/OptionsWindow.h"

#include "core/Placement.h"
#include "core/Settings.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/MessageBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace verdane {

OptionsWindow::OptionsWindow()
    : ClassicForm(nullptr, Kind::ModelessTool, "frmOptions", QStringLiteral("Verdane - Options"), 4005, 1455)
    , m_cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("&OK"), this))
    , m_label1(new QLabel(QStringLiteral("mIRC DDE Service Name:"), this))
    , m_txtmIRCService(new QLineEdit(this))
    , m_label2(new QLabel(QStringLiteral("Default File Export Directory:"), this))
    , m_txtDefaultFileExportDir(new QLineEdit(this)) {

    place(m_cmdCancel, "cmdCancel", 2160, 960, 1095, 375);
    m_cmdCancel->setAutoDefault(false);
    place(m_cmdOK, "cmdOK", 600, 960, 1095, 375);
    m_cmdOK->setDefault(true);
    place(m_label1, "Label1", 240, 120, 1935, 255);
    place(m_txtmIRCService, "txtmIRCService", 2280, 120, 1575, 285);
    place(m_label2, "Label2", 120, 480, 2055, 255);
    place(m_txtDefaultFileExportDir, "txtDefaultFileExportDir", 2280, 480, 1575, 285);
    m_label1->setBuddy(m_txtmIRCService);
    m_label2->setBuddy(m_txtDefaultFileExportDir);
    fitCaptions(this);

    setTabOrder({m_cmdCancel, m_cmdOK, m_txtmIRCService, m_txtDefaultFileExportDir});

    connect(m_cmdOK, &QPushButton::clicked, this, &OptionsWindow::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &OptionsWindow::cmdCancel_Click);
    Form_Load();
}

void OptionsWindow::Form_Load() {
    m_txtmIRCService->setText(settings::read(settings::ChatServiceName));
    m_txtDefaultFileExportDir->setText(settings::read(settings::DefFileExportDir));
}

void OptionsWindow::cmdOK_Click() {
    const bool saved = settings::write(settings::ChatServiceName, m_txtmIRCService->text()) &&
                       settings::write(settings::DefFileExportDir, m_txtDefaultFileExportDir->text());
    if (!saved) {
        // The edits stay in the window, so nothing typed is lost.
        MessageBox::show(this, QStringLiteral("The options could not be saved in %1.").arg(settings::storeLocation()),
                         MessageBox::Icon::Critical);
        return;
    }
    accept();
}

void OptionsWindow::cmdCancel_Click() {
    reject();
}

} // namespace verdane
