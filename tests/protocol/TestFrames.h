#pragma once
// Builds wire frames the way the device sends them, for decoder and reader tests.
#include "protocol/FrameCodec.h"

#include <cstdint>
#include <vector>

namespace kzo::test {

using Bytes = std::vector<uint8_t>;

// A complete wire frame: sync, 26-byte header, payload, two tail bytes and a
// checksum computed with `seed` (record length = 30 + payload size).
inline Bytes makeFrame(uint16_t commandId, const Bytes& payload, uint16_t seed)
{
    const int total = 34 + static_cast<int>(payload.size());
    Bytes f(static_cast<size_t>(total), 0);
    kzo::frame::buildHeader(f.data(), total, commandId);
    for (size_t i = 0; i < payload.size(); ++i)
        f[30 + i] = payload[i];
    const int L = total - 4;
    const uint16_t c = crc16(f.data() + 4, L - 4, seed);
    f[static_cast<size_t>(L + 2)] = static_cast<uint8_t>(c);
    f[static_cast<size_t>(L + 3)] = static_cast<uint8_t>(c >> 8);
    return f;
}

inline Bytes makeFrame(uint16_t commandId, const Bytes& payload)
{
    return makeFrame(commandId, payload, frameCrcSeed.load());
}

// An acknowledgement: result byte, then `data`.
inline Bytes makeAck(uint16_t ackId, uint8_t result, const Bytes& data)
{
    Bytes payload;
    payload.push_back(result);
    payload.insert(payload.end(), data.begin(), data.end());
    return makeFrame(ackId, payload);
}

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes record(const Bytes& frame) { return Bytes(frame.begin() + 4, frame.end()); }

} // namespace kzo::test
