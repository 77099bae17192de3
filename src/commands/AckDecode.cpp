#include "commands/AckDecode.h"

#include "app/logging/Log.h"
#include "protocol/FrameCodec.h"

namespace orb {

bool ackDecodeBytes(void* out, size_t dataSize, const uint8_t* record, uint16_t ackId)
{
    if (!record || !out)
        return false;
    const uint16_t id = kzo::frame::recordCommandId(record);
    if (id != ackId)
        return false;
    const int len = kzo::frame::recordLength(record);
    const int expected = ackLength(dataSize);
    if (len != expected) {
        logTaggedLevel(3, "Protocol", "Ack Len:%d,desire Len:%d ,ID = 0x%.4x", len, expected, id);
        return false;
    }
    std::memcpy(out, record + kzo::frame::offAckData, dataSize);
    return true;
}

} // namespace orb
