#pragma once
// The flight controller's settings and live readings as the main parameter
// page reads them: eleven records, each answered whole to its parameterless
// request, and the two mode records that the page writes back.
//
// Data offsets count from the first byte behind the result byte.
//
//  request  ack     data  content
//  0x0283   0x0284  14    u16 JIT mode word (2-bit fields in bits 0-1, 2-3, 4-5;
//                         bit 15 group enabled), u32 gains at 2, 6, 10
//  0x0280   0x0281  35    u16 FBL mode word (fields in bits 2-3, 4-5, 6-7; bit 15),
//                         u32 gains at 7, 11, 15, the other bytes as last written
//  0x021C   0x021D  99    10 channel entries of 9 bytes from offset 9:
//                         u16 channel number, i16 value, 5 zero bytes
//  0x0244   0x0245  4     u16 battery voltage in mV at 0
//  0x0246   0x0247  20    u16 first level mV at 6, u16 cell count at 8,
//                         u16 second level mV at 16, protection switch byte at 18
//  0x0298   0x0297  2     receiver type byte at 0, cut-off type byte at 1
//  0x020D   0x020E  28    six floats at 0 (IMU x, y, z and GPS x, y, z in metres),
//                         u32 IMU orientation at 24
//  0x0209   0x020A  33    mixer type byte at 0
//  0x029B   0x029A  8     idle-speed level byte at 0
//  0x0262   0x0264  40    u16 switch word at 0
//  0x024C   0x024D  23    failsafe method byte at 1, go-home switch byte at 2
#include "ReplyFrame.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kzo::devsim {

// One data byte of a stored record set from the command line (--fc-byte).
struct FcByte {
    uint16_t ack = 0;
    int offset = 0;
    uint8_t value = 0;
};

struct FcOptions {
    bool jitDisabled = false;          // --fc-group-disabled jit: bit 15 of the JIT mode word clear
    bool fblDisabled = false;          // --fc-group-disabled fbl
    std::optional<int> voltageMv;      // --fc-voltage MV: every reading this value
    bool voltageDips = false;          // --fc-voltage-dips: every fifth reading below 4000 mV
    std::vector<FcByte> bytes;         // --fc-byte ACK,OFFSET,VALUE
};

class FcModel {
public:
    static constexpr int channelEntries = 10;
    static constexpr int channelEntrySize = 9;
    static constexpr int channelOffset = 9;
    static constexpr uint16_t groupEnabled = 0x8000;

    // One request of the main parameter page and the record that answers it.
    struct Read {
        uint16_t request;
        uint16_t ack;
        int dataSize;
        const char* name;
        bool polled; // asked for several times a second while the page is shown
        bool live;   // a reading that moves by itself, not a stored setting
    };
    static const std::vector<Read>& reads();
    static const Read* readFor(uint16_t request);
    static const Read* readOfAck(uint16_t ack);

    explicit FcModel(FcOptions options);

    // Back to the factory settings (restore defaults); the live readings go on.
    void reset();

    // The data behind the result byte for an acknowledgement id of reads(),
    // at `seconds` since start.
    Bytes record(uint16_t ack, double seconds);

    // One line for the log: the named fields of a record (or of a write, whose
    // payload has the same layout as the record it changes).
    static std::string describe(uint16_t ack, const Bytes& data);

    // The two writes (payload 14 and 35 bytes): stored whole, as sent; the
    // group-enabled bit stays the device's own.
    void writeJit(std::span<const uint8_t> payload);
    void writeFbl(std::span<const uint8_t> payload);

    // The flight-habits record (0x0503 writes it, 0x0504 answers with it):
    // 8 bytes, bit 0 of byte 4 set = novice.
    static constexpr int habitsSize = 8;
    const Bytes& habits() const { return habits_; }
    void writeHabits(std::span<const uint8_t> payload);

    static constexpr int jitSize = 14;
    static constexpr int fblSize = 35;
    static constexpr int fblGain1 = 7;

private:
    Bytes channels(double seconds) const;
    Bytes voltage(double seconds);
    void keepEnabledBit(Bytes& record, bool disabled) const;

    FcOptions options_;
    std::map<uint16_t, Bytes> stored_; // every record but the live ones
    Bytes habits_;
    int voltageReadings_ = 0;
};

} // namespace kzo::devsim
