#include "FcModel.h"

#include "commands/CommandCatalogue.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace kzo::devsim {

namespace id = orb::cmdid;

namespace {

void setU16(Bytes& b, int off, uint16_t v)
{
    b[static_cast<size_t>(off)] = static_cast<uint8_t>(v);
    b[static_cast<size_t>(off) + 1] = static_cast<uint8_t>(v >> 8);
}

void setU32(Bytes& b, int off, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[static_cast<size_t>(off + i)] = static_cast<uint8_t>(v >> (8 * i));
}

void setF32(Bytes& b, int off, float f)
{
    setU32(b, off, std::bit_cast<uint32_t>(f));
}

double wave(double t, double period, double phase)
{
    return std::sin(2.0 * std::numbers::pi * t / period + phase);
}

} // namespace

const std::vector<FcModel::Read>& FcModel::reads()
{
    // In the order the page asks for them when it is entered.
    static const std::vector<Read> table = {
        {id::FcJitRead, id::FcJitAck, jitSize, "read JIT mode and gains", true, false},
        {id::FcFblRead, id::FcFblAck, fblSize, "read FBL mode and gains", true, false},
        {id::FcChannelsRead, id::FcChannelsAck, 99, "read RC channels", true, true},
        {id::FcVoltageRead, id::FcVoltageAck, 4, "read battery voltage", true, true},
        {id::FcProtectionRead, id::FcProtectionAck, 20, "read voltage protection", false, false},
        {id::FcReceiverRead, id::FcReceiverAck, 2, "read receiver and cut-off type", false, false},
        {id::FcMountingRead, id::FcMountingAck, 28, "read mounting", false, false},
        {id::FcMixerRead, id::FcMixerAck, 33, "read mixer type", false, false},
        {id::FcIdleSpeedRead, id::FcIdleSpeedAck, 8, "read motor idle speed", false, false},
        {id::FcSwitchRead, id::FcSwitchAck, 40, "read switch word", false, false},
        {id::FcFailsafeRead, id::FcFailsafeAck, 23, "read failsafe", false, false},
    };
    return table;
}

const FcModel::Read* FcModel::readFor(uint16_t request)
{
    for (const Read& r : reads())
        if (r.request == request)
            return &r;
    return nullptr;
}

const FcModel::Read* FcModel::readOfAck(uint16_t ack)
{
    for (const Read& r : reads())
        if (r.ack == ack)
            return &r;
    return nullptr;
}

FcModel::FcModel(FcOptions options) : options_(std::move(options))
{
    reset();
}

void FcModel::reset()
{
    stored_.clear();
    for (const Read& r : reads())
        if (!r.live)
            stored_[r.ack] = Bytes(static_cast<size_t>(r.dataSize), 0);

    // JIT: J1 = 1, J2 = 0, J3 = 2; pitch, roll, vertical gains in percent.
    Bytes& jit = stored_[id::FcJitAck];
    setU16(jit, 0, static_cast<uint16_t>(groupEnabled | 1 | (0 << 2) | (2 << 4)));
    setU32(jit, 2, 100);
    setU32(jit, 6, 120);
    setU32(jit, 10, 90);

    // FBL: F1 = 1, F2 = 2, F3 = 0; aileron feedback, elevator feed-forward and
    // feedback gains. The bytes the page does not name carry a pattern, so a
    // write that zeroes them shows.
    Bytes& fbl = stored_[id::FcFblAck];
    for (int i = 2; i < fblSize; ++i)
        fbl[static_cast<size_t>(i)] = static_cast<uint8_t>(0xA0 + i);
    setU16(fbl, 0, static_cast<uint16_t>(groupEnabled | (1 << 2) | (2 << 4) | (0 << 6)));
    setU32(fbl, fblGain1, 80);
    setU32(fbl, fblGain1 + 4, 60);
    setU32(fbl, fblGain1 + 8, 70);

    // Voltage protection for a 3S pack: 10.80 V first level, 10.50 V second, on.
    Bytes& prot = stored_[id::FcProtectionAck];
    setU16(prot, 6, 10800);
    setU16(prot, 8, 3);
    setU16(prot, 16, 10500);
    prot[18] = 1;

    Bytes& rx = stored_[id::FcReceiverAck];
    rx[0] = 2; // D-Bus
    rx[1] = 1; // intelligent cut-off

    // IMU and GPS mounting in metres, IMU facing forward.
    Bytes& mount = stored_[id::FcMountingAck];
    const float locations[6] = {0.02f, -0.01f, 0.05f, -0.03f, 0.0f, -0.12f};
    for (int i = 0; i < 6; ++i)
        setF32(mount, 4 * i, locations[i]);
    setU32(mount, 24, 0);

    stored_[id::FcMixerAck][0] = 2;     // Quad-rotor X
    stored_[id::FcIdleSpeedAck][0] = 8; // recommended
    setU16(stored_[id::FcSwitchAck], 0, 1);
    Bytes& fs = stored_[id::FcFailsafeAck];
    fs[1] = 1; // go-home and landing
    fs[2] = 1; // go-home switch on

    // Normal flight habits (byte 4 bit 0 clear); the other bytes are not zero,
    // so a write that loses them shows.
    habits_ = Bytes{0x01, 0x00, 0x64, 0x00, 0x10, 0x00, 0x32, 0x00};

    for (const FcByte& b : options_.bytes) {
        const auto it = stored_.find(b.ack);
        if (it != stored_.end() && b.offset >= 0 && static_cast<size_t>(b.offset) < it->second.size())
            it->second[static_cast<size_t>(b.offset)] = b.value;
    }
    keepEnabledBit(stored_[id::FcJitAck], options_.jitDisabled);
    keepEnabledBit(stored_[id::FcFblAck], options_.fblDisabled);
}

void FcModel::keepEnabledBit(Bytes& record, bool disabled) const
{
    record[1] = static_cast<uint8_t>(disabled ? record[1] & 0x7F : record[1] | 0x80);
}

std::string FcModel::describe(uint16_t ack, const Bytes& d)
{
    auto u16 = [&](size_t off) { return off + 2 <= d.size() ? static_cast<unsigned>(d[off] | d[off + 1] << 8) : 0u; };
    auto u32 = [&](size_t off) { return off + 4 <= d.size() ? (u16(off) | u16(off + 2) << 16) : 0u; };
    char buf[160];
    if (ack == id::FcJitAck) {
        const unsigned m = u16(0);
        std::snprintf(buf, sizeof buf, "mode word 0x%.4x (J1 %u, J2 %u, J3 %u), gains %u %u %u", m, m & 3, (m >> 2) & 3,
                      (m >> 4) & 3, u32(2), u32(6), u32(10));
        return buf;
    }
    if (ack == id::FcFblAck) {
        const unsigned m = u16(0);
        std::snprintf(buf, sizeof buf, "mode word 0x%.4x (F1 %u, F2 %u, F3 %u), gains %u %u %u", m, (m >> 2) & 3,
                      (m >> 4) & 3, (m >> 6) & 3, u32(fblGain1), u32(fblGain1 + 4), u32(fblGain1 + 8));
        std::string out = buf;
        out += ", other bytes";
        for (size_t i = 2; i < d.size(); ++i) {
            if (i >= static_cast<size_t>(fblGain1) && i < static_cast<size_t>(fblGain1 + 12))
                continue;
            std::snprintf(buf, sizeof buf, " %02x", d[i]);
            out += buf;
        }
        return out;
    }
    if (ack == id::FcVoltageAck) {
        std::snprintf(buf, sizeof buf, "battery %u mV", u16(0));
        return buf;
    }
    if (ack == id::FcChannelsAck) {
        std::string out = "channels";
        for (int e = 0; e < channelEntries; ++e) {
            const size_t off = static_cast<size_t>(channelOffset + e * channelEntrySize);
            std::snprintf(buf, sizeof buf, " %u:%d", u16(off), static_cast<int16_t>(u16(off + 2)));
            out += buf;
        }
        return out;
    }
    const Read* r = readOfAck(ack);
    std::string out = r ? std::string(r->name).substr(5) : std::string("record"); // "read " left off
    for (size_t i = 0; i < d.size() && i < 20; ++i) {
        std::snprintf(buf, sizeof buf, "%s%02x", i == 0 ? ": " : " ", d[i]);
        out += buf;
    }
    return out + (d.size() > 20 ? " ..." : "");
}

Bytes FcModel::record(uint16_t ack, double seconds)
{
    if (ack == id::FcChannelsAck)
        return channels(seconds);
    if (ack == id::FcVoltageAck)
        return voltage(seconds);
    // Every other record is a stored setting.
    const auto it = stored_.find(ack);
    return it == stored_.end() ? Bytes{} : it->second;
}

void FcModel::writeJit(std::span<const uint8_t> payload)
{
    Bytes& jit = stored_[id::FcJitAck];
    std::copy_n(payload.begin(), std::min<size_t>(payload.size(), jitSize), jit.begin());
    keepEnabledBit(jit, options_.jitDisabled);
}

void FcModel::writeFbl(std::span<const uint8_t> payload)
{
    Bytes& fbl = stored_[id::FcFblAck];
    std::copy_n(payload.begin(), std::min<size_t>(payload.size(), fblSize), fbl.begin());
    keepEnabledBit(fbl, options_.fblDisabled);
}

void FcModel::writeHabits(std::span<const uint8_t> payload)
{
    std::copy_n(payload.begin(), std::min<size_t>(payload.size(), habitsSize), habits_.begin());
}

Bytes FcModel::channels(double t) const
{
    // Channels 1..8 move like sticks and switches; two more entries carry
    // numbers the page must skip. Channels 1 and 5 overshoot +-1000 at their peaks.
    const int16_t values[channelEntries] = {
        static_cast<int16_t>(std::lround(1100 * wave(t, 4.0, 0.0))),
        static_cast<int16_t>(std::lround(900 * wave(t, 6.0, 1.0))),
        static_cast<int16_t>(std::lround(1000 * wave(t, 8.0, 2.0))),
        static_cast<int16_t>(std::lround(800 * wave(t, 10.0, 0.5))),
        static_cast<int16_t>(std::lround(1250 * wave(t, 5.0, 1.5))),
        static_cast<int16_t>(static_cast<int>(t / 2.0) % 3 * 1000 - 1000), // three-position switch
        static_cast<int16_t>(static_cast<int>(t / 3.0) % 2 == 0 ? -1000 : 1000),
        static_cast<int16_t>(std::lround(500 * wave(t, 12.0, 0.0))),
        1500, // channel 0
        -1200, // channel 12
    };
    const uint16_t numbers[channelEntries] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 12};
    Bytes d(static_cast<size_t>(channelOffset + channelEntries * channelEntrySize), 0);
    for (int i = 0; i < channelEntries; ++i) {
        const int off = channelOffset + i * channelEntrySize;
        setU16(d, off, numbers[i]);
        setU16(d, off + 2, static_cast<uint16_t>(values[i]));
    }
    return d;
}

Bytes FcModel::voltage(double t)
{
    ++voltageReadings_;
    int mv = 11400 + static_cast<int>(std::lround(600 * wave(t, 30.0, 0.0))); // a 3S pack, 10.8 .. 12.0 V
    if (options_.voltageMv)
        mv = *options_.voltageMv;
    if (options_.voltageDips && voltageReadings_ % 5 == 0)
        mv = 3500; // battery unplugged for a moment
    Bytes d(4, 0);
    setU16(d, 0, static_cast<uint16_t>(mv));
    return d;
}

} // namespace kzo::devsim
