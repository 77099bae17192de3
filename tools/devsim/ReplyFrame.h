#pragma once
// Frames as the device sends them, and a read-only view of a received request.
// The layout itself comes from the shared codec, so it is written only once.
#include <cstdint>
#include <span>
#include <vector>

namespace kzo::devsim {

using Bytes = std::vector<uint8_t>;

// A complete, sealed frame (sync bytes to checksum) carrying payload.
Bytes makeFrame(uint16_t commandId, std::span<const uint8_t> payload, uint16_t sequence = 0);

// An acknowledgement: the result byte, then the acknowledged data.
Bytes makeAck(uint16_t commandId, uint8_t result, std::span<const uint8_t> data = {}, uint16_t sequence = 0);

void putU16(Bytes& out, uint16_t v);
void putU32(Bytes& out, uint32_t v);

// One received frame record (valid only while the record is).
struct Request {
    explicit Request(const uint8_t* record);

    const uint8_t* record;
    int length;        // record length L
    uint16_t id;       // commandId
    uint16_t sequence; // record word at offset 3 (packet number of upgrade packets)
    std::span<const uint8_t> payload; // record bytes 26 .. L-5

    uint32_t u32(int payloadOffset) const;
};

} // namespace kzo::devsim
