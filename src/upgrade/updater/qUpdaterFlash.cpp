// Flashing the downloaded image: the confirmation, the engine's progress and
// outcome, the close and the connection changes around it.
#include "upgrade/updater/qUpdater.h"

#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "link/DevIo.h"
#include "online/ModuleSeries.h"
#include "paramfiles/UpgradeBackup.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/UpgradeHost.h"
#include "widgets/MessageBoxes.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace {

const char* const okPicture = ":/Utility/res/ok.png";
const char* const failurePicture = ":/Utility/res/failure.png";

// The modules on the USB link itself; the others are reached over the CAN bus.
bool isDirectModule(int id)
{
    return id == 1 || id == 2 || id == 12;
}

} // namespace

void qUpdater::cmdUpgrade()
{
    if (!isConnected()) {
        refreshStatusInfo(tr("Please connect to the controller!"), 1);
        return;
    }
    if (isUpgrading() || downloadState_ != 2)
        return;
    kzo::ui::BoxRequest box;
    box.icon = QMessageBox::Warning;
    box.title = tr("Warning");
    box.text = qResources::get().upgradeQuestion;
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::No;
    box.escapeButton = QMessageBox::No;
    if (kzo::ui::showBox(this, box) != QMessageBox::Yes)
        return;
    // The box was modal: the device, the download or the dialog may have
    // changed while it was open.
    if (!isConnected()) {
        buttonUpgrade->setEnabled(false);
        refreshStatusInfo(tr("Please connect to the controller!"), 1);
        return;
    }
    orb::DevUpgrade* engine = orb::DevUpgrade::instance();
    if (!engine || !isVisible() || isUpgrading() || downloadState_ != 2 || image.size() != expectedSize
        || imageModule != moduleId_ || moduleId_ == 0)
        return;

    const kzo::online::FirmwareModule* known = kzo::online::firmwareModule(moduleId_);
    const QString before = known ? appModel().value(known->firmwareKey).trimmed() : QString();
    const QString offered = QStringLiteral("server ") + labelVersionNew->text();
    paramBackupPath.clear();
    if (moduleId_ == 1 && currentDevIo) {
        // The controller's parameters are saved before its firmware is replaced.
        const kzo::paramfiles::UpgradeBackup backup = kzo::paramfiles::backupBeforeUpgrade(
            this, *currentDevIo, kzo::upgrade::userDataFolder() + QStringLiteral("/backups"));
        if (!backup.goOn) {
            kzo::upgrade::FlashRecorder(1, QString(), before, offered, image)
                .append(kzo::upgrade::outcomeRefused(QStringLiteral("parameter backup failed; stopped by the user")));
            return;
        }
        paramBackupPath = backup.path;
        // The export dialog was modal: check again.
        if (!isConnected() || !isVisible() || isUpgrading())
            return;
    }
    flashRecord.emplace(moduleId_, QString(), before, offered, image);
    flashTimedOut = false;

    progressBar->setRange(0, 0);
    progressBar->setValue(0);
    stallCount = 0;
    lastProgress = 0;
    labelResult->hide();
    showRefresh(false);
    buttonExit->setEnabled(false);
    buttonUpgrade->setEnabled(false);
    refreshStatusInfo(tr("Upgrading ,please wait..."), 0);

    upgradeRunning = true;
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.constData());
    const int length = static_cast<int>(image.size());
    engine->setTarget(static_cast<uint8_t>(moduleId_), 0, isDirectModule(moduleId_) ? 1 : 0);
    const bool started = moduleId_ == 2 ? engine->upgradeImu(bytes, length) : engine->upgradeImage(bytes, length, 1);
    if (!started) {
        // Nothing was sent: the engine is idle with a failed result, which
        // the first poll reports as a failure.
        logTaggedLevel(3, "Download", "The upgrade engine refused the image!");
    }
    progressTimer.start();
}

void qUpdater::onUpgradeStartCheck()
{
    stallCount = 0;
    refreshStatusInfo(tr("Verifying the data, Please wait..."), 0);
}

void qUpdater::onUpgradeCheckResult(int result)
{
    if (result != 0)
        refreshStatusInfo(tr("Verify Failed!"), 1);
    else
        refreshStatusInfo(tr("Verify Success!"), 2);
}

void qUpdater::onUpgradeError(int)
{
    refreshStatusInfo(tr("Upgrade Error!"), 1);
    progressBar->hide();
}

void qUpdater::refreshProgress()
{
    orb::DevUpgrade* engine = orb::DevUpgrade::instance();
    if (!engine || !upgradeRunning) {
        progressTimer.stop();
        return;
    }
    if (engine->isIdle()) {
        progressBar->setRange(0, 100);
        progressBar->setValue(100);
        progressTimer.stop();
        progressBar->hide();
        upgradeRunning = false;
        const bool ok = engine->upgradeResult();
        if (flashRecord) {
            flashRecord->append(ok ? kzo::upgrade::outcomeOk()
                                   : kzo::upgrade::outcomeFailed(flashTimedOut
                                                                     ? QStringLiteral("no progress (stalled)")
                                                                     : QStringLiteral("the module reported a failure")));
            flashRecord.reset();
        }
        if (ok) {
            if (host)
                host->markFirmwareMatches();
            const QString text = tr("Upgrade success! Please power cycle device!");
            refreshStatusInfo(text, 2);
            labelResult->setPixmap(QPixmap(QLatin1String(okPicture)));
            labelResult->show();
            kzo::ui::information(this, tr("Success"), text);
            // After the re-power the reconnection reads everything again.
            if (!paramBackupPath.isEmpty() && currentDevIo)
                kzo::paramfiles::offerBackupImport(this, *currentDevIo, paramBackupPath);
        } else {
            const QString text = tr("Upgrade failure! Please power cycle device and try again!");
            refreshStatusInfo(text, 1);
            labelResult->setPixmap(QPixmap(QLatin1String(failurePicture)));
            labelResult->show();
            kzo::ui::critical(this, tr("Failure"), text);
        }
        cmdExit();
        return;
    }

    const int progress = engine->progress();
    if (engine->hasResponse()) {
        if (progressBar->maximum() == 0)
            progressBar->setRange(0, 100);
        progressBar->show();
        if (progress >= 0)
            progressBar->setValue(std::min(progress, 100));
    }

    if (progress != lastProgress) {
        lastProgress = progress;
        stallCount = 0;
    } else if (lastProgress > 100 || lastProgress < 0) {
        stallCount = 0;
    } else if (++stallCount > stallTicks) {
        refreshStatusInfo(tr("Upgrade timeout! Please power cycle device and try again!"), 1);
        progressBar->hide();
        flashTimedOut = true;
        engine->finish(false);
        labelResult->setPixmap(QPixmap(QLatin1String(failurePicture)));
        labelResult->show();
        stallCount = 0;
    }
}

void qUpdater::cmdExit()
{
    // The outcome closes the dialog; until then nothing may.
    if (upgradeRunning)
        return;
    // Only an upgrade's status is ended here, and only once the engine is idle.
    if (appModel().status() == AppUpgrading) {
        const orb::DevUpgrade* engine = orb::DevUpgrade::instance();
        if (!engine || engine->isIdle())
            appModel().setStatus(AppIdle);
    }
    moduleId_ = 0;
    downloadState_ = 0;
    image.clear();
    abortReply();
    labelResult->hide();
    QDialog::reject();
}

void qUpdater::onConnectionChanged(bool bConnected)
{
    if (!bConnected) {
        buttonUpgrade->setEnabled(false);
        if (!isUpgrading())
            labelVersionCur->setText(QStringLiteral("--"));
    } else if (!isUpgrading()) {
        refreshStatusInfo(tr("Device is connected!"), 0);
        labelResult->hide();
        showRefresh(true);
        cmdExit();
    }
    if (!isUpgrading())
        buttonExit->setEnabled(true);
}
