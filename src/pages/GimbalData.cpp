#include "pages/GimbalData.h"

#include "commands/AckDecode.h"
#include "pages/TakeOnce.h"
#include "commands/CommandCatalogue.h"
#include "protocol/FrameCodec.h"

#include <cstring>

namespace kzo::pages {

using namespace orb::cmdid;

GimbalData::GimbalData(Sender sender, RetryStarter retryStarter)
    : send(std::move(sender)), startRetry(std::move(retryStarter))
{
}

bool GimbalData::acceptFrame(const uint8_t* record)
{
    const uint16_t id = kzo::frame::recordCommandId(record);

    // Record 1 acknowledged: now the held-back record 2 may follow.
    std::optional<GimbalRecord> second;
    {
        std::lock_guard guard(lock);
        if (secondPending && id == GimbalRecord1Ack) {
            secondPending = false;
            second = pendingSecond;
            out1 = blankRecord;
            out2 = blankRecord;
            retryCount = 0;
        }
    }
    if (second) {
        send(GimbalRecord2Write, *second);
        startRetry();
    }

    GimbalRecord r{};
    orb::ack_u32x4 ch{};
    orb::ack_u32 cam{};
    std::lock_guard guard(lock);
    if (orb::ackDecodeBytes(r.data(), r.size(), record, GimbalRecord1Ack)) {
        read1 = r;
        new1 = true;
    } else if (orb::ackDecodeBytes(r.data(), r.size(), record, GimbalRecord2Ack)) {
        read2 = r;
        new2 = true;
    } else if (orb::ackDecode(ch, record, GimbalChannelsAck)) {
        const uint8_t* p = record + kzo::frame::offAckData;
        for (int i = 0; i < 8; ++i)
            channels[i] = static_cast<int16_t>(kzo::frame::readU16(p + 2 * i));
        newChannels = true;
    } else if (orb::ackDecode(cam, record, CameraStateAck)) {
        cameraState = kzo::frame::readU32(record + kzo::frame::offAckData);
        newCamera = true;
    }
    return new1 || new2 || newChannels || newCamera;
}

std::optional<GimbalRecord> GimbalData::takeRecord1()
{
    std::lock_guard guard(lock);
    return takeIfFresh(new1, read1);
}

std::optional<GimbalRecord> GimbalData::takeRecord2()
{
    std::lock_guard guard(lock);
    return takeIfFresh(new2, read2);
}

std::optional<GimbalChannels> GimbalData::takeChannels()
{
    std::lock_guard guard(lock);
    return takeIfFresh(newChannels, channels);
}

std::optional<uint32_t> GimbalData::takeCameraState()
{
    std::lock_guard guard(lock);
    return takeIfFresh(newCamera, cameraState);
}

GimbalData::WriteOutcome GimbalData::write(const GimbalRecord& record1, const GimbalRecord& record2)
{
    WriteOutcome outcome;
    {
        std::lock_guard guard(lock);
        if (!link)
            return WriteOutcome::Offline;
        const bool changed1 = record1 != out1;
        const bool changed2 = record2 != out2;
        out1 = record1;
        out2 = record2;
        if (!changed1 && !changed2)
            return WriteOutcome::Nothing;
        // Fresh data supersede re-sends of an older record 2 still under way,
        // which would otherwise overwrite this write on the device.
        retryCount = 3;
        if (changed1 && changed2) {
            pendingSecond = record2;
            secondPending = true;
            outcome = WriteOutcome::Both;
        } else {
            secondPending = false;
            outcome = changed1 ? WriteOutcome::Record1 : WriteOutcome::Record2;
        }
    }
    if (outcome == WriteOutcome::Record2)
        send(GimbalRecord2Write, record2);
    else
        send(GimbalRecord1Write, record1);
    return outcome;
}

bool GimbalData::retryTick()
{
    GimbalRecord again;
    {
        std::lock_guard guard(lock);
        const int n = retryCount++;
        if (!link) {
            retryCount = 3; // stays stopped, also once a device is back
            return false;
        }
        if (n < -1 || n > 2) {
            retryCount = 0;
            return false;
        }
        again = pendingSecond;
    }
    send(GimbalRecord2Write, again);
    return true;
}

GimbalRecord GimbalData::written1() const
{
    std::lock_guard guard(lock);
    return out1;
}

GimbalRecord GimbalData::written2() const
{
    std::lock_guard guard(lock);
    return out2;
}

bool GimbalData::secondWritePending() const
{
    std::lock_guard guard(lock);
    return secondPending;
}

void GimbalData::setLinkUp(bool up)
{
    std::lock_guard guard(lock);
    link = up;
    if (up)
        return;
    secondPending = false;
    retryCount = 3; // a retry tick still due stops the timer without a re-send
    out1 = blankRecord;
    out2 = blankRecord;
    newChannels = false;
}

bool GimbalData::linkUp() const
{
    std::lock_guard guard(lock);
    return link;
}

void GimbalData::sendIfLinked(uint16_t commandId, std::span<const uint8_t> payload)
{
    if (linkUp())
        send(commandId, payload);
}

void GimbalData::requestChannels() { sendIfLinked(GimbalChannelsRead); }

void GimbalData::requestRecords()
{
    sendIfLinked(GimbalRecord1Read);
    sendIfLinked(GimbalRecord2Read);
}

void GimbalData::requestAll()
{
    sendIfLinked(GimbalRecord1Read);
    sendIfLinked(GimbalRecord2Read);
    sendIfLinked(GimbalChannelsRead);
    sendIfLinked(CameraStateRead);
}

void GimbalData::setCameraCharging(bool on) { sendIfLinked(on ? CameraChargeOn : CameraChargeOff); }

} // namespace kzo::pages
