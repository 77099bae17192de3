#pragma once
// Device replies of the main parameter page as a controller sends them.
#include "pages/AckRecords.h"
#include "protocol/FrameCodec.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kzo::test {

// 0x0284 data: mode word, then three gains.
inline std::vector<uint8_t> jitData(uint16_t mode, uint32_t g1, uint32_t g2, uint32_t g3)
{
    std::vector<uint8_t> d(14, 0);
    kzo::frame::writeU16(d.data(), mode);
    kzo::frame::writeU32(d.data() + 2, g1);
    kzo::frame::writeU32(d.data() + 6, g2);
    kzo::frame::writeU32(d.data() + 10, g3);
    return d;
}

// 0x0281 data: mode word, gains at 7, 11 and 15; every byte the page does
// not name carries its own offset + 0x40, so a zeroed one shows.
inline std::vector<uint8_t> fblData(uint16_t mode, uint32_t g4, uint32_t g5, uint32_t g6)
{
    std::vector<uint8_t> d(35, 0);
    for (size_t i = 0; i < d.size(); ++i)
        d[i] = static_cast<uint8_t>(0x40 + i);
    kzo::frame::writeU16(d.data(), mode);
    kzo::frame::writeU32(d.data() + 7, g4);
    kzo::frame::writeU32(d.data() + 11, g5);
    kzo::frame::writeU32(d.data() + 15, g6);
    return d;
}

// 0x021D data: ten (channel, value) entries of 9 bytes from offset 9.
inline std::vector<uint8_t> channelEntries(std::initializer_list<std::pair<int, int>> entries)
{
    std::vector<uint8_t> d(99, 0);
    int i = 0;
    for (const auto& [channel, value] : entries) {
        uint8_t* e = d.data() + 9 + 9 * i++;
        kzo::frame::writeU16(e, static_cast<uint16_t>(channel));
        kzo::frame::writeU16(e + 2, static_cast<uint16_t>(static_cast<int16_t>(value)));
    }
    return d;
}

inline std::vector<uint8_t> voltageData(uint16_t mv)
{
    std::vector<uint8_t> d(4, 0);
    kzo::frame::writeU16(d.data(), mv);
    return d;
}

// 0x0247 data: first level at 6, cell count at 8, second level at 16, switch at 18.
inline std::vector<uint8_t> protectionData(uint16_t firstMv, uint16_t cells, uint16_t secondMv, uint8_t on)
{
    std::vector<uint8_t> d(20, 0);
    kzo::frame::writeU16(d.data() + 6, firstMv);
    kzo::frame::writeU16(d.data() + 8, cells);
    kzo::frame::writeU16(d.data() + 16, secondMv);
    d[18] = on;
    return d;
}

// 0x020E data: six floats (metres) and the orientation.
inline std::vector<uint8_t> mountingData(std::initializer_list<float> metres, uint32_t orientation)
{
    std::vector<uint8_t> d(28, 0);
    int i = 0;
    for (float m : metres)
        std::memcpy(d.data() + 4 * i++, &m, 4);
    kzo::frame::writeU32(d.data() + 24, orientation);
    return d;
}

// A reply whose data are one leading byte sequence, zero-padded to `size`.
inline std::vector<uint8_t> leading(size_t size, std::initializer_list<uint8_t> bytes)
{
    std::vector<uint8_t> d(size, 0);
    std::copy(bytes.begin(), bytes.end(), d.begin());
    return d;
}

} // namespace kzo::test
