#include "ui/exchange/ImportWindow.h"

#include "core/Placement.h"
#include "core/SnippetStore.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportText.h"
#include "platform/Clipboard.h"
#include "platform/DefaultFolders.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/FileDialog.h"
#include "ui/common/MessageBox.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace verdane {

ImportWindow::ImportWindow(SnippetStore& store)
    : ClassicForm(nullptr, Kind::Modeless, "frmImport", QStringLiteral("Verdane - Import Code"), 4095, 1815)
    , m_store(store)
    , m_lblCodeName(new QLabel(QStringLiteral("Name of Code Snippet:"), this))
    , m_txtCodeName(new QLineEdit(this))
    , m_lblFrom(new QLabel(QStringLiteral("From:"), this))
    , m_optFile(new QRadioButton(QStringLiteral("File"), this))
    , m_optClipboard(new QRadioButton(QStringLiteral("Clipboard"), this))
    , m_txtFile(new QLineEdit(this))
    , m_cmdBrowse(new QPushButton(QStringLiteral("&Browse"), this))
    , m_cmdImport(new QPushButton(QStringLiteral("&Import"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("&Cancel"), this)) {

    place(m_lblCodeName, "lblCodeName", 120, 120, 1695, 255);
    place(m_txtCodeName, "txtCodeName", 120, 360, 1695, 285);
    m_txtCodeName->setMaxLength(kSnippetNameLimit);
    place(m_lblFrom, "lblFrom", 2160, 360, 495, 255);
    place(m_optFile, "optFile", 2640, 240, 615, 255);
    m_optFile->setChecked(true);
    place(m_optClipboard, "optClipboard", 2640, 480, 975, 255);
    place(m_txtFile, "txtFile", 120, 840, 2655, 285);
    place(m_cmdBrowse, "cmdBrowse", 2880, 840, 1095, 285);
    m_cmdBrowse->setAutoDefault(false);
    place(m_cmdImport, "cmdImport", 840, 1320, 1095, 375);
    m_cmdImport->setDefault(true);
    place(m_cmdCancel, "cmdCancel", 2160, 1320, 1095, 375);
    m_cmdCancel->setAutoDefault(false);
    m_lblCodeName->setBuddy(m_txtCodeName);
    fitCaptions(this);

    setTabOrder({m_txtCodeName, m_txtFile, m_cmdBrowse, m_cmdImport, m_cmdCancel, m_optFile, m_optClipboard});

    connect(m_optFile, &QRadioButton::clicked, this, &ImportWindow::optFile_Click);
    connect(m_optClipboard, &QRadioButton::clicked, this, &ImportWindow::optClipboard_Click);
    // The arrow keys move between the two options without a click; the path follows them too.
    connect(m_optFile, &QRadioButton::toggled, this, [this](bool on) { on ? optFile_Click() : optClipboard_Click(); });
    connect(m_cmdBrowse, &QPushButton::clicked, this, &ImportWindow::cmdBrowse_Click);
    connect(m_cmdImport, &QPushButton::clicked, this, &ImportWindow::cmdImport_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &ImportWindow::cmdCancel_Click);
}

void ImportWindow::optFile_Click() {
    m_txtFile->setEnabled(true);
    m_cmdBrowse->setEnabled(true);
}

void ImportWindow::optClipboard_Click() {
    m_txtFile->setEnabled(false);
    m_cmdBrowse->setEnabled(false);
}

void ImportWindow::cmdBrowse_Click() {
    filedialog::Request request;
    request.kind = filedialog::Request::Kind::Open;
    // Owned by this window, so that the keyboard comes back here when the dialog closes and Enter imports.
    request.owner = this;
    request.title = QStringLiteral("Import Code from File...");
    request.filters = {QStringLiteral("Visual Basic Forms (*.frm)"), QStringLiteral("Visual Basic Modules (*.bas)"),
                       QStringLiteral("Visual Basic Projects (*.vbp)"), QStringLiteral("Text Files (*.txt)"),
                       QStringLiteral("All Files (*)")};
    request.selectedFilter = 1;
    request.defaultSuffix = QStringLiteral("bas");
    request.directory = platform::defaultStartFolder();
    request.proposedName = QStringLiteral("Untitled");
    const QString path = filedialog::run(request);
    activateWindow();
    if (!path.isEmpty())
        m_txtFile->setText(QDir::toNativeSeparators(path));
}

ImportWindow::Source ImportWindow::readFile() const {
    const ImportInput input = readImportFile(m_txtFile->text());
    if (!input.read())
        return {{}, input.status};
    const QString code = importedCode(input.bytes);
    return {code, checkStoredSize(code, QStringLiteral("The file %1").arg(m_txtFile->text()))};
}

void ImportWindow::cmdImport_Click() {
    const QString name = m_txtCodeName->text();
    if (const Status refusal = checkName(name); !refusal) {
        MessageBox::report(this, refusal);
        return;
    }
    const bool fromClipboard = m_optClipboard->isChecked();
    if (clipboard::text().isEmpty() && fromClipboard) {
        MessageBox::show(this, QStringLiteral("Please copy the code to the clipboard"));
        return;
    }
    Source source;
    if (fromClipboard) {
        source.code = withWindowsLineBreaks(clipboard::text());
        source.status = checkStoredSize(source.code, QStringLiteral("The clipboard"));
    } else {
        source = readFile();
    }
    if (!source.status) {
        MessageBox::report(this, source.status);
        return;
    }
    if (const Status stored = m_store.addUserSnippet(name, source.code); !stored) {
        MessageBox::report(this, stored);
        return;
    }
    Q_EMIT imported();
    accept();
}

void ImportWindow::cmdCancel_Click() {
    reject();
}

} // namespace verdane
