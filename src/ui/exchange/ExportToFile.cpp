#include "ui/exchange/ExportToFile.h"

#include "core/Settings.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExportFormat.h"
#include "ui/common/FileDialog.h"
#include "ui/common/MessageBox.h"

#include <QDir>
#include <QFileInfo>

namespace verdane {

void ExportCodeToFile(QWidget* owner, const QString& proposedName, const QString& code) {
    filedialog::Request request;
    request.kind = filedialog::Request::Kind::Save;
    request.owner = owner;
    request.title = QStringLiteral("Export Code to File...");
    request.filters = {QStringLiteral("Visual Basic Modules (*.bas)"), QStringLiteral("Visual Basic Classes (*.cls)"),
                       QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")};
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bas");
    request.directory = exportStartDirectory(settings::read(settings::DefFileExportDir), QDir::homePath());
    request.proposedName = proposedFileName(proposedName);
    const QString path = filedialog::run(request);
    if (path.isEmpty())
        return;

    // The VB IDE reads Windows-1252 only: what it cannot hold is written as "?" when the user agrees to it.
    if (const Status loss = checkWindows1252(code); !loss) {
        const QString question =
            loss.message() + QStringLiteral("\r\n\r\nClick OK to write each of them as \"?\", or Cancel to "
                                            "write nothing.");
        if (MessageBox::show(owner, question, MessageBox::Icon::Warning, MessageBox::Buttons::OkCancel) !=
            MessageBox::Button::Ok)
            return;
    }
    const Status written = writeFileWhole(path, exportFileBytes(QFileInfo(path).fileName(), code));
    if (!written)
        MessageBox::show(owner,
                         QStringLiteral("The code could not be exported to %1: %2.")
                             .arg(QDir::toNativeSeparators(path), written.message()),
                         MessageBox::Icon::Critical);
}

} // namespace verdane
