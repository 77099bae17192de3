#include "protocol/DevAckID.h"

#include "app/logging/Log.h"
#include "protocol/FrameCodec.h"

#include <algorithm>

namespace orb {

void DevAckID::onDevEvent(const DevEvent* event)
{
    if (!event || event->kind != EvFrame || !event->data)
        return;
    if (!printAcks.load())
        return;
    const uint16_t id = kzo::frame::recordCommandId(event->data);
    if (std::find(silentAckIds.begin(), silentAckIds.end(), id) != silentAckIds.end())
        return;
    logTagged("RECV", "ID : 0x%.4X  result 0x%.2X", id, kzo::frame::recordResult(event->data));
}

} // namespace orb
