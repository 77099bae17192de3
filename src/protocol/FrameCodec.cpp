#include "protocol/FrameCodec.h"

#include "app/logging/Log.h"

#include <array>

std::atomic<uint16_t> frameCrcSeed{0x0013};
std::atomic<bool> frameCrcEnabled{true};

namespace {

// Slice k maps a byte to its checksum contribution when k zero bytes follow
// it; slice 0 is the classic one-byte table (polynomial 0x8408, reflected).
using CrcTables = std::array<std::array<uint16_t, 256>, 8>;

constexpr CrcTables makeCrcTables()
{
    CrcTables t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t r = static_cast<uint16_t>(i);
        for (int b = 0; b < 8; ++b)
            r = (r & 1) ? static_cast<uint16_t>((r >> 1) ^ 0x8408) : static_cast<uint16_t>(r >> 1);
        t[0][i] = r;
    }
    for (size_t k = 1; k < t.size(); ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr CrcTables crcTables = makeCrcTables();
static_assert(crcTables[0][1] == 0x1189 && crcTables[0][128] == 0x8408);

bool isSyncAt(const uint8_t* p)
{
    return p[0] == 0x55 && p[1] == 0xAA && p[2] == 0x55 && p[3] == 0xAA;
}

} // namespace

uint16_t crc16(const uint8_t* data, int count, uint16_t seed)
{
    if (!data)
        return 0xFFFF;
    const auto& t = crcTables;
    uint32_t reg = seed;
    int i = 0;
    // Eight bytes per step: the register folds into the first two, and each
    // byte's effect is looked up in the slice for its distance from the end.
    for (; i + 8 <= count; i += 8) {
        const uint8_t* p = data + i;
        const uint32_t lo = reg ^ (p[0] | (static_cast<uint32_t>(p[1]) << 8));
        reg = static_cast<uint32_t>(t[7][lo & 0xFF] ^ t[6][lo >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]]
            ^ t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    }
    for (; i < count; ++i)
        reg = t[0][(data[i] ^ reg) & 0xFF] ^ (reg >> 8);
    return static_cast<uint16_t>(reg);
}

bool sealFrame(uint8_t* frame, int size)
{
    if (!frameCrcEnabled.load(std::memory_order_relaxed))
        return true;
    if (!frame || size < 6)
        return false;
    const int L = kzo::frame::readU16(frame + 4);
    if (L + 4 != size)
        return false;
    if (L != 0) {
        if (L < 4)
            return false; // no room for a checksum: refuse instead of writing outside
        const uint16_t c = crc16(frame + 4, L - 4, frameCrcSeed.load(std::memory_order_relaxed));
        frame[L + 2] = static_cast<uint8_t>(c);
        frame[L + 3] = static_cast<uint8_t>(c >> 8);
    }
    return true;
}

int findSync(const uint8_t* buf, int n)
{
    if (n < 8)
        return -1;
    // Scan with memchr for the first sync byte: most bytes are skipped in bulk.
    int i = 0;
    const int last = n - 5;
    while (i <= last) {
        const void* hit = std::memchr(buf + i, 0x55, static_cast<size_t>(last - i + 1));
        if (!hit)
            return -1;
        i = static_cast<int>(static_cast<const uint8_t*>(hit) - buf);
        if (isSyncAt(buf + i))
            return i + 4;
        ++i;
    }
    return -1;
}

int extractFrame(const uint8_t* buf, int n, uint8_t* out, bool& ok)
{
    ok = false;
    const int pos = findSync(buf, n);
    if (pos < 0)
        return 0;
    const int rest = n - pos;
    if (rest < 8)
        return 0;
    const int next = findSync(buf + pos, rest);
    const int span = next < 0 ? rest : next - 4;
    const int L = kzo::frame::readU16(buf + pos);
    if (L > kzo::frame::maxFrameLength)
        return pos + span;
    if (L == span) {
        std::memcpy(out, buf + pos, static_cast<size_t>(L));
        ok = true;
        return pos + span;
    }
    if (next < 0)
        return 0;
    return pos + span;
}

int decodeFrame(const uint8_t* buf, int n, uint8_t* out, bool& ok)
{
    const int consumed = extractFrame(buf, n, out, ok);
    if (!ok)
        return consumed;
    const int L = kzo::frame::readU16(out);
    // Too short to hold the header and the checksum: never a frame, whatever
    // the settings. Listeners read the identifier and result at fixed
    // offsets, which would be a previous frame's bytes in the work buffer.
    if (L < kzo::frame::minFrameSize - kzo::frame::syncSize) {
        ok = false;
        return consumed;
    }
    if (frameCrcEnabled.load(std::memory_order_relaxed)) {
        const uint16_t c = crc16(out, L - 4, frameCrcSeed.load(std::memory_order_relaxed));
        if (c != kzo::frame::readU16(out + L - 2)) {
            const unsigned id = kzo::frame::recordCommandId(out);
            logTaggedLevel(2, "Decoder", "Checksum error %x", id);
            ok = false;
        }
    }
    return consumed;
}

namespace kzo::frame {

void buildHeader(uint8_t* frame, int totalSize, uint16_t commandId)
{
    writeU32(frame, frameSync);
    uint8_t* rec = frame + syncSize;
    writeU16(rec + offLength, static_cast<uint16_t>(totalSize - syncSize));
    rec[offFixedA] = 1;
    writeU16(rec + offSequence, 0);
    writeU16(rec + offCommandId, commandId);
    writeU16(rec + offFixedC, 0x8000);
    rec[offFixedD] = 0;
}

} // namespace kzo::frame
