#pragma once
// The frames of the parameter-memory exchange: 0x0292 reads one block
// (answer 0x0293), 0x0294 writes one block (answer 0x0295). Builders are
// pure; the readers check identifier and record length like every fixed-
// layout acknowledgement reader (a wrong length is logged and refused).
#include "commands/DevCommand.h"

#include <QByteArray>
#include <QMetaType>
#include <cstdint>
#include <optional>

namespace kzo::paramfiles {

using ReadFrame = orb::RawFrame<8>; // u32 address, u32 length: 42 bytes
using WriteFrame = orb::RawFrame<138>; // u32 address, u32 length, one file record: 172 bytes

ReadFrame makeReadFrame(uint32_t address, uint32_t length);
// record must point at 130 bytes (128 data bytes and the block number).
WriteFrame makeWriteFrame(uint32_t address, uint32_t length, const uint8_t* record);

// 0x0293, record length 169.
struct BlockReply {
    uint32_t address = 0;
    uint32_t word2 = 0; // meaning unknown; ignored
    QByteArray data; // 128 bytes
    uint16_t blockNumber = 0; // as the controller sent it
};

// 0x0295, record length 39. Result 0 means the block was refused.
struct WriteAck {
    uint8_t result = 0;
    uint32_t address = 0;
    uint32_t word2 = 0;
};

// Nothing for another identifier (silently) or a wrong length (logged).
std::optional<BlockReply> decodeBlockReply(const uint8_t* record);
std::optional<WriteAck> decodeWriteAck(const uint8_t* record);

} // namespace kzo::paramfiles

Q_DECLARE_METATYPE(kzo::paramfiles::BlockReply)
Q_DECLARE_METATYPE(kzo::paramfiles::WriteAck)
