#include "paramfiles/UpgradeBackup.h"

#include "link/DevIo.h"
#include "paramfiles/KzoExportProgressDialog.h"
#include "paramfiles/KzoImportProgressDialog.h"
#include "paramfiles/ParamBackup.h"
#include "paramfiles/ParamFile.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>

namespace kzo::paramfiles {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("UpgradeBackup", text); }

// The dialog is a listener for its run only, whichever way the run ends.
template <class Dialog>
void runListening(orb::DevIo& io, Dialog& dialog)
{
    io.addListener(&dialog);
    dialog.exec();
    io.removeListener(&dialog);
}

QString failureText(const ParamTransferDialog& dialog, const QString& writeError)
{
    switch (dialog.outcome()) {
    case ParamTransferDialog::Outcome::Cancelled: return tr("the export was cancelled");
    case ParamTransferDialog::Outcome::Disconnected: return tr("the device was disconnected");
    case ParamTransferDialog::Outcome::NoReply: return tr("the controller did not answer");
    case ParamTransferDialog::Outcome::WriteFailed: return tr("the file could not be written (%1)").arg(writeError);
    default: return tr("the export failed");
    }
}

} // namespace

UpgradeBackup backupBeforeUpgrade(QWidget* parent, orb::DevIo& io, const QString& folder)
{
    const QString path = newBackupPath(folder);
    KzoExportProgressDialog dialog(parent);
    dialog.filePath = path;
    runListening(io, dialog);

    const QString title = tr("Parameter backup");
    if (dialog.outcome() == ParamTransferDialog::Outcome::Completed) {
        kzo::ui::information(parent, title,
                             tr("The parameters were saved to %1 before the upgrade.").arg(QDir::toNativeSeparators(path)));
        return {true, path};
    }
    kzo::ui::BoxRequest box;
    box.icon = QMessageBox::Warning;
    box.title = title;
    box.text = tr("The parameters could not be saved before the upgrade: %1.\n"
                  "Upgrade the main controller without a backup?")
                   .arg(failureText(dialog, dialog.writeError()));
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::No;
    box.escapeButton = QMessageBox::No;
    return {kzo::ui::showBox(parent, box) == QMessageBox::Yes, QString()};
}

bool offerBackupImport(QWidget* parent, orb::DevIo& io, const QString& path)
{
    if (path.isEmpty())
        return false;
    kzo::ui::BoxRequest box;
    box.icon = QMessageBox::Question;
    box.title = tr("Parameter backup");
    box.text = tr("The parameters saved before the upgrade are in %1.\n"
                  "Re-power the controller and wait until it is connected again, then choose Yes to load them back "
                  "(No keeps the controller's parameters as they are).")
                   .arg(QDir::toNativeSeparators(path));
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::Yes;
    box.escapeButton = QMessageBox::No;
    if (kzo::ui::showBox(parent, box) != QMessageBox::Yes)
        return false;

    const ReadResult file = readParamFile(path, currentStamp(), memoryBlocks());
    if (file.status != ReadStatus::Ok) {
        kzo::ui::information(parent, tr("Parameter backup"),
                             tr("Cannot use %1; nothing was sent.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    KzoImportProgressDialog dialog(file.records, parent);
    dialog.filePath = path;
    runListening(io, dialog);
    if (dialog.outcome() == ParamTransferDialog::Outcome::Completed) {
        kzo::ui::information(parent, tr("Import Complete"), tr("Please re-power the controller."));
        return true;
    }
    if (dialog.outcome() != ParamTransferDialog::Outcome::Cancelled)
        kzo::ui::information(parent, dialog.windowTitle(), tr("Import Failure"));
    return false;
}

} // namespace kzo::paramfiles
