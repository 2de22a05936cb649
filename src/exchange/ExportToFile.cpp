#include "exchange/ExportToFile.h"

#include "core/Settings.h"
#include "exchange/ExchangeRules.h"
#include "exchange/ExportFormat.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QFileInfo>

namespace verdane {

void ExportCodeToFile(MainWindow& main) {
    filedialog::Request request;
    request.kind = filedialog::Request::Kind::Save;
    request.owner = &main;
    request.title = QStringLiteral("Export Code to File...");
    request.filters = {QStringLiteral("Visual Basic Modules (*.bas)"), QStringLiteral("Visual Basic Classes (*.cls)"),
                       QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")};
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bas");
    request.directory = exportStartDirectory(settings::read(settings::DefFileExportDir), QDir::homePath());
    // The snippet in the pane, also when no node is selected any more (after a rebuild).
    request.proposedName = proposedFileName(main.shownSnippet().name);
    const QString path = filedialog::run(request);
    if (path.isEmpty())
        return;

    // The VB IDE reads Windows-1252 only: what it cannot hold is written as "?" when the user agrees to it.
    const QString code = main.codeView()->code();
    if (const QString loss = windows1252Loss(code); !loss.isEmpty()) {
        const QString question = loss + QStringLiteral("\r\n\r\nClick OK to write each of them as \"?\", or Cancel to "
                                                       "write nothing.");
        if (MessageBox::show(&main, question, MessageBox::Icon::Warning, MessageBox::Buttons::OkCancel) !=
            MessageBox::Button::Ok)
            return;
    }
    const QString reason = writeFileWhole(path, exportFileBytes(QFileInfo(path).fileName(), code));
    if (!reason.isEmpty())
        MessageBox::show(
            &main,
            QStringLiteral("The code could not be exported to %1: %2.").arg(QDir::toNativeSeparators(path), reason),
            MessageBox::Icon::Critical);
}

} // namespace verdane
