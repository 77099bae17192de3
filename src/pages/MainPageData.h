#pragma once
// The main parameter page's device data: the eleven replies it reads, how
// they are shown, and the two mode-record writes. Free of widgets so it can
// be driven directly.
//
// acceptFrame() runs on the thread that delivers frames, everything else on
// the GUI thread. The page keeps its own copies of the device records under
// one lock; nothing here sends, so the lock is never held across a write.
#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>

namespace kzo::pages {

// The replies the page reads, in the order of the requests sent on entry.
enum class MainAck : int {
    Jit,        // 0x0284: mode word, pitch, roll and vertical gains
    Fbl,        // 0x0281: mode word, aileron feedback, elevator feed-forward and feedback gains
    Channels,   // 0x021D: ten channel entries
    Voltage,    // 0x0245: battery voltage
    Protection, // 0x0247: voltage protection
    Receiver,   // 0x0297: receiver and cut-off types
    Mounting,   // 0x020E: IMU and GPS locations, IMU orientation
    Mixer,      // 0x020A: mixer type
    IdleSpeed,  // 0x029A: motor idle speed
    Switch,     // 0x0264: switch word
    Failsafe,   // 0x024D: failsafe method, go-home switch
};
inline constexpr int mainAckCount = 11;

struct MainRead {
    uint16_t request;
    uint16_t ack;
    size_t size; // data bytes behind the result byte
};

// Request, reply and reply data size per MainAck, in entry order.
extern const std::array<MainRead, mainAckCount> mainReads;

inline constexpr size_t mainAckSize(MainAck a)
{
    constexpr size_t sizes[mainAckCount] = {14, 35, 99, 4, 20, 2, 28, 33, 8, 40, 23};
    return sizes[static_cast<int>(a)];
}

template <MainAck A>
using MainRecord = std::array<uint8_t, mainAckSize(A)>;

using JitRecord = MainRecord<MainAck::Jit>;
using FblRecord = MainRecord<MainAck::Fbl>;

// One mode group as the device reports it or as the page writes it: three
// 2-bit selections, the enable bit and three gains.
struct ModeGroup {
    std::array<int, 3> fields{};
    bool enabled = false;
    std::array<uint32_t, 3> gains{};
};

ModeGroup decodeJit(const JitRecord& r);
ModeGroup decodeFbl(const FblRecord& r);

// The write payloads: the device's last record with the page's fields laid
// over it. Bytes the page does not name go back as the device gave them.
JitRecord jitWritePayload(const JitRecord& device, const ModeGroup& page);
FblRecord fblWritePayload(const FblRecord& device, const ModeGroup& page);

struct ChannelReading {
    int channel = 0; // 1..8 are shown, anything else is not a monitor channel
    int value = 0;
};
std::array<ChannelReading, 10> decodeChannels(const MainRecord<MainAck::Channels>& r);
// The number beside a channel's bar.
int channelLabelValue(int value);

struct ProtectionSettings {
    bool on = false;
    int cells = 0;
    int firstMv = 0;
    int secondMv = 0;
};
ProtectionSettings decodeProtection(const MainRecord<MainAck::Protection>& r);

struct MountingSettings {
    std::array<float, 3> imu{}; // metres
    std::array<float, 3> gps{};
    uint32_t orientation = 0;
};
MountingSettings decodeMounting(const MainRecord<MainAck::Mounting>& r);

int decodeVoltageMv(const MainRecord<MainAck::Voltage>& r);

// Display texts (translated in the page's context).
QString voltageText(int millivolts);         // "DISCONNECTED" below 4 V, else "12.34 V"
QString protectionLevelText(int millivolts); // "10.50V"
QString locationText(float metres);          // centimetres, up to six significant digits, "cm"
QString mixerText(int v);
QString receiverText(int v);
QString cutOffText(int v);
std::optional<QString> idleSpeedText(int v); // none for a level outside 6..10
QString orientationText(uint32_t v);
QString failsafeText(int v);
QString goHomeText(int v);
QString batteryTypeText(int cells);
QString onOffText(uint32_t v);

// Which mixer picture illustrates a mixer type: the '+'-shaped frame for the
// I layouts, the 'x'-shaped one for the others; none for an unknown type.
enum class MixerPicture { None, Cross, Plus };
MixerPicture mixerPicture(int v);

class MainPageData {
public:
    // Frame filter: copies any of the eleven replies whose length is right
    // (a wrong length is logged and ignored) and reports whether anything
    // waits for a refresh.
    bool acceptFrame(const uint8_t* record);

    // Each returns a reply once after it arrived (consuming its flag).
    template <MainAck A>
    std::optional<MainRecord<A>> take()
    {
        std::lock_guard guard(lock);
        Slot& s = replies[static_cast<int>(A)];
        if (!s.fresh)
            return std::nullopt;
        s.fresh = false;
        MainRecord<A> out;
        std::copy_n(s.bytes.begin(), out.size(), out.begin());
        return out;
    }

    // The last mode records the device sent (whether shown yet or not).
    std::optional<JitRecord> lastJit() const;
    std::optional<FblRecord> lastFbl() const;

    // Write payloads from the page's settings; none unless both mode records
    // of the device linked now have arrived, so nothing is ever written from
    // a record the device did not give.
    struct Writes {
        JitRecord jit;
        FblRecord fbl;
    };
    std::optional<Writes> writes(const ModeGroup& jit, const ModeGroup& fbl) const;

    // A device link ended: its records must not be written to the next one.
    void forgetRecords();

private:
    struct Slot {
        std::array<uint8_t, 99> bytes{}; // room for the largest reply
        bool fresh = false;              // not shown yet
        bool seen = false;               // arrived from the device linked now
    };

    mutable std::mutex lock;
    std::array<Slot, mainAckCount> replies{};
};

} // namespace kzo::pages
