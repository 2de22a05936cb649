#include "exchange/ExportToFile.h"

#include "core/CatalogueModel.h"
#include "core/Settings.h"
#include "exchange/ExportFormat.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace verdane {

namespace {

// Why a file cannot be replaced, before anything is written; empty when it can.
QString cannotReplace(const QString& path)
{
    const QFileInfo target(path);
    if (target.isDir())
        return QStringLiteral("it is a folder");
    if (!target.dir().exists())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(target.path()));
    // A file nobody may write to is one the user marked read-only: it is not replaced, whoever runs the program.
    const QFileDevice::Permissions writable = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (target.exists() && !(target.permissions() & writable))
        return QStringLiteral("the file is read-only");
    return {};
}

} // namespace

void ExportCodeToFile(MainWindow& main)
{
    const int selected = main.selectedNode();
    filedialog::Request request;
    request.kind = filedialog::Request::Kind::Save;
    request.owner = &main;
    request.title = QStringLiteral("Export Code to File...");
    request.filters = {QStringLiteral("Visual Basic Modules (*.bas)"), QStringLiteral("Visual Basic Classes (*.cls)"),
                       QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")};
    request.selectedFilter = 0;
    request.defaultSuffix = QStringLiteral("bas");
    request.directory = exportStartDirectory(settings::read(settings::DefFileExportDir), QDir::homePath());
    request.proposedName = selected ? main.catalogue().caption(selected) : QString();
    const QString path = filedialog::run(request);
    if (path.isEmpty())
        return;

    const QByteArray bytes = exportFileBytes(QFileInfo(path).fileName(), main.codeView()->code());
    QString reason = cannotReplace(path);
    if (reason.isEmpty()) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            reason = file.errorString();
    }
    if (!reason.isEmpty())
        MessageBox::show(&main,
                         QStringLiteral("The code could not be exported to %1: %2.")
                             .arg(QDir::toNativeSeparators(path), reason),
                         MessageBox::Icon::Critical);
}

} // namespace verdane
