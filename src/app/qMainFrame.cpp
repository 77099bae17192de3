#include "app/qMainFrame.h"

#include "app/AppSettings.h"
#include "app/InfoFrameHost.h"
#include "app/ToolsFrameHost.h"
#include "app/MainFrameHost.h"
#include "app/FirmwareCheck.h"
#include "app/config/GlobalCfg.h"
#include "app/framework/qPageTemplate.h"
#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "commands/qAppModel.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "online/LoginService.h"
#include "online/ui/newsletter.h"
#include "online/ui/qLogin.h"
#include "online/ui/qMessageWin.h"
#include "online/ui/qSoftwareUpdater.h"
#include "protocol/FrameCodec.h"
#include "protocol/GlobalDataCache.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/MessageBoxes.h"
#include "widgets/qPageButton.h"

#include <QCloseEvent>
#include <QScopedValueRollback>
#include <QLabel>
#include <QTimer>

namespace {

std::atomic<bool> g_navigationAllowed{true};
std::atomic<qMainFrame*> g_mainFrame{nullptr};

int loaderDevice()
{
    qConnector* c = qConnector::instance();
    return c ? c->loaderDevice() : -1;
}

bool deviceConnected()
{
    qConnector* c = qConnector::instance();
    return c && c->isConnected();
}

} // namespace

qMainFrame* mainFrame() { return g_mainFrame.load(); }
void setMainFrame(qMainFrame* frame) { g_mainFrame.store(frame); }

bool qMainFrame::navigationAllowed() { return g_navigationAllowed.load(); }
void qMainFrame::setNavigationAllowed(bool allowed) { g_navigationAllowed.store(allowed); }

qMainFrame::qMainFrame(QWidget* parent) : QWidget(parent)
{
    languageName = appModel().value("language");
    login = new LoginService(this);
    firmwareRequester = [](int module) {
        if (DataUploader* u = dataUploader())
            u->requestFirmware(module);
    };
    loggedInTest = [this] { return login->isLoggedIn(); };
    serverConfigTest = [] {
        DataUploader* u = dataUploader();
        return u && u->isServerConfigReady();
    };
    loginDlg = new qLogin(login, this);
    host = new MainFrameHost(*this);
    firmwareDlg = new qUpdater(host, this);
    infoPageHost = new InfoFrameHost(*this);
    toolsPageHost = new ToolsFrameHost(*this);
    softwareDlg = new qSoftwareUpdater(this);
    newsDlg = new newsletter(this);
    dialogRefresher = [this] { firmwareDlg->refreshVersionInfo(); };
    // The dialog follows the device through the device I/O in force.
    if (currentDevIo)
        currentDevIo->addListener(firmwareDlg);
    buildUi();
    connectSignals();
    messageWin = new qMessageWin(this);
}

qMainFrame::~qMainFrame()
{
    if (currentDevIo)
        currentDevIo->removeListener(firmwareDlg);
    if (g_mainFrame.load() == this)
        g_mainFrame.store(nullptr);
}

void qMainFrame::connectSignals()
{
    connect(login, &LoginService::signal_LoginOK, this, &qMainFrame::onLoginOK);
    if (DataUploader* u = dataUploader()) {
        connect(u, &DataUploader::serverAddressStatus, this, &qMainFrame::doAutoLogin);
        connect(u, &DataUploader::showNewsLetter, this, qOverload<QString, int>(&qMainFrame::onShowNewsLetter));
        connect(u, &DataUploader::currentVersionDisabled, this, &qMainFrame::onSoftwareDisabled);
    }
    connect(softwareDlg, &qSoftwareUpdater::showRequested, this, &qMainFrame::showSoftwareUpdater);
    // A required update ends the program, but never in the middle of a
    // firmware transfer: the window closes once that has ended.
    connect(softwareDlg, &qSoftwareUpdater::mustUpdateClosed, this, &qMainFrame::closeWhenIdle);
    connect(newsDlg, &newsletter::showRequested, this, qOverload<>(&qMainFrame::onShowNewsLetter));
    if (qConnector* c = qConnector::instance()) {
        connect(c, &qConnector::connectionChanged, this, &qMainFrame::_changeConnection);
        connect(c, &qConnector::dataTransfer, this, &qMainFrame::_dataTransfer);
        connect(c, &qConnector::connectFail, this, &qMainFrame::onConnectFail);
        connect(c, &qConnector::deviceAbnormal, this, &qMainFrame::enterForceUpgrade);
    }
    connect(this, &qMainFrame::fwVersionCheck, this, &qMainFrame::onFwVersionCheck);
    if (orb::qCmdQueue* q = orb::cmdQueue()) {
        connect(q, &orb::qCmdQueue::posChanged, this, &qMainFrame::QMainFramePosChange);
        connect(q, &orb::qCmdQueue::queuefinished, this, &qMainFrame::QMainFrameQueueFinished);
    }
    connect(this, &qMainFrame::devValueChanged, this, &qMainFrame::onUpdate);
    connect(this, &qMainFrame::checkFirmwareUpdates, this, qOverload<int>(&qMainFrame::onCheckFirmUpdates));
    connect(this, &qMainFrame::signal_showTipText, this, &qMainFrame::showTipLine);
}

void qMainFrame::setFirmwareRequester(std::function<void(int)> requester) { firmwareRequester = std::move(requester); }
void qMainFrame::setLoggedInTest(std::function<bool()> test) { loggedInTest = std::move(test); }
void qMainFrame::setServerConfigTest(std::function<bool()> test) { serverConfigTest = std::move(test); }
void qMainFrame::setDialogRefresher(std::function<void()> refresher) { dialogRefresher = std::move(refresher); }
void qMainFrame::setConnectFailureHint(const QString& hint) { connectFailHint = hint; }

// ---- device events -------------------------------------------------------

void qMainFrame::onDevEvent(const DevEvent* event)
{
    if (!event)
        return;
    if (event->kind == EvConnected) {
        {
            std::lock_guard lock(requestsLock);
            pendingRequests = 0;
        }
        if (appModel().status() != AppUpgrading) {
            fwCheckPending = true;
            if (orb::qCmdQueue* q = orb::cmdQueue())
                q->setEnabled(true);
        }
        return;
    }
    if (event->kind != EvFrame || !event->data)
        return;
    switch (kzo::frame::recordCommandId(event->data)) {
    case orb::cmdid::VersionsAck: onVersionReply(event->data); break;
    case orb::cmdid::CmuVersionAck: onCmuVersionReply(event->data); break;
    default: break; // 0x0222 and the rest are someone else's
    }
}

void qMainFrame::onVersionReply(const uint8_t* record)
{
    orb::ack_u32x4 v{};
    if (!orb::ackDecode(v, record, orb::cmdid::VersionsAck))
        return;
    const int L = loaderDevice();
    if (L != -1 && L != 1) {
        appModel().setValue("fw_mc", kzo::app::versionText(v.v[2]));
        // Kept for the parameter files, whose stamp must match the device.
        const std::pair<int, int> device = kzo::app::firmwarePairOf(v.v[2]);
        kzo::app::storeDeviceFirmwarePair(device);
        runFirmwareCheck(device);
    }
    if (L != -1 && L != 2) {
        appModel().setValue("hwid_imu", QString::number(v.v[0]));
        appModel().setValue("fw_imu", kzo::app::versionText(v.v[1]));
        appModel().setValue("loader_imu", kzo::app::versionText(v.v[3]));
        emit checkFirmwareUpdates(0x002);
    }
    markLoaderModule(L);
    emit devValueChanged();
}

void qMainFrame::onCmuVersionReply(const uint8_t* record)
{
    orb::ack_u32x2 v{};
    if (!orb::ackDecode(v, record, orb::cmdid::CmuVersionAck))
        return;
    const int L = loaderDevice();
    if (L != -1 && L != 12) {
        appModel().setValue("fw_cmu", kzo::app::versionText(v.v[0]));
        appModel().setValue("loader_cmu", kzo::app::versionText(v.v[1]));
        emit checkFirmwareUpdates(0x100);
    }
    markLoaderModule(L);
    emit devValueChanged();
}

void qMainFrame::markLoaderModule(int L)
{
    if (const char* key = kzo::app::loaderVersionKey(L))
        appModel().setValue(key, QStringLiteral("0"));
}

void qMainFrame::runFirmwareCheck(std::pair<int, int> device)
{
    if (!fwCheckPending.exchange(false))
        return;
    const GlobalCfg* cfg = GlobalCfg::instance();
    const std::pair<int, int> software{cfg->fwMinorVersion, cfg->fwHideVersion};
    logLevel(2, "Software defined (minor,hide):%d,%d", software.first, software.second);
    logLevel(2, "Current device   (minor,hide):%d,%d", device.first, device.second);
    const int result = kzo::app::compareFirmware(software, device);
    if (result == 0)
        setNavigationAllowed(true);
    emit fwVersionCheck(result);
}

void qMainFrame::onFwVersionCheck(int result)
{
    emit checkFirmwareUpdates(0x001);
    if (result == 0)
        return;
    if (orb::qCmdQueue* q = orb::cmdQueue())
        q->setEnabled(false);
    if constexpr (debugMode)
        return;
    setNavigationAllowed(false);
    focusPage(1);
    showTip(result == 1 ? tr("Main controller Firmware mis-match!,please update you firmware!")
                        : tr("Main controller Firmware mis-match!"));
}

void qMainFrame::enterForceUpgrade(int type)
{
    focusPage(1);
    setNavigationAllowed(false);
    if (appModel().status() == AppUpgrading)
        return;
    logLevel(2, "enter Force Upgrade...");
    if (type == 4 || type == 1) {
        orb::qCmdQueue* q = orb::cmdQueue();
        if (q && q->isRunning())
            q->finish(false);
    }
    if (type == 1) {
        showTip(tr("The main controller must be upgraded !"));
        emit checkFirmwareUpdates(0x001);
    } else if (type == 12) {
        showTip(tr("The CMU must be upgraded !"));
        emit checkFirmwareUpdates(0x100);
    } else if (type == 2) {
        showTip(tr("The IMU must be upgraded !"));
        emit checkFirmwareUpdates(0x002);
    }
}

// ---- firmware queries and login ------------------------------------------

bool qMainFrame::loggedIn() const { return loggedInTest && loggedInTest(); }

void qMainFrame::requestFirmware(int module)
{
    if (firmwareRequester)
        firmwareRequester(module);
}

void qMainFrame::onCheckFirmUpdates(int _flags)
{
    if (!loggedIn()) {
        std::lock_guard lock(requestsLock);
        pendingRequests |= static_cast<uint32_t>(_flags);
        return;
    }
    for (const auto& q : kzo::app::firmwareQueryOrder) {
        if (static_cast<uint32_t>(_flags) & q.bit)
            requestFirmware(q.module);
    }
}

void qMainFrame::onCheckFirmUpdates() { onCheckFirmUpdates(0x102); }

void qMainFrame::onLoginOK(int)
{
    std::vector<int> modules;
    {
        std::lock_guard lock(requestsLock);
        logStdout("onLogin OK: %d\n", static_cast<int>(pendingRequests));
        for (const auto& q : kzo::app::firmwareQueryOrder) {
            if (pendingRequests & q.bit) {
                pendingRequests &= ~q.bit;
                modules.push_back(q.module);
            }
        }
    }
    for (int m : modules)
        requestFirmware(m);
}

void qMainFrame::doAutoLogin(int status)
{
    if (status != 0) {
        ++serverConfigFailures;
        if (serverConfigFailures <= 2) {
            if (DataUploader* u = dataUploader())
                u->fetchServerConfig();
        } else {
            logStdout("Cann't get Server config, offline...\n");
        }
        return;
    }
    if (!loggedIn())
        login->doAutoLogin(0);
}

void qMainFrame::showLoginOrError()
{
    if (serverConfigTest && serverConfigTest())
        loginDlg->showLoginDlg();
    else
        showTip(qResources::get().networkError);
}

// ---- read-all, restore defaults, queue ------------------------------------

namespace {

bool enqueueReadAll(orb::qCmdQueue& q, bool restore)
{
    for (const auto& pair : orb::readAllSequence) {
        std::unique_ptr<orb::cmd_base_t> cmd = std::make_unique<orb::cmd_t<kzo::tagNoneParm>>(pair.command);
        if (!q.add(cmd, pair.ack))
            return false;
        if (restore)
            q.back()->setRestoreFlag();
    }
    q.start();
    return true;
}

} // namespace

void qMainFrame::loadAllParameters()
{
    const int L = loaderDevice();
    const int status = appModel().status();
    orb::qCmdQueue* q = orb::cmdQueue();
    if (L == -1 || status != AppIdle || L == 1 || !q) {
        logStdout("_loadAllParameters not invoked,APP_STATUS = %d,isLoaderMode = %d\n", status, L);
        return;
    }
    logStdout("apploadingData -- status:%d ,isLoaderMode:%d\n", status, L);
    appModel().setStatus(AppLoadingAll);
    if (!enqueueReadAll(*q, false)) {
        // A run already in progress keeps the queue; do not stay "loading".
        appModel().setStatus(AppIdle);
    }
}

bool qMainFrame::restoreDefaults()
{
    if (!deviceConnected()) {
        kzo::ui::information(this, tr("Info"), tr("Please connect to the controller!"));
        return false;
    }
    const auto answer = kzo::ui::showBox(this, {QMessageBox::Warning, tr("Warning"), qResources::get().restoreQuestion,
                                                QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton,
                                                QMessageBox::No});
    orb::qCmdQueue* q = orb::cmdQueue();
    if (answer != QMessageBox::Yes || appModel().status() != AppIdle || loaderDevice() == 1 || !q)
        return false;
    appModel().setStatus(AppRestoring);
    if (!enqueueReadAll(*q, true)) {
        appModel().setStatus(AppIdle);
        return false;
    }
    return true;
}

void qMainFrame::QMainFramePosChange(int) {}

void qMainFrame::QMainFrameQueueFinished(bool ok)
{
    const int status = appModel().status();
    if (status == AppRestoring)
        showTip(ok ? tr(" Reset OK.  ") : tr("Reset failure,please check the connection!  "));
    appModel().setStatus(AppIdle);
}

// ---- connection and status bar --------------------------------------------

void qMainFrame::_changeConnection(bool connected)
{
    setLinkImage(connected);
    if (connected) {
        loadAllParameters();
        setOutputState(true);
    } else {
        setOutputState(false);
        if (appModel().status() == AppIdle)
            setNavigationAllowed(true);
        if (DataUploader* u = dataUploader())
            u->resetReplyFlags();
    }
}

void qMainFrame::onConnectFail()
{
    // Never two at once: the box is modal and the finder may report again
    // while it is up.
    if (connectFailShowing)
        return;
    QString text = tr("Connection failure! Please make sure the COM-port is not occupied by other applications and "
                      "re-plug in.");
    if (!connectFailHint.isEmpty())
        text += QStringLiteral("\n\n") + connectFailHint;
    const QScopedValueRollback showing(connectFailShowing, true);
    kzo::ui::warning(this, tr("Warning"), text);
}

void qMainFrame::_porcessheardbeat()
{
    if (closePending && !upgradeRunning()) {
        closePending = false;
        close();
        return;
    }
    if (!deviceConnected() || !firmwareDlg->isVisible() || upgradeRunning())
        return;
    if (dialogRefresher)
        dialogRefresher();
}

void qMainFrame::onUpdate()
{
    // Block 3 of the data cache is the flight status: mode, failsafe flag.
    const auto& status = orb::dataCache().blocks.block3;
    QString text = tr("N/A");
    if (status[1] != 0) {
        text = tr("Failsafe");
    } else {
        switch (status[0]) {
        case 0: text = tr("Manual"); break;
        case 1: text = tr("GPS Cruise"); break;
        case 2: text = tr("GPS Atti."); break;
        case 3: text = tr("Atti."); break;
        default: text = tr("UNKnown"); break;
        }
    }
    modeValue->setText(text);
}

void qMainFrame::showTip(QString text) { emit signal_showTipText(text); }

// ---- update-server verdicts -------------------------------------------------

void qMainFrame::onSoftwareDisabled()
{
    kzo::app::markSoftwareDisabled();
    kzo::ui::information(this, tr("Warning"),
                         tr("Current version of software has been disabled,Please download the latest version!"));
    closeWhenIdle();
}

// ---- closing ------------------------------------------------------------------

bool qMainFrame::upgradeRunning() const { return appModel().status() == AppUpgrading; }

void qMainFrame::tellCloseWaits(bool closesLater)
{
    showTip(closesLater ? tr("A firmware upgrade is running; the window closes when it has ended.")
                        : tr("A firmware upgrade is running; close the window when it has ended."));
}

void qMainFrame::closeWhenIdle()
{
    if (!upgradeRunning()) {
        close();
        return;
    }
    // The heartbeat closes the window once the upgrade has ended.
    closePending = true;
    tellCloseWaits(true);
}

void qMainFrame::closeEvent(QCloseEvent* event)
{
    // Closing the port in the middle of a transfer would leave the device
    // half-flashed.
    if (upgradeRunning()) {
        event->ignore();
        tellCloseWaits(closePending);
        return;
    }
    if (deviceConnected() && io)
        io->close();
    event->accept();
}
