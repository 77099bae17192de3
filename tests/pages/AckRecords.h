#pragma once
// Builds acknowledgement frame records as the device sends them: length,
// command identifier, result byte, data, two tail bytes and the checksum.
#include "protocol/FrameCodec.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kzo::test {

inline std::vector<uint8_t> ackRecord(uint16_t id, const std::vector<uint8_t>& data, int lengthAdjust = 0)
{
    const int length = 31 + static_cast<int>(data.size()) + lengthAdjust;
    std::vector<uint8_t> record(static_cast<size_t>(length > 31 ? length : 31) + 8, 0);
    kzo::frame::writeU16(record.data(), static_cast<uint16_t>(length));
    record[2] = 1;
    kzo::frame::writeU16(record.data() + kzo::frame::offCommandId, id);
    for (size_t i = 0; i < data.size(); ++i)
        record[27 + i] = data[i];
    return record;
}

// A record whose payload starts at offset 26 (status reports, handshake answer).
inline std::vector<uint8_t> payloadRecord(uint16_t id, const std::vector<uint8_t>& payload)
{
    const int length = 30 + static_cast<int>(payload.size());
    std::vector<uint8_t> record(static_cast<size_t>(length) + 4, 0);
    kzo::frame::writeU16(record.data(), static_cast<uint16_t>(length));
    record[2] = 1;
    kzo::frame::writeU16(record.data() + kzo::frame::offCommandId, id);
    for (size_t i = 0; i < payload.size(); ++i)
        record[26 + i] = payload[i];
    return record;
}

inline std::vector<uint8_t> words(std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

inline std::vector<uint8_t> channelData(std::initializer_list<int16_t> values)
{
    std::vector<uint8_t> out;
    for (int16_t v : values) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF));
    }
    return out;
}

} // namespace kzo::test
