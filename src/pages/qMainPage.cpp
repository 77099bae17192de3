#include "pages/qMainPage.h"

#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "pages/PageControls.h"
#include "protocol/FrameCodec.h"
#include "widgets/KzoSpinBox.h"
#include "widgets/SliderStyle.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

using namespace orb::cmdid;
using namespace kzo::pages;

namespace {

// Payloads of the two mode-record writes.
#pragma pack(push, 1)
struct cmd_fc_jit_write {
    uint8_t bytes[std::tuple_size_v<JitRecord>];
};
struct cmd_fc_fbl_write {
    uint8_t bytes[std::tuple_size_v<FblRecord>];
};
#pragma pack(pop)
static_assert(orb::commandFrameSize<cmd_fc_jit_write> == 48);
static_assert(orb::commandFrameSize<cmd_fc_fbl_write> == 69);

// Polls since start: the voltage is read on every tenth, once a second.
std::atomic<unsigned> g_pollCount{0};

const QString pageStyle = QStringLiteral(
    "#qMainPage{background-image: url(:/Utility/res/parameter_background.png);background-repeat: no-repeat}"
    // The picture is smaller than the page: the rest continues its shading.
    "#qMainPage{background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(36, 37, 41), "
    "stop:0.85 rgb(26, 26, 29), stop:1 rgb(26, 26, 29));}"
    "QGroupBox{font:bold 12px \"Arial\";color:white;border:1px solid rgb(70, 72, 80);border-radius:4px;"
    "margin-top:8px;padding-top:6px;}"
    "QGroupBox::title{subcontrol-origin:margin;left:8px;padding:0px 3px;}"
    "QLabel{font:normal 12px \"Arial\";color:rgb(215, 217, 222);}"
    "QLabel[role=\"value\"]{color:rgb(11, 163, 212);}"
    "QTabWidget::pane{border:0px;}"
    "QTabBar::tab{font:bold 12px \"Arial\";color:rgb(215, 217, 222);background:rgb(44, 46, 52);"
    "padding:5px 18px;margin-right:2px;border-top-left-radius:3px;border-top-right-radius:3px;}"
    "QTabBar::tab:selected{background:rgb(11, 163, 212);color:white;}");

void setText(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

void enableIfChanged(QWidget* w, bool on)
{
    if (w->isEnabled() != on)
        w->setEnabled(on);
}

// A style sheet change re-polishes the widget: only when the state changes.
void applyValueStyle(QWidget* w, int state)
{
    const QString style = qResources::get().valueStyle(state);
    if (!style.isEmpty() && w->styleSheet() != style)
        w->setStyleSheet(style);
}

} // namespace

qMainPage::qMainPage(DataUploader* uploader, QWidget* parent)
    : qTabPage(parent), sliderStyle(std::make_unique<SliderStyle>())
{
    setObjectName(QStringLiteral("qMainPage"));
    setWhatsThis(QStringLiteral("view"));
    setTitle(tr("View"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(pageStyle);
    ui.setupUi(this, sliderStyle.get());

    pollTimer = new QTimer(this);
    pollTimer->setInterval(pollMs);
    connect(pollTimer, &QTimer::timeout, this, &qMainPage::OnCaliRequest);

    connect(ui.pitchGain, &KzoSpinBox::manualModify, this, &qMainPage::PitchGainManualInput);
    connect(ui.rollGain, &KzoSpinBox::manualModify, this, &qMainPage::RollGainManualInput);
    connect(ui.verticalGain, &KzoSpinBox::manualModify, this, &qMainPage::VerticalGainManualInput);
    connect(ui.aileFbGain, &KzoSpinBox::manualModify, this, &qMainPage::AileFBManualInput);
    connect(ui.elevFfGain, &KzoSpinBox::manualModify, this, &qMainPage::ElevFFManualInput);
    connect(ui.elevFbGain, &KzoSpinBox::manualModify, this, &qMainPage::ElevFBManualInput);
    for (QComboBox* c : ui.fblBoxes)
        connect(c, &QComboBox::activated, this, qOverload<int>(&qMainPage::WriteFBLParameters));
    for (QComboBox* c : ui.jitBoxes)
        connect(c, &QComboBox::activated, this, qOverload<int>(&qMainPage::WriteJIT));
    for (KzoSpinBox* s : ui.gainBoxes()) {
        connect(s, &KzoSpinBox::edited, this, &qMainPage::WriteGain);
        connect(s, &QSpinBox::valueChanged, this, &qMainPage::onKzoSpinBoxValueChanged);
    }
    connect(ui.onlineHelp, &QLabel::linkActivated, this, &qMainPage::onHelpLinkActivated);
    if (uploader)
        connect(uploader, &DataUploader::serverAddressStatus, this, &qMainPage::onGetAddressResult);
}

qMainPage::~qMainPage()
{
    // The channel bars use the slider style: they go before it does.
    delete ui.groupChannels;
    ui.groupChannels = nullptr;
}

// ------------------------------------------------------------- device side --

void qMainPage::onDevEvent(const DevEvent* event)
{
    if (event && event->kind == EvDisconnected) {
        device.forgetRecords();
        // Nothing can be written until the next device has sent its records.
        QMetaObject::invokeMethod(this, [this] { setModeControlsEnabled(false, false); }, Qt::QueuedConnection);
        return;
    }
    qTabPage::onDevEvent(event);
}

bool qMainPage::wantsFrame(const uint8_t* record) { return device.acceptFrame(record); }

void qMainPage::sendRequest(uint16_t commandId)
{
    orb::cmd_t<kzo::tagNoneParm> cmd(commandId);
    send(cmd);
}

void qMainPage::sendJit(const JitRecord& payload)
{
    orb::cmd_t<cmd_fc_jit_write> cmd(FcJitWrite);
    std::memcpy(cmd.data()->bytes, payload.data(), payload.size());
    send(cmd);
    // The next replies redraw what was written.
    acceptDevice[PitchGain] = acceptDevice[RollGain] = acceptDevice[VerticalGain] = true;
}

void qMainPage::sendFbl(const FblRecord& payload)
{
    orb::cmd_t<cmd_fc_fbl_write> cmd(FcFblWrite);
    std::memcpy(cmd.data()->bytes, payload.data(), payload.size());
    send(cmd);
    acceptDevice[AileFbGain] = acceptDevice[ElevFfGain] = acceptDevice[ElevFbGain] = true;
}

// ------------------------------------------------------------ enter, poll --

void qMainPage::PageTick() { logStdout("tick..........\n"); }

void qMainPage::PageEnter()
{
    pollTimer->start(pollMs);
    acceptDevice.fill(true);
    for (const MainRead& entry : mainReads)
        sendRequest(entry.request);
}

void qMainPage::PageLeave() { pollTimer->stop(); }

bool qMainPage::polling() const { return pollTimer->isActive(); }

void qMainPage::OnCaliRequest()
{
    sendRequest(FcChannelsRead);
    sendRequest(FcFblRead);
    sendRequest(FcJitRead);
    if (g_pollCount.fetch_add(1) % 10 == 0)
        sendRequest(FcVoltageRead);
}

// ----------------------------------------------------------------- refresh --

void qMainPage::refresh()
{
    if (auto r = device.take<MainAck::Voltage>())
        setText(ui.currentVoltage, voltageText(decodeVoltageMv(*r)));

    if (auto r = device.take<MainAck::Protection>()) {
        const ProtectionSettings p = decodeProtection(*r);
        setText(ui.protectionSwitch, onOffText(p.on));
        setText(ui.batteryType, batteryTypeText(p.cells));
        setText(ui.firstLevel, protectionLevelText(p.firstMv));
        setText(ui.secondLevel, protectionLevelText(p.secondMv));
    }

    if (auto r = device.take<MainAck::Failsafe>()) {
        setText(ui.failsafeMethod, failsafeText((*r)[1]));
        setText(ui.goHomeSwitch, goHomeText((*r)[2]));
    }

    // The switch word is shown as the gimbal switch: it is a plain on/off
    // word, and the gimbal is the one device here that is simply switched;
    // orientation control has modes, not an on/off state, and no reply
    // the page reads carries it.
    if (auto r = device.take<MainAck::Switch>())
        setText(ui.gimbalSwitch, onOffText(kzo::frame::readU16(r->data())));

    if (auto r = device.take<MainAck::Channels>()) {
        for (const ChannelReading& c : decodeChannels(*r)) {
            if (c.channel < 1 || c.channel > 8)
                continue;
            ui.channelSliders[c.channel - 1]->setValue(c.value); // no repaint when unchanged
            setText(ui.channelValues[c.channel - 1], QString::number(channelLabelValue(c.value)));
        }
    }

    if (auto r = device.take<MainAck::IdleSpeed>()) {
        if (auto text = idleSpeedText((*r)[0]))
            setText(ui.idleSpeed, *text);
    }
    if (auto r = device.take<MainAck::Receiver>()) {
        setText(ui.receiverType, receiverText((*r)[0]));
        setText(ui.cutOffType, cutOffText((*r)[1]));
    }
    if (auto r = device.take<MainAck::Mixer>()) {
        setText(ui.mixerType, mixerText((*r)[0]));
        showMixerPicture(mixerPicture((*r)[0]));
    }

    if (auto r = device.take<MainAck::Mounting>()) {
        const MountingSettings m = decodeMounting(*r);
        setText(ui.imuOrientation, orientationText(m.orientation));
        for (int i = 0; i < 3; ++i) {
            setText(ui.imuLocation[i], locationText(m.imu[i]));
            setText(ui.gpsLocation[i], locationText(m.gps[i]));
        }
    }

    bool modes = false;
    if (auto r = device.take<MainAck::Jit>()) {
        showGroup(decodeJit(*r), ui.jitBoxes, PitchGain);
        modes = true;
    }
    if (auto r = device.take<MainAck::Fbl>()) {
        showGroup(decodeFbl(*r), ui.fblBoxes, AileFbGain);
        modes = true;
    }
    if (modes)
        CompareWithMemory();
}

void qMainPage::showGroup(const ModeGroup& group, const std::array<QComboBox*, 3>& boxes, int firstGain)
{
    const auto gains = ui.gainBoxes();
    for (int i = 0; i < 3; ++i) {
        if (boxes[i]->currentIndex() != group.fields[i])
            boxes[i]->setCurrentIndex(group.fields[i]);
        enableIfChanged(boxes[i], group.enabled);
        KzoSpinBox* spin = gains[firstGain + i];
        enableIfChanged(spin, group.enabled);
        const int value = static_cast<int>(std::min<uint32_t>(group.gains[i], INT_MAX));
        if (acceptDevice[firstGain + i] && spin->value() != value)
            spin->setValue(value);
    }
}

void qMainPage::setModeControlsEnabled(bool jit, bool fbl)
{
    const auto gains = ui.gainBoxes();
    for (int i = 0; i < 3; ++i) {
        enableIfChanged(ui.jitBoxes[i], jit);
        enableIfChanged(ui.fblBoxes[i], fbl);
        enableIfChanged(gains[PitchGain + i], jit);
        enableIfChanged(gains[AileFbGain + i], fbl);
    }
}

void qMainPage::showMixerPicture(MixerPicture picture)
{
    if (picture == shownPicture)
        return;
    shownPicture = picture;
    const qResources& res = qResources::get();
    switch (picture) {
    case MixerPicture::None:
        ui.mixerPicture->clear();
        break;
    case MixerPicture::Cross:
        ui.mixerPicture->setPixmap(QPixmap(res.mixerX1));
        break;
    case MixerPicture::Plus:
        ui.mixerPicture->setPixmap(QPixmap(res.mixerX2));
        break;
    }
}

void qMainPage::CompareWithMemory()
{
    const auto jit = device.lastJit();
    const auto fbl = device.lastFbl();
    const auto gains = ui.gainBoxes();
    auto compare = [&](int first, const std::optional<ModeGroup>& group) {
        if (!group)
            return;
        for (int i = 0; i < 3; ++i) {
            KzoSpinBox* spin = gains[first + i];
            const bool same = static_cast<int64_t>(spin->value()) == static_cast<int64_t>(group->gains[i]);
            applyValueStyle(spin, same ? 1 : 0);
        }
    };
    compare(PitchGain, jit ? std::optional(decodeJit(*jit)) : std::nullopt);
    compare(AileFbGain, fbl ? std::optional(decodeFbl(*fbl)) : std::nullopt);
}

// ------------------------------------------------------------ manual input --

void qMainPage::PitchGainManualInput() { acceptDevice[PitchGain] = false; }
void qMainPage::RollGainManualInput() { acceptDevice[RollGain] = false; }
void qMainPage::VerticalGainManualInput() { acceptDevice[VerticalGain] = false; }
void qMainPage::AileFBManualInput() { acceptDevice[AileFbGain] = false; }
void qMainPage::ElevFFManualInput() { acceptDevice[ElevFfGain] = false; }
void qMainPage::ElevFBManualInput() { acceptDevice[ElevFbGain] = false; }

void qMainPage::onKzoSpinBoxValueChanged(int) { CompareWithMemory(); }

// ------------------------------------------------------------------ writes --

ModeGroup qMainPage::jitSettings() const
{
    ModeGroup g;
    for (int i = 0; i < 3; ++i) {
        g.fields[i] = std::max(0, ui.jitBoxes[i]->currentIndex());
        g.gains[i] = static_cast<uint32_t>(ui.gainBoxes()[PitchGain + i]->value());
    }
    return g;
}

ModeGroup qMainPage::fblSettings() const
{
    ModeGroup g;
    for (int i = 0; i < 3; ++i) {
        g.fields[i] = std::max(0, ui.fblBoxes[i]->currentIndex());
        g.gains[i] = static_cast<uint32_t>(ui.gainBoxes()[AileFbGain + i]->value());
    }
    return g;
}

void qMainPage::writeAll()
{
    const auto w = device.writes(jitSettings(), fblSettings());
    if (!w)
        return;
    sendJit(w->jit);
    sendFbl(w->fbl);
}

void qMainPage::WriteJIT()
{
    if (const auto w = device.writes(jitSettings(), fblSettings()))
        sendJit(w->jit);
}

void qMainPage::WriteFBLParameters()
{
    if (const auto w = device.writes(jitSettings(), fblSettings()))
        sendFbl(w->fbl);
}

void qMainPage::WriteGain() { writeAll(); }

void qMainPage::WriteJIT(int index)
{
    const auto record = device.lastJit();
    if (!record)
        return;
    const ModeGroup g = decodeJit(*record);
    for (int i = 0; i < 3; ++i)
        if (sender() == ui.jitBoxes[i] && g.fields[i] == index)
            return; // the device already holds it
    writeAll();
}

void qMainPage::WriteFBLParameters(int index)
{
    const auto record = device.lastFbl();
    if (!record)
        return;
    const ModeGroup g = decodeFbl(*record);
    for (int i = 0; i < 3; ++i)
        if (sender() == ui.fblBoxes[i] && g.fields[i] == index)
            return;
    writeAll();
}

// ------------------------------------------------------------- online help --

void qMainPage::onGetAddressResult(int status)
{
    if (status == 0)
        showOnlineHelp(ui.onlineHelp, appModel().value("online_help_main_url"), tr("OnLine Help"));
}

void qMainPage::onHelpLinkActivated(const QString& link)
{
    if (const auto url = helpLinkToOpen(link, "qMainPage"))
        QDesktopServices::openUrl(*url);
}
