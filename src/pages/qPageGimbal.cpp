#include "pages/qPageGimbal.h"

#include "app/config/GlobalCfg.h"
#include "app/framework/qPageTemplate.h"
#include "app/logging/Log.h"
#include "commands/DevCommand.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <cstring>

#include "widgets/qStatusSlider.h"

namespace {

// Payload of the two record writes 0x02A0 and 0x02A5.
#pragma pack(push, 1)
struct cmd_gimbal_record {
    uint8_t bytes[8];
};
#pragma pack(pop)
static_assert(orb::commandFrameSize<cmd_gimbal_record> == 42);

} // namespace

using kzo::pages::GimbalRecord;

qPageGimbal::qPageGimbal(QWidget* parent)
    : qTabPage(parent),
      device([this](uint16_t id, std::span<const uint8_t> payload) { sendCommand(id, payload); },
             [this] {
                 // May run on the frame thread: the timer is started on ours.
                 QMetaObject::invokeMethod(this, [this] { retryTimer->start(retryMs); }, Qt::QueuedConnection);
             })
{
    setObjectName(QStringLiteral("qPageGimbal"));
    setWhatsThis(QStringLiteral("gimbal"));
    setTitle(tr("Gimbal"));
    ui.setupUi(this);

    channelTimer = new QTimer(this);
    channelTimer->setInterval(channelPollMs);
    retryTimer = new QTimer(this);
    retryTimer->setInterval(retryMs);
    connect(channelTimer, &QTimer::timeout, this, &qPageGimbal::loadchannels);
    connect(retryTimer, &QTimer::timeout, this, &qPageGimbal::WriteDataHandler);
    connect(ui.pushWriteButton, &QPushButton::clicked, this, &qPageGimbal::onWriteBtnClicked);
    connect(ui.pushReadButton, &QPushButton::clicked, this, &qPageGimbal::onReadBtnClicked);
    connect(ui.RB_ON, &QRadioButton::clicked, this, &qPageGimbal::on_RB_ON_clicked);
    connect(ui.RB_OFF, &QRadioButton::clicked, this, &qPageGimbal::on_RB_OFF_clicked);

    // Written records start as 'Z' bytes; record 2 as read starts zeroed.
    showRecord(kzo::pages::blankRecord, kzo::pages::record1Boxes);
    showRecord(GimbalRecord{}, kzo::pages::record2Boxes);
    showCamera(0);
    // No device yet: no channel values, nothing to read or write.
    onLinkChanged(false);

    if constexpr (!debugMode) {
        for (QWidget* w : std::initializer_list<QWidget*>{ui.groupBox_1, ui.groupBox_2, ui.pushWriteButton,
                                                          ui.pushReadButton, ui.groupBox_5})
            w->hide();
    }
}

void qPageGimbal::sendCommand(uint16_t commandId, std::span<const uint8_t> payload)
{
    if (payload.empty()) {
        orb::cmd_t<kzo::tagNoneParm> cmd(commandId);
        send(cmd);
        return;
    }
    orb::cmd_t<cmd_gimbal_record> cmd(commandId);
    std::memcpy(cmd.data()->bytes, payload.data(), std::min(payload.size(), sizeof(cmd_gimbal_record)));
    send(cmd);
}

void qPageGimbal::onDevEvent(const DevEvent* event)
{
    if (event && (event->kind == EvConnected || event->kind == EvDisconnected)) {
        const bool up = event->kind == EvConnected;
        // Stops the sends at once, whatever thread this is; the widgets and
        // timers follow on the GUI thread.
        device.setLinkUp(up);
        QMetaObject::invokeMethod(this, [this, up] { onLinkChanged(up); }, Qt::QueuedConnection);
        return;
    }
    qTabPage::onDevEvent(event);
}

void qPageGimbal::onLinkChanged(bool up)
{
    // The device commands of the debug build need a device to talk to.
    for (QWidget* w : std::initializer_list<QWidget*>{ui.groupBox_1, ui.groupBox_2, ui.pushWriteButton,
                                                      ui.pushReadButton, ui.groupBox_5})
        w->setEnabled(up);
    if (up) {
        // The channels stay blank until the device's first values arrive.
        if (entered && !channelTimer->isActive())
            channelTimer->start();
        return;
    }
    channelTimer->stop();
    retryTimer->stop();
    showNoChannels();
}

bool qPageGimbal::wantsFrame(const uint8_t* record) { return device.acceptFrame(record); }

void qPageGimbal::refresh()
{
    refreshGimbal1DataToUI();
    refreshGimbal2DataToUI();
    refreshChannelDataToUI();
    if (auto camera = device.takeCameraState()) {
        logTagged("GIMBAL", "camera_state.state = %d", static_cast<int>(*camera));
        showCamera(*camera);
    }
}

void qPageGimbal::refreshChannelDataToUI()
{
    if (auto channels = device.takeChannels())
        showChannels(*channels);
}

void qPageGimbal::refreshGimbal1DataToUI()
{
    if (auto record = device.takeRecord1()) {
        showRecord(*record, kzo::pages::record1Boxes);
        qPageTemplate::setValueStyleAll(ui.groupBox_1, 0);
    }
}

void qPageGimbal::refreshGimbal2DataToUI()
{
    if (auto record = device.takeRecord2()) {
        showRecord(*record, kzo::pages::record2Boxes);
        qPageTemplate::setValueStyleAll(ui.groupBox_2, 0);
    }
}

void qPageGimbal::showChannels(const kzo::pages::GimbalChannels& channels)
{
    ui.groupBox_3->setEnabled(true);
    ui.groupBox_4->setEnabled(true);
    for (int i = 0; i < 8; ++i) {
        const int v = channels[i];
        ui.sliders[i]->updateStatus(v);
        ui.values[i]->setText(v == kzo::pages::channelDisconnected ? tr("Disc.") : QString::number(v));
    }
}

// Greyed bars without a marker and "--": nothing here is live.
void qPageGimbal::showNoChannels()
{
    ui.groupBox_3->setEnabled(false);
    ui.groupBox_4->setEnabled(false);
    for (int i = 0; i < 8; ++i) {
        ui.sliders[i]->updateStatus(0);
        ui.values[i]->setText(QStringLiteral("--"));
    }
}

void qPageGimbal::showRecord(const GimbalRecord& record, const std::array<int, 8>& boxes)
{
    for (size_t i = 0; i < record.size(); ++i)
        ui.readBoxes[boxes[i] - 1]->setValue(record[i]);
}

void qPageGimbal::showCamera(uint32_t state)
{
    if (state == 1)
        ui.RB_ON->setChecked(true);
    else
        ui.RB_OFF->setChecked(true);
}

GimbalRecord qPageGimbal::writeRecord(const std::array<int, 8>& boxes) const
{
    GimbalRecord r{};
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<uint8_t>(ui.writeBoxes[boxes[i] - 1]->value());
    return r;
}

void qPageGimbal::loadPage()
{
    using Outcome = kzo::pages::GimbalData::WriteOutcome;
    const auto outcome = device.write(writeRecord(kzo::pages::record1Boxes), writeRecord(kzo::pages::record2Boxes));
    if (outcome == Outcome::Offline)
        return;
    if (outcome == Outcome::Nothing)
        qPageTemplate::setValueStyleAll(ui.groupBox_2, 0);
    else
        retryTimer->stop(); // re-sends of an older record 2 end here
}

void qPageGimbal::broadcastHook1() { device.requestAll(); }

void qPageGimbal::loadchannels() { device.requestChannels(); }

void qPageGimbal::loadReadDataCmd() { device.requestRecords(); }

void qPageGimbal::WriteDataHandler()
{
    if (!device.retryTick())
        retryTimer->stop();
}

void qPageGimbal::PageEnter()
{
    entered = true;
    if (device.linkUp() && !channelTimer->isActive())
        channelTimer->start();
}

void qPageGimbal::PageLeave()
{
    entered = false;
    channelTimer->stop();
}

bool qPageGimbal::polling() const { return channelTimer->isActive(); }

bool qPageGimbal::retrying() const { return retryTimer->isActive(); }

void qPageGimbal::OnPageTick() {}

void qPageGimbal::onWriteBtnClicked() { loadPage(); }

void qPageGimbal::onReadBtnClicked() { device.requestRecords(); }

void qPageGimbal::on_RB_ON_clicked() { device.setCameraCharging(true); }

void qPageGimbal::on_RB_OFF_clicked() { device.setCameraCharging(false); }
