#include "pages/qToolsPage.h"

#include "app/config/GlobalCfg.h"
#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "pages/PageControls.h"
#include "pages/ToolsHost.h"
#include "paramfiles/ParamFileActions.h"
#include "protocol/GlobalDataCache.h"
#include "widgets/MessageBoxes.h"
#include "widgets/Plotter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include <cstring>

using namespace orb::cmdid;
using kzo::pages::ImuCaliMessage;
using kzo::pages::ImuCaliText;

namespace {

#pragma pack(push, 1)
struct cmd_imu_cali {
    uint8_t value[4]; // little-endian u32
};
struct cmd_flight_habits {
    uint8_t record[8];
};
#pragma pack(pop)
static_assert(orb::commandFrameSize<cmd_imu_cali> == 38);
static_assert(orb::commandFrameSize<cmd_flight_habits> == 42);

// Texts are set only when they change: a label or field repaints on every
// setText, and these are refreshed twice a second.
template <class W>
void setTextIfChanged(W* w, const QString& text)
{
    if (w->text() != text)
        w->setText(text);
}

void setVisibleIfChanged(QWidget* w, bool visible)
{
    if (!w->isHidden() != visible)
        w->setVisible(visible);
}

} // namespace

qToolsPage::qToolsPage(ToolsHost* toolsHost, QWidget* parent)
    : qTabPage(parent), host(toolsHost), exportAction(kzo::paramfiles::runExport),
      importAction(kzo::paramfiles::runImport)
{
    setObjectName(QStringLiteral("qToolsPage"));
    setWhatsThis(QStringLiteral("tools"));
    setTitle(tr("Tools"));
    ui.setupUi(this);

    plot = new QWidget(this, Qt::Window);
    plotUi.setupUi(plot);
    PlotSettings view;
    view.minX = 0;
    view.maxX = plotSamples;
    view.numXTicks = 6;
    view.minY = -1000;
    view.maxY = 1000;
    view.numYTicks = 4;
    plotUi.plotter->setPlotSettings(view);

    // The window's language menu chooses the language; this box only shows it.
    ui.comboBoxLanguage->setCurrentIndex(appModel().value("language") == QLatin1String("zh_CN") ? 0 : 1);
    ui.comboBoxLanguage->setEnabled(false);
    ui.comboBoxLanguage->setToolTip(tr("The language is chosen in the Language menu of the title bar."));

    connect(ui.pushButtonImport, &QPushButton::clicked, this, &qToolsPage::onImportButtonClicked);
    connect(ui.pushButtonExport, &QPushButton::clicked, this, &qToolsPage::onExportButtonClicked);
    connect(ui.pushButtonReset, &QPushButton::clicked, this, &qToolsPage::onResetButtonClicked);
    connect(ui.pushButtonCali, &QPushButton::clicked, this, &qToolsPage::OnClickedCali);
    connect(ui.pushButtonCheck, &QPushButton::clicked, this, &qToolsPage::OnClickedCheck);
    connect(ui.pushButtonReadLog, &QPushButton::clicked, this, &qToolsPage::OnReadFlightLog);
    connect(ui.pushButtonCaliAdvanced, &QPushButton::clicked, this, &qToolsPage::OnClickedCaliAdvanced);
    connect(ui.pushButtonPlot, &QPushButton::clicked, this, &qToolsPage::OnClickedPlot);
    connect(ui.checkBox_Novice, &QCheckBox::clicked, this, &qToolsPage::on_checkBox_Novice_clicked);
    connect(ui.checkBox_Normal, &QCheckBox::clicked, this, &qToolsPage::on_checkBox_Normal_clicked);
    connect(ui.label_onlinehelp, &QLabel::linkActivated, this, &qToolsPage::onHelpLinkActivated);

    if (qConnector* c = qConnector::instance()) {
        connect(c, &qConnector::connectionChanged, this, &qToolsPage::_changeConnection);
        connected = c->isConnected();
    }
    if (DataUploader* u = dataUploader())
        connect(u, &DataUploader::serverAddressStatus, this, &qToolsPage::onGetAddressResult);
    // The navigation lock of a restore ends with the queue's run, whether
    // or not this page is still shown.
    if (host)
        connect(host, &ToolsHost::queueFinished, this, [this](bool) { releaseRestoreLock(); });

    // Nothing to change on the flight habits until the record has been read.
    ui.checkBox_Novice->setEnabled(false);
    ui.checkBox_Normal->setEnabled(false);
    applyCalibration(judge.disconnected());
    if (connected)
        judge.connected();
}

qToolsPage::~qToolsPage()
{
    // A lock left behind would refuse every page switch from now on.
    releaseRestoreLock();
}

void qToolsPage::setFileActions(FileAction exportFn, FileAction importFn)
{
    exportAction = std::move(exportFn);
    importAction = std::move(importFn);
}

QString qToolsPage::siblingProgramName()
{
#ifdef KZO_SIBLING_PROGRAM
    return QStringLiteral(KZO_SIBLING_PROGRAM);
#else
    return QStringLiteral("quen-assistant");
#endif
}

QWidget* qToolsPage::boxParent()
{
    QWidget* p = host ? host->dialogParent() : nullptr;
    return p ? p : this;
}

bool qToolsPage::requireConnection()
{
    if (connected && io)
        return true;
    kzo::ui::information(boxParent(), tr("Info"), tr("Please connect to the controller!"));
    return false;
}

// ---- commands ------------------------------------------------------------------

void qToolsPage::sendPlain(uint16_t commandId)
{
    orb::cmd_t<kzo::tagNoneParm> cmd(commandId);
    send(cmd);
}

void qToolsPage::sendCalibrationStart(uint32_t value)
{
    orb::cmd_t<cmd_imu_cali> cmd(ImuCalibrationStart);
    kzo::frame::writeU32(cmd.data()->value, value);
    send(cmd);
}

void qToolsPage::sendHabits(bool novice)
{
    if (!requireConnection() || !habits) {
        if (habits)
            showHabits(*habits);
        return;
    }
    // The record as the controller gave it (or as last written), with only
    // the novice bit changed.
    habits = kzo::pages::habitsWith(*habits, novice);
    orb::cmd_t<cmd_flight_habits> cmd(FlightHabitsWrite);
    std::memcpy(cmd.data()->record, habits->data(), habits->size());
    send(cmd);
    showHabits(*habits);
}

// ---- frames and refresh -------------------------------------------------------------

bool qToolsPage::wantsFrame(const uint8_t* record) { return frames.acceptFrame(record); }

void qToolsPage::refresh()
{
    if (auto r = frames.takeImu(); r && connected) {
        lastImu = *r;
        freshness.received();
        const auto bytes = orb::imu::encode(*r);
        std::memcpy(orb::dataCache().blocks.block30, bytes.data(), bytes.size());
        showImu(*r);
        feedPlot(*r);
        applyCalibration(judge.onReport(r->state, r->progress));
    }
    if (auto h = frames.takeHabits(); h && connected) {
        habits = *h;
        std::memcpy(orb::dataCache().blocks.block24, h->data(), h->size());
        showHabits(*h);
    }
    if (auto s = frames.takeSwitch()) {
        std::memcpy(orb::dataCache().blocks.block33, s->data(), sizeof(*s));
        onProductSwitch(*s);
    }
}

void qToolsPage::showImu(const orb::imu::ImuRecord& r)
{
    using namespace kzo::pages;
    setTextIfChanged(ui.label_sensor, readingText(r.sensor));
    setTextIfChanged(ui.label_press, readingText(r.press));
    for (int i = 0; i < 3; ++i) {
        setTextIfChanged(ui.label_orig[i], QString::number(r.compassRaw[i]));
        setTextIfChanged(ui.label_cali[i], QString::number(r.compassCali[i]));
    }
    if constexpr (debugMode) {
        const Attitude a = attitudeOf(r.q);
        setTextIfChanged(ui.label_pitch, QString::number(a.pitch, 'f', 1));
        setTextIfChanged(ui.label_roll, QString::number(a.roll, 'f', 1));
        setTextIfChanged(ui.label_yaw, QString::number(a.yaw, 'f', 1));
    }
    const std::array<QLineEdit*, 3> g{ui.lineEdit_GX, ui.lineEdit_GY, ui.lineEdit_GZ};
    const std::array<QLineEdit*, 3> a{ui.lineEdit_AX, ui.lineEdit_AY, ui.lineEdit_AZ};
    const std::array<QLineEdit*, 3> c{ui.lineEdit_CX, ui.lineEdit_CY, ui.lineEdit_CZ};
    for (int i = 0; i < 3; ++i) {
        setTextIfChanged(g[i], gyroText(r.gyro[i]));
        setTextIfChanged(a[i], accelText(r.accel[i]));
        setTextIfChanged(c[i], QString::number(r.compassRaw[i]));
    }
    setTextIfChanged(ui.lineEdit_G_MOD, gyroModText(r.gyro));
    setTextIfChanged(ui.lineEdit_A_MOD, accelModText(r.accel));
    setTextIfChanged(ui.lineEdit_C_MOD, compassModText(r.compassCali));
}

void qToolsPage::applyCalibration(const kzo::pages::ImuCaliView& v)
{
    switch (v.status) {
    case ImuCaliText::Unchanged: break;
    case ImuCaliText::None: setTextIfChanged(ui.label_state, QStringLiteral("--")); break;
    case ImuCaliText::Idle: setTextIfChanged(ui.label_state, tr("idle")); break;
    case ImuCaliText::Ready: setTextIfChanged(ui.label_state, tr("ready")); break;
    case ImuCaliText::Calibrating: setTextIfChanged(ui.label_state, tr("calibrating")); break;
    }
    if (v.basicEnabled)
        ui.pushButtonCali->setEnabled(*v.basicEnabled);
    if (v.advancedEnabled)
        ui.pushButtonCaliAdvanced->setEnabled(*v.advancedEnabled);
    if (v.progress && ui.progressBar->value() != *v.progress)
        ui.progressBar->setValue(*v.progress);
    if (v.controlsVisible)
        setControlsVisible(*v.controlsVisible);
    if (v.showCaliTab)
        ui.tabWidget->setCurrentIndex(kzo::pages::ToolsPageUi::caliTab);
    if (v.focusPage && host)
        host->focusPageOf(this);
    if (v.message == ImuCaliMessage::AdvancedDone)
        kzo::ui::information(boxParent(), QString(),
                             tr("Please cut off the power of the MC for 10 minutes then power up the MC."));
    else if (v.message == ImuCaliMessage::AdvancedRequired)
        kzo::ui::information(boxParent(), QString(), tr("Please click the advanced calibration to calibrate the IMU."));
}

void qToolsPage::setControlsVisible(bool visible)
{
    for (QWidget* w : ui.calibrationControls())
        setVisibleIfChanged(w, visible);
}

void qToolsPage::showHabits(const kzo::pages::HabitsRecord& record)
{
    const bool novice = kzo::pages::habitsNovice(record);
    ui.checkBox_Novice->setEnabled(true);
    ui.checkBox_Normal->setEnabled(true);
    ui.checkBox_Novice->setChecked(novice);
    ui.checkBox_Normal->setChecked(!novice);
}

void qToolsPage::feedPlot(const orb::imu::ImuRecord& r)
{
    if (!plot->isVisible() || plotUi.plotter->isPaused())
        return;
    // Curve ids follow the legend: orig0, cali0, orig1, cali1, orig2, cali2.
    for (int axis = 0; axis < 3; ++axis) {
        plotCurves[2 * axis].push_back(r.compassRaw[axis]);
        plotCurves[2 * axis + 1].push_back(r.compassCali[axis]);
    }
    for (int id = 0; id < static_cast<int>(plotCurves.size()); ++id) {
        auto& curve = plotCurves[id];
        while (curve.size() > static_cast<size_t>(plotSamples))
            curve.pop_front();
        QVector<QPointF> points;
        points.reserve(static_cast<int>(curve.size()));
        for (size_t i = 0; i < curve.size(); ++i)
            points.append(QPointF(static_cast<double>(i), curve[i]));
        plotUi.plotter->setCurveData(id, points);
    }
}

// ---- tick, enter, leave -------------------------------------------------------------------

void qToolsPage::PageTick()
{
    ++ticks;
    if (ticks > tickWrap)
        ticks = tipTicks + 1;
    setTipVisible(ticks <= tipTicks);
    freshness.tick();
    // The parameter transfers own the link while they run.
    if (connected && !transferRunning)
        sendPlain(ImuDataRead);
}

void qToolsPage::setTipVisible(bool visible) { setVisibleIfChanged(ui.label_tip, visible); }

void qToolsPage::PageEnter()
{
    entered = true;
    if (host && !tipConnection)
        tipConnection = connect(host, &ToolsHost::signal_showTipText, this, &qToolsPage::onShowTipText);
    if (host && !navigatorConnection)
        navigatorConnection = connect(host, &ToolsHost::s_navigator_disabled, this, &qToolsPage::onNavigatorDisabled);
    ui.tabWidget->setCurrentIndex(0);
    if (connected)
        sendPlain(FlightHabitsRead);
}

void qToolsPage::PageLeave()
{
    entered = false;
    disconnect(tipConnection);
    disconnect(navigatorConnection);
    tipConnection = {};
    navigatorConnection = {};
}

// ---- buttons ---------------------------------------------------------------------------------

void qToolsPage::runFileAction(const FileAction& action, bool isImport)
{
    if (!requireConnection() || !action)
        return;
    transferRunning = true;
    const bool ok = action(boxParent(), *io);
    transferRunning = false;
    if (isImport && ok && host)
        host->loadAllParameters();
}

void qToolsPage::onImportButtonClicked() { runFileAction(importAction, true); }

void qToolsPage::onExportButtonClicked() { runFileAction(exportAction, false); }

void qToolsPage::onResetButtonClicked()
{
    if (!host || restoreLock || !host->restoreDefaults())
        return;
    ui.pushButtonReset->setEnabled(false);
    savedBusy = appModel().navigationBusy();
    appModel().setNavigationBusy(1);
    restoreLock = true;
}

void qToolsPage::releaseRestoreLock()
{
    if (!restoreLock)
        return;
    restoreLock = false;
    appModel().setNavigationBusy(savedBusy);
    ui.pushButtonReset->setEnabled(true);
}

void qToolsPage::onNavigatorDisabled()
{
    if (!host)
        return;
    host->showTip(restoreLock ? tr(" Restoring the default settings, please wait.  ")
                              : tr(" You must update firmware to new version.  "));
}

void qToolsPage::OnClickedCali()
{
    if (!requireConnection())
        return;
    const auto answer = kzo::ui::showBox(
        boxParent(), {QMessageBox::Question, tr("Info"),
                      tr("Please keep the main controller  stationary and horizontal during calibration, or "
                         "re-calibration is required."),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No});
    // The controller may have gone while the question was up.
    if (answer != QMessageBox::Yes || !requireConnection())
        return;
    setControlsVisible(false);
    judge.calibrationRequested();
    sendCalibrationStart(basicCaliValue);
}

void qToolsPage::OnClickedCaliAdvanced()
{
    if (!requireConnection())
        return;
    const auto first = kzo::ui::showBox(
        boxParent(), {QMessageBox::Question, tr("Info"),
                      tr("Please keep the main controller  stationary and horizontal during calibration, or "
                         "re-calibration is required.The calibration will takes 5-10 minutes, please wait with "
                         "patience."),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No});
    if (first != QMessageBox::Yes)
        return;
    const auto second = kzo::ui::showBox(
        boxParent(), {QMessageBox::Question, tr("Info"),
                      tr("Again, please keep the main controller  stationary and horizontal, or it would not fly "
                         "well and re-do advanced calibration."),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No});
    if (second != QMessageBox::Yes || !requireConnection())
        return;
    setControlsVisible(false);
    judge.calibrationRequested();
    sendCalibrationStart(advancedCaliValue);
}

void qToolsPage::OnClickedCheck()
{
    if (!requireConnection())
        return;
    // A verdict on old or missing readings would be a guess.
    if (!lastImu || !freshness.fresh()) {
        kzo::ui::information(boxParent(), QString(),
                             tr("No IMU data from the controller yet, please check again in a moment."));
        return;
    }
    kzo::ui::information(boxParent(), QString(), kzo::pages::verdictText(kzo::pages::judgeImu(*lastImu)));
}

void qToolsPage::onShowTipText(QString text)
{
    setTextIfChanged(ui.label_tip, text);
    const QString& style = qResources::get().tipStyle;
    if (!style.isEmpty() && ui.label_tip->styleSheet() != style)
        ui.label_tip->setStyleSheet(style);
    ticks = 0;
    setTipVisible(true);
}

void qToolsPage::OnReadFlightLog()
{
    if (!requireConnection())
        return;
    sendPlain(FlightLogRead);
}

void qToolsPage::onGetAddressResult(int status)
{
    if (status == 0)
        kzo::pages::showOnlineHelp(ui.label_onlinehelp, appModel().value("online_help_tools_url"), tr("OnLine Help"));
}

void qToolsPage::onHelpLinkActivated(const QString& link)
{
    const auto url = kzo::pages::helpLinkToOpen(link, "qToolsPage");
    if (url && host)
        host->openUrl(*url);
}

// ---- connection -------------------------------------------------------------------------------

void qToolsPage::onDevEvent(const DevEvent* event)
{
    // Nothing from a link that went is shown; the page itself learns of the
    // loss from the connection manager.
    if (event && event->kind == EvDisconnected)
        frames.clear();
    qTabPage::onDevEvent(event);
}

void qToolsPage::_changeConnection(bool bConnect)
{
    if (!bConnect) {
        linkLost();
        return;
    }
    if (connected)
        return;
    connected = true;
    judge.connected();
    freshness.connected();
    lastImu.reset();
    habits.reset();
    switchOffered = false;
    if (entered)
        sendPlain(FlightHabitsRead);
}

void qToolsPage::linkLost()
{
    connected = false;
    frames.clear();
    lastImu.reset();
    freshness.connected();
    // The next controller's record is read again before anything is written.
    habits.reset();
    ui.checkBox_Novice->setEnabled(false);
    ui.checkBox_Normal->setEnabled(false);
    applyCalibration(judge.disconnected());
    releaseRestoreLock();
    switchOffered = false;
}

void qToolsPage::OnClickedPlot()
{
    plot->show();
    plot->raise();
    plot->activateWindow();
}

void qToolsPage::on_checkBox_Novice_clicked() { sendHabits(true); }

void qToolsPage::on_checkBox_Normal_clicked() { sendHabits(false); }
