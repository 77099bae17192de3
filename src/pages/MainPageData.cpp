#include "pages/MainPageData.h"

#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "protocol/FrameCodec.h"

#include <QCoreApplication>
#include <cstring>

namespace kzo::pages {

using namespace orb::cmdid;
using kzo::frame::readU16;
using kzo::frame::readU32;
using kzo::frame::writeU16;
using kzo::frame::writeU32;

const std::array<MainRead, mainAckCount> mainReads = {{
    {FcJitRead, FcJitAck, mainAckSize(MainAck::Jit)},
    {FcFblRead, FcFblAck, mainAckSize(MainAck::Fbl)},
    {FcChannelsRead, FcChannelsAck, mainAckSize(MainAck::Channels)},
    {FcVoltageRead, FcVoltageAck, mainAckSize(MainAck::Voltage)},
    {FcProtectionRead, FcProtectionAck, mainAckSize(MainAck::Protection)},
    {FcReceiverRead, FcReceiverAck, mainAckSize(MainAck::Receiver)},
    {FcMountingRead, FcMountingAck, mainAckSize(MainAck::Mounting)},
    {FcMixerRead, FcMixerAck, mainAckSize(MainAck::Mixer)},
    {FcIdleSpeedRead, FcIdleSpeedAck, mainAckSize(MainAck::IdleSpeed)},
    {FcSwitchRead, FcSwitchAck, mainAckSize(MainAck::Switch)},
    {FcFailsafeRead, FcFailsafeAck, mainAckSize(MainAck::Failsafe)},
}};

namespace {

// Mode words: JIT selections in bits 0-1, 2-3, 4-5; FBL selections in bits
// 2-3, 4-5, 6-7; bit 15 enables the group. Gains follow at fixed offsets.
constexpr int jitFieldShift = 0;
constexpr int fblFieldShift = 2;
constexpr std::array<int, 3> jitGainAt = {2, 6, 10};
constexpr std::array<int, 3> fblGainAt = {7, 11, 15};
constexpr uint16_t groupEnabled = 0x8000;

QString tr(const char* text) { return QCoreApplication::translate("qMainPage", text); }

template <size_t N>
ModeGroup decodeGroup(const std::array<uint8_t, N>& r, int shift, const std::array<int, 3>& gainAt)
{
    ModeGroup g;
    const uint16_t mode = readU16(r.data());
    for (int i = 0; i < 3; ++i) {
        g.fields[i] = (mode >> (shift + 2 * i)) & 3;
        g.gains[i] = readU32(r.data() + gainAt[i]);
    }
    g.enabled = (mode & groupEnabled) != 0;
    return g;
}

// The written mode word carries the three selections only: the bits below
// and above them, the enable bit included, go out as zero.
template <size_t N>
std::array<uint8_t, N> overlayGroup(std::array<uint8_t, N> out, const ModeGroup& g, int shift,
                                    const std::array<int, 3>& gainAt)
{
    uint16_t mode = 0;
    for (int i = 0; i < 3; ++i) {
        mode |= static_cast<uint16_t>((g.fields[i] & 3) << (shift + 2 * i));
        writeU32(out.data() + gainAt[i], g.gains[i]);
    }
    writeU16(out.data(), mode);
    return out;
}

} // namespace

ModeGroup decodeJit(const JitRecord& r) { return decodeGroup(r, jitFieldShift, jitGainAt); }
ModeGroup decodeFbl(const FblRecord& r) { return decodeGroup(r, fblFieldShift, fblGainAt); }

JitRecord jitWritePayload(const JitRecord& device, const ModeGroup& page)
{
    return overlayGroup(device, page, jitFieldShift, jitGainAt);
}

FblRecord fblWritePayload(const FblRecord& device, const ModeGroup& page)
{
    return overlayGroup(device, page, fblFieldShift, fblGainAt);
}

std::array<ChannelReading, 10> decodeChannels(const MainRecord<MainAck::Channels>& r)
{
    std::array<ChannelReading, 10> out{};
    for (int i = 0; i < 10; ++i) {
        const uint8_t* e = r.data() + 9 + 9 * i;
        out[i].channel = readU16(e);
        out[i].value = static_cast<int16_t>(readU16(e + 2));
    }
    return out;
}

int channelLabelValue(int value) { return std::clamp(value, -1000, 1000); }

ProtectionSettings decodeProtection(const MainRecord<MainAck::Protection>& r)
{
    ProtectionSettings p;
    p.firstMv = readU16(r.data() + 6);
    p.cells = readU16(r.data() + 8);
    p.secondMv = readU16(r.data() + 16);
    p.on = r[18] != 0;
    return p;
}

MountingSettings decodeMounting(const MainRecord<MainAck::Mounting>& r)
{
    MountingSettings m;
    for (int i = 0; i < 3; ++i) {
        std::memcpy(&m.imu[i], r.data() + 4 * i, 4);
        std::memcpy(&m.gps[i], r.data() + 12 + 4 * i, 4);
    }
    m.orientation = readU32(r.data() + 24);
    return m;
}

int decodeVoltageMv(const MainRecord<MainAck::Voltage>& r) { return readU16(r.data()); }

QString voltageText(int millivolts)
{
    const double volts = millivolts / 1000.0;
    if (volts < 4.0)
        return tr("DISCONNECTED");
    return QString::number(volts, 'f', 2) + QStringLiteral(" V");
}

QString protectionLevelText(int millivolts)
{
    return QString::number(millivolts / 1000.0, 'f', 2) + QStringLiteral("V");
}

QString locationText(float metres)
{
    return QString::number(static_cast<double>(metres) * 100.0, 'g', 6) + QStringLiteral("cm");
}

QString mixerText(int v)
{
    switch (v) {
    case 1: return tr("Quad-rotor I");
    case 2: return tr("Quad-rotor X");
    case 4: return tr("Hexa-rotor IY");
    case 8: return tr("Hexa-rotor Y");
    case 16: return tr("Hexa-rotor I");
    case 17: return tr("8M_UD");
    case 18: return tr("Octo-rotor X");
    case 20: return tr("Customize");
    case 32: return tr("Hexa-rotor V");
    case 64: return tr("Octo-rotor I");
    case 128: return tr("Octo-rotor V");
    default: return tr("NONE");
    }
}

MixerPicture mixerPicture(int v)
{
    switch (v) {
    case 1:
    case 4:
    case 16:
    case 64:
        return MixerPicture::Plus;
    case 2:
    case 8:
    case 17:
    case 18:
    case 20:
    case 32:
    case 128:
        return MixerPicture::Cross;
    default:
        return MixerPicture::None;
    }
}

QString receiverText(int v)
{
    switch (v) {
    case 1: return tr("Tradition");
    case 2: return tr("D-Bus");
    case 3: return tr("PPM");
    default: return tr("NONE");
    }
}

QString cutOffText(int v)
{
    switch (v) {
    case 0: return tr("Immediately");
    case 1: return tr("Intelligent");
    default: return tr("NONE");
    }
}

std::optional<QString> idleSpeedText(int v)
{
    switch (v) {
    case 10: return tr("Highest");
    case 9: return tr("Higher");
    case 8: return tr("Recommended");
    case 7: return tr("Lower");
    case 6: return tr("Lowest");
    default: return std::nullopt;
    }
}

QString orientationText(uint32_t v)
{
    switch (v) {
    case 0: return tr("Forward");
    case 1: return tr("Right");
    case 2: return tr("Backward");
    case 3: return tr("Left");
    default: return tr("NONE");
    }
}

QString failsafeText(int v)
{
    switch (v) {
    case 0: return tr("Landing");
    case 1: return tr("Go-Home and Landing");
    default: return tr("NONE");
    }
}

QString goHomeText(int v) { return v >= 1 && v <= 3 ? tr("ON") : tr("OFF"); }

QString batteryTypeText(int cells)
{
    switch (cells) {
    case 2: return tr("2S LiPo");
    case 3: return tr("3S LiPo");
    case 4: return tr("4S LiPo");
    case 5: return tr("5S LiPo");
    case 6: return tr("6S LiPo");
    default: return tr("NONE");
    }
}

QString onOffText(uint32_t v) { return v != 0 ? tr("ON") : tr("OFF"); }

bool MainPageData::acceptFrame(const uint8_t* record)
{
    if (!record)
        return false;
    const uint16_t id = kzo::frame::recordCommandId(record);
    std::array<uint8_t, 99> data;
    for (int i = 0; i < mainAckCount; ++i) {
        const MainRead& entry = mainReads[i];
        if (entry.ack != id)
            continue;
        // Copied outside the lock: the reader logs a wrong length.
        if (!orb::ackDecodeBytes(data.data(), entry.size, record, entry.ack))
            break;
        std::lock_guard guard(lock);
        Slot& s = replies[i];
        std::copy_n(data.begin(), entry.size, s.bytes.begin());
        s.fresh = true;
        s.seen = true;
        break;
    }
    std::lock_guard guard(lock);
    return std::any_of(replies.begin(), replies.end(), [](const Slot& s) { return s.fresh; });
}

std::optional<JitRecord> MainPageData::lastJit() const
{
    std::lock_guard guard(lock);
    const Slot& s = replies[static_cast<int>(MainAck::Jit)];
    if (!s.seen)
        return std::nullopt;
    JitRecord r;
    std::copy_n(s.bytes.begin(), r.size(), r.begin());
    return r;
}

std::optional<FblRecord> MainPageData::lastFbl() const
{
    std::lock_guard guard(lock);
    const Slot& s = replies[static_cast<int>(MainAck::Fbl)];
    if (!s.seen)
        return std::nullopt;
    FblRecord r;
    std::copy_n(s.bytes.begin(), r.size(), r.begin());
    return r;
}

std::optional<MainPageData::Writes> MainPageData::writes(const ModeGroup& jit, const ModeGroup& fbl) const
{
    // One look at both records, so the pair comes from the same moment.
    std::lock_guard guard(lock);
    const Slot& j = replies[static_cast<int>(MainAck::Jit)];
    const Slot& f = replies[static_cast<int>(MainAck::Fbl)];
    if (!j.seen || !f.seen)
        return std::nullopt;
    JitRecord jr;
    FblRecord fr;
    std::copy_n(j.bytes.begin(), jr.size(), jr.begin());
    std::copy_n(f.bytes.begin(), fr.size(), fr.begin());
    return Writes{jitWritePayload(jr, jit), fblWritePayload(fr, fbl)};
}

void MainPageData::forgetRecords()
{
    std::lock_guard guard(lock);
    for (Slot& s : replies)
        s = Slot{};
}

} // namespace kzo::pages
