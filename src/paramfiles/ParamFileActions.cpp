#include "paramfiles/ParamFileActions.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "paramfiles/ExportTarget.h"
#include "paramfiles/FileChooser.h"
#include "paramfiles/KzoExportProgressDialog.h"
#include "paramfiles/KzoImportProgressDialog.h"
#include "paramfiles/ParamFile.h"
#include "widgets/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kzo::paramfiles {

namespace {

const char* const folderKey = "path/config";

QString tr(const char* text) { return QCoreApplication::translate("ParamFileActions", text); }

QSettings userSettings() { return QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp); }

// Registers the dialog for its run and unregisters it before it is
// destroyed, whichever way the run ends.
class Listening {
public:
    Listening(orb::DevIo& io, orb::DevListener& listener) : io_(io), listener_(listener) { io_.addListener(&listener_); }
    ~Listening() { io_.removeListener(&listener_); }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;

private:
    orb::DevIo& io_;
    orb::DevListener& listener_;
};

// Runs the file dialog from the remembered folder and remembers the folder
// of the chosen file. Empty when cancelled.
QString chooseFile(QWidget* parent, bool forSaving)
{
    QSettings settings = userSettings();
    const QString start = settings.value(QLatin1String(folderKey)).toString();
    const QString filter = fileFilter(GlobalCfg::instance()->exportModel);
    const QString chosen = forSaving ? chooseSaveFile(parent, tr("Export Parameters"), start, filter)
                                     : chooseOpenFile(parent, tr("Import Parameters"), start, filter);
    if (chosen.isEmpty())
        return {};
    settings.setValue(QLatin1String(folderKey), QFileInfo(chosen).absolutePath());
    return chosen;
}

bool confirmOverwrite(QWidget* parent, const QString& path)
{
    kzo::ui::BoxRequest box;
    box.icon = QMessageBox::Question;
    box.title = tr("Export EEPROM");
    box.text = tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path));
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::No;
    box.escapeButton = QMessageBox::No;
    return kzo::ui::showBox(parent, box) == QMessageBox::Yes;
}

} // namespace

bool runExport(QWidget* parent, orb::DevIo& io)
{
    const QString chosen = chooseFile(parent, true);
    if (chosen.isEmpty())
        return false;
    const QString target = exportTarget(chosen, GlobalCfg::instance()->exportModel);
    if (QFileInfo::exists(target) && !confirmOverwrite(parent, target))
        return false;

    KzoExportProgressDialog dialog(parent);
    dialog.filePath = target;
    {
        const Listening listening(io, dialog);
        dialog.exec();
    }
    const QString title = dialog.windowTitle();
    switch (dialog.outcome()) {
    case ParamTransferDialog::Outcome::Completed:
        kzo::ui::information(parent, title, tr("Export Complete"));
        return true;
    case ParamTransferDialog::Outcome::Cancelled:
        return false;
    case ParamTransferDialog::Outcome::WriteFailed:
        kzo::ui::information(parent, title,
                             tr("Export Failure") + QLatin1Char('\n')
                                 + tr("%1 could not be written (%2); nothing was changed.")
                                       .arg(QDir::toNativeSeparators(target), dialog.writeError()));
        return false;
    default:
        kzo::ui::information(parent, title, tr("Export Failure"));
        return false;
    }
}

bool runImport(QWidget* parent, orb::DevIo& io)
{
    const QString chosen = chooseFile(parent, false);
    if (chosen.isEmpty())
        return false;

    const ReadResult file = readParamFile(chosen, currentStamp(), memoryBlocks());
    switch (file.status) {
    case ReadStatus::Ok:
        break;
    case ReadStatus::CannotOpen:
        kzo::ui::information(parent, tr("Info"),
                             tr("Cannot open %1.").arg(QDir::toNativeSeparators(chosen)));
        return false;
    case ReadStatus::VersionMismatch:
        kzo::ui::information(parent, tr("Info"), tr("Configuration file version does not match."));
        return false;
    case ReadStatus::TooShort:
        logTaggedLevel(3, "Param", "Import: %s is shorter than a parameter file", qPrintable(chosen));
        kzo::ui::information(parent, tr("Info"), tr("The configuration file is incomplete; nothing was sent."));
        return false;
    }

    KzoImportProgressDialog dialog(file.records, parent);
    dialog.filePath = chosen;
    {
        const Listening listening(io, dialog);
        dialog.exec();
    }
    const ParamTransferDialog::Outcome outcome = dialog.outcome();
    if (outcome == ParamTransferDialog::Outcome::Completed) {
        kzo::ui::information(parent, tr("Import Complete"), tr("Please re-power the controller."));
        return true;
    }
    if (outcome != ParamTransferDialog::Outcome::Cancelled)
        kzo::ui::information(parent, dialog.windowTitle(), tr("Import Failure"));
    if (dialog.mayHoldMix())
        kzo::ui::warning(parent, tr("Warning"),
                         tr("The import did not finish. The controller may now hold a mix of old and new "
                            "parameters: import the file again or restore the default settings before use."));
    return false;
}

} // namespace kzo::paramfiles
