#include "upgrade/pages/qUpgradePage.h"

#include "app/config/GlobalCfg.h"
#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "online/ModuleSeries.h"
#include "online/VersionCompare.h"
#include "protocol/FrameCodec.h"
#include "upgrade/updater/UpgradeHost.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

using kzo::upgrade::moduleRows;
using kzo::upgrade::UpgradeRowWidgets;
using kzo::upgrade::versionDisplay;

namespace {

// Frames that say nothing about the device's modules.
constexpr uint16_t statusPollAck = 0x0222;

QString hardwareDisplay(const QString& stored)
{
    const QString v = stored.trimmed();
    return v.isEmpty() ? QStringLiteral("---") : v;
}

} // namespace

qUpgradePage::qUpgradePage(UpgradeHost* host, qUpdater* dialog, QWidget* parent)
    : qTabPage(parent), host(host), dialog(dialog), runDialog([](qUpdater& d) { d.exec(); })
{
    setObjectName(QStringLiteral("qUpgradePage"));
    setWhatsThis(QStringLiteral("upgrade"));
    setTitle(tr("Upgrade"));
    ui.setupUi(this);

    tipTimer.setInterval(tipMs);
    tipTimer.setSingleShot(true);
    connect(&tipTimer, &QTimer::timeout, this, &qUpgradePage::hideTipText);

    using Handler = void (qUpgradePage::*)();
    const std::array<std::pair<int, Handler>, 9> handlers = {{
        {1, &qUpgradePage::on_BTN_MC_clicked},
        {2, &qUpgradePage::on_BTN_IMU_clicked},
        {4, &qUpgradePage::on_BTN_LED_clicked},
        {3, &qUpgradePage::on_BTN_GPS_clicked},
        {7, &qUpgradePage::on_BTN_PMU_clicked},
        {9, &qUpgradePage::on_BTN_RECEIVER_clicked},
        {10, &qUpgradePage::on_BTN_NV08C_clicked},
        {11, &qUpgradePage::on_BTN_GLONASS_clicked},
        {12, &qUpgradePage::on_BTN_CMU_clicked},
    }};
    for (const auto& [module, handler] : handlers)
        connect(ui.row(module)->button, &QPushButton::clicked, this, handler);
    connect(ui.pushButtonChangeTab, &QPushButton::clicked, this, &qUpgradePage::on_pushButtonChangeTab_clicked);

    if (qConnector* c = connector())
        connect(c, &qConnector::connectionChanged, this, &qUpgradePage::onConnectionChanged);
    if (DataUploader* up = dataUploader()) {
        connect(up, &DataUploader::firmwareCheckResult, this, &qUpgradePage::onFirmwareCheckResult);
        connect(up, &DataUploader::serverAddressStatus, this, &qUpgradePage::onGetAddressResult);
    }

    setRowVisible(kzo::upgrade::hiddenAtStartMask, false);
}

qUpgradePage::~qUpgradePage() = default;

qConnector* qUpgradePage::connector() { return qConnector::instance(); }

void qUpgradePage::setDialogRunner(std::function<void(qUpdater&)> runner)
{
    runDialog = runner ? std::move(runner) : [](qUpdater& d) { d.exec(); };
}

// ------------------------------------------------------------------ rows --

void qUpgradePage::setRowVisible(int mask, bool visible)
{
    for (size_t i = 0; i < moduleRows.size(); ++i) {
        if (!(moduleRows[i].maskBit & mask))
            continue;
        UpgradeRowWidgets& r = ui.rows[i];
        for (QWidget* w : std::initializer_list<QWidget*>{r.name, r.loader, r.hardware, r.firmware, r.button})
            w->setVisible(visible);
    }
}

void qUpgradePage::setButtonText(UpgradeRowWidgets& row, int module, const QString& text)
{
    row.button->setText(text);
    row.button->setAccessibleName(kzo::upgrade::moduleDisplayName(module) + QStringLiteral(": ") + text);
}

// ------------------------------------------------------------- versions --

// The gimbal page's channel frames arrive 20 times a second: only the first
// frame after a redraw asks for another, and a hidden page keeps the mark
// for when it is shown instead of redrawing for nobody.
bool qUpgradePage::wantsFrame(const uint8_t* record)
{
    const uint16_t id = kzo::frame::recordCommandId(record);
    if (id == statusPollAck || id == orb::cmdid::HandshakeAck)
        return false;
    return !frameSeen.exchange(true);
}

void qUpgradePage::refresh()
{
    if (!isVisible())
        return;
    if (frameSeen.exchange(false))
        showVersions();
}

void qUpgradePage::showVersions()
{
    qAppModel& model = appModel();
    const qConnector* c = connector();
    const int loader = c ? c->loaderDevice() : -1;
    const QString zero = QStringLiteral("0");

    UpgradeRowWidgets* mc = ui.row(1);
    mc->firmware->setText(loader == 1 ? zero : versionDisplay(model.value("fw_mc")));

    UpgradeRowWidgets* imu = ui.row(2);
    imu->firmware->setText(loader == 2 ? zero : versionDisplay(model.value("fw_imu")));
    imu->loader->setText(loader == 2 ? zero : versionDisplay(model.value("loader_imu")));
    imu->hardware->setText(hardwareDisplay(model.value("hwid_imu")));

    UpgradeRowWidgets* cmu = ui.row(12);
    cmu->firmware->setText(loader == 12 ? zero : versionDisplay(model.value("fw_cmu")));
    cmu->loader->setText(loader == 12 ? zero : versionDisplay(model.value("loader_cmu")));
    cmu->hardware->setText(hardwareDisplay(model.value("hwid_cmu")));

    ui.row(9)->name->setText(kzo::upgrade::moduleDisplayName(9));
}

void qUpgradePage::PageTick() {}

// ---------------------------------------------------------- enter/leave --

void qUpgradePage::PageEnter()
{
    if (qConnector* c = connector()) {
        c->sendHandshake(1, 0);
        c->sendHandshake(2, 0);
        // What arrived while the page was hidden is shown now.
        const bool framesWaiting = frameSeen.exchange(false);
        if (c->isConnected() || framesWaiting)
            showVersions();
    }
    if (host && !navigatorConnection)
        navigatorConnection = connect(host, &UpgradeHost::s_navigator_disabled, this, &qUpgradePage::onNavigatorDisabled);
    if (host && !tipConnection)
        tipConnection = connect(host, &UpgradeHost::signal_showTipText, this, &qUpgradePage::onShowTipText);
}

void qUpgradePage::PageLeave()
{
    hideTipText();
    disconnect(navigatorConnection);
    disconnect(tipConnection);
    navigatorConnection = {};
    tipConnection = {};
}

// ------------------------------------------------------------------ tips --

void qUpgradePage::onShowTipText(QString text)
{
    ui.label_tip->setText(text);
    ui.label_tip->show();
    tipTimer.start();
}

void qUpgradePage::hideTipText()
{
    tipTimer.stop();
    ui.label_tip->hide();
}

void qUpgradePage::showTip(const QString& text)
{
    if (host)
        host->showTip(text);
    else
        onShowTipText(text);
}

void qUpgradePage::onNavigatorDisabled()
{
    const qConnector* c = connector();
    const int loader = c ? c->loaderDevice() : -1;
    const int module = (loader == 2 || loader == 4 || loader == 3) ? loader : 1;
    showTip(tr(" You must update ") + kzo::upgrade::moduleDisplayName(module) + tr(" firmware to new version.  "));
}

// ---------------------------------------------------------------- offers --

void qUpgradePage::onFirmwareCheckResult(FirmwareDataInfo& info)
{
    if (info.version.isEmpty() || info.fileId.isEmpty() || info.size == 0)
        return;
    // An offer during a transfer must neither relabel nor reopen anything.
    if (appModel().status() == AppUpgrading)
        return;
    const int index = kzo::upgrade::rowIndexOf(info.deviceId);
    const kzo::online::FirmwareModule* known = kzo::online::firmwareModule(info.deviceId);
    if (index < 0 || !known)
        return;
    const QString current = appModel().value(known->firmwareKey);
    const bool newer = kzo::online::compareVersion(current, info.version) >= 1;
    setButtonText(ui.rows[static_cast<size_t>(index)], info.deviceId,
                  (newer ? tr("New version available:") : tr("Latest version:")) + info.version);
    if (!newer || debugMode)
        return;
    const int module = info.deviceId;
    if (module != 1 && module != 2 && module != 4 && module != 12)
        return;
    // Not from inside the server reply's slot: the dialog runs modally.
    QMetaObject::invokeMethod(this, [this, module] { openOffered(module); }, Qt::QueuedConnection);
}

void qUpgradePage::openOffered(int module)
{
    // The dialog already shown takes offers itself; nothing reopens during
    // a transfer.
    if ((dialog && dialog->isVisible()) || appModel().status() == AppUpgrading)
        return;
    if (host)
        host->focusPage(1);
    runButtonOf(module);
}

void qUpgradePage::runButtonOf(int module)
{
    switch (module) {
    case 1: on_BTN_MC_clicked(); break;
    case 2: on_BTN_IMU_clicked(); break;
    case 4: on_BTN_LED_clicked(); break;
    case 12: on_BTN_CMU_clicked(); break;
    default: break;
    }
}

void qUpgradePage::onGetAddressResult(int) {}

// --------------------------------------------------------------- buttons --

bool qUpgradePage::upgradeGate()
{
    if (dialog && dialog->isVisible())
        return false;
    if (appModel().status() == AppUpgrading) {
        showTip(tr("A firmware upgrade is running, please wait until it ends! "));
        return false;
    }
    const qConnector* c = connector();
    if (!c || !c->isConnected()) {
        kzo::ui::information(this, tr("Info"), tr("Please connect to the controller!"));
        return false;
    }
    if (appModel().value("login_server_url").isEmpty()) {
        showTip(qResources::get().networkError);
        return false;
    }
    if (appModel().value("ssid").isEmpty()) {
        showTip(tr("Please login first! "));
        if (host)
            host->showLoginOrError();
        return false;
    }
    return true;
}

void qUpgradePage::openDialogFor(int module, bool relayed)
{
    if (!upgradeGate())
        return;
    if (relayed) {
        const qConnector* c = connector();
        if (!c || c->handshakePending()) {
            showTip(tr("Current connection does not support upgrade! "));
            return;
        }
        logTaggedLevel(2, "UpgradeOL", "Upgrade Device Id: 0x%.2X", static_cast<unsigned>(module));
    }
    if (!dialog)
        return;
    // Refused while the dialog is shown or busy: a running download or
    // upgrade keeps the module it was started for.
    if (!dialog->setModuleId(module))
        return;
    if (host)
        host->leaveAllPages();
    emit dialog->signal_EnterPage();
    // The modal run may outlast this page (the window closing around it).
    const QPointer<qUpgradePage> self(this);
    runDialog(*dialog);
    if (self)
        PageEnter();
}

void qUpgradePage::on_BTN_MC_clicked() { openDialogFor(1, false); }
void qUpgradePage::on_BTN_IMU_clicked() { openDialogFor(2, false); }
void qUpgradePage::on_BTN_CMU_clicked() { openDialogFor(12, false); }
void qUpgradePage::on_BTN_LED_clicked() { openDialogFor(4, true); }
void qUpgradePage::on_BTN_GPS_clicked() { openDialogFor(3, true); }
void qUpgradePage::on_BTN_PMU_clicked() { openDialogFor(7, true); }
void qUpgradePage::on_BTN_RECEIVER_clicked() { openDialogFor(9, true); }
void qUpgradePage::on_BTN_NV08C_clicked() { openDialogFor(10, true); }
void qUpgradePage::on_BTN_GLONASS_clicked() { openDialogFor(11, true); }

// ------------------------------------------------------------ connection --

void qUpgradePage::onConnectionChanged(bool bConnect)
{
    if (bConnect)
        return;
    const QString none = QStringLiteral("---");
    for (size_t i = 0; i < moduleRows.size(); ++i) {
        UpgradeRowWidgets& r = ui.rows[i];
        r.loader->setText(none);
        r.hardware->setText(none);
        r.firmware->setText(none);
        setButtonText(r, moduleRows[i].module, tr("No updates"));
    }
    appModel().setValue("receiver_freq", QString());
    setRowVisible(16, false);
}

void qUpgradePage::on_pushButtonChangeTab_clicked()
{
    QTabWidget* tabs = ui.tabWidget_Upgrade;
    const bool toAdvance = tabs->currentIndex() == 0;
    tabs->setCurrentIndex(toAdvance ? 1 : 0);
    ui.pushButtonChangeTab->setText(toAdvance ? tr("Basic") : tr("Advance"));
    ui.pushButtonChangeTab->setAccessibleName(ui.pushButtonChangeTab->text());
}
