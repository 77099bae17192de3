#include "paramfiles/BlockFrames.h"

#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "protocol/FrameCodec.h"

#include <cstring>

namespace kzo::paramfiles {

using kzo::frame::readU16;
using kzo::frame::readU32;
using kzo::frame::writeU32;

ReadFrame makeReadFrame(uint32_t address, uint32_t length)
{
    ReadFrame f(orb::cmdid::ParamBlockRead);
    writeU32(f.payload(), address);
    writeU32(f.payload() + 4, length);
    return f;
}

WriteFrame makeWriteFrame(uint32_t address, uint32_t length, const uint8_t* record)
{
    WriteFrame f(orb::cmdid::ParamBlockWrite);
    writeU32(f.payload(), address);
    writeU32(f.payload() + 4, length);
    std::memcpy(f.payload() + 8, record, 130);
    return f;
}

std::optional<BlockReply> decodeBlockReply(const uint8_t* record)
{
    orb::ack_block_u16 raw{};
    if (!orb::ackDecode(raw, record, orb::cmdid::ParamBlockAck))
        return std::nullopt;
    BlockReply r;
    r.address = readU32(raw.block);
    r.word2 = readU32(raw.block + 4);
    r.data = QByteArray(reinterpret_cast<const char*>(raw.block + 8), 128);
    r.blockNumber = readU16(reinterpret_cast<const uint8_t*>(&raw.index));
    return r;
}

std::optional<WriteAck> decodeWriteAck(const uint8_t* record)
{
    orb::ack_u32x2 raw{};
    if (!orb::ackDecode(raw, record, orb::cmdid::ParamBlockWriteAck))
        return std::nullopt;
    WriteAck a;
    a.result = kzo::frame::recordResult(record);
    a.address = readU32(reinterpret_cast<const uint8_t*>(&raw.v[0]));
    a.word2 = readU32(reinterpret_cast<const uint8_t*>(&raw.v[1]));
    return a;
}

} // namespace kzo::paramfiles
