#include "ReplyFrame.h"

#include "protocol/FrameCodec.h"

#include <algorithm>

namespace kzo::devsim {

using namespace kzo::frame;

Bytes makeFrame(uint16_t commandId, std::span<const uint8_t> payload, uint16_t sequence)
{
    const int size = minFrameSize + static_cast<int>(payload.size());
    Bytes frame(static_cast<size_t>(size), 0);
    buildHeader(frame.data(), size, commandId);
    writeU16(frame.data() + syncSize + offSequence, sequence);
    std::copy(payload.begin(), payload.end(), frame.begin() + syncSize + offPayload);
    sealFrame(frame.data(), size); // follows the process-wide checksum settings
    return frame;
}

Bytes makeAck(uint16_t commandId, uint8_t result, std::span<const uint8_t> data, uint16_t sequence)
{
    Bytes payload;
    payload.reserve(1 + data.size());
    payload.push_back(result);
    payload.insert(payload.end(), data.begin(), data.end());
    return makeFrame(commandId, payload, sequence);
}

void putU16(Bytes& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putU32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Request::Request(const uint8_t* rec)
    : record(rec), length(recordLength(rec)), id(recordCommandId(rec)), sequence(readU16(rec + offSequence))
{
    // The record ends with two tail bytes and the checksum, outside the payload.
    const int n = std::max(0, length - offPayload - 4);
    payload = std::span<const uint8_t>(rec + offPayload, static_cast<size_t>(n));
}

uint32_t Request::u32(int payloadOffset) const
{
    if (payloadOffset < 0 || static_cast<size_t>(payloadOffset) + 4 > payload.size())
        return 0;
    return readU32(payload.data() + payloadOffset);
}

} // namespace kzo::devsim
