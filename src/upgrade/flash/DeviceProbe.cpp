#include "upgrade/flash/DeviceProbe.h"

#include "app/config/GlobalCfg.h"
#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "protocol/FrameCodec.h"

namespace kzo::flash {

void DeviceProbe::ask(uint8_t target)
{
    module = target;
    // The main controller's reply carries the IMU's words too; the CMU has its own.
    const bool withVersion = target == orb::module::Mc || target == orb::module::Imu || target == orb::module::Cmu;
    versionAsked = withVersion;
    orb::RawFrame<2> request(GlobalCfg::instance()->mcDeviceId);
    request.payload()[0] = orb::module::Mc;
    request.payload()[1] = 0;
    send(request);
    if (!withVersion || !io)
        return;
    io->sendCommand(target == orb::module::Cmu ? orb::cmdid::ReadCmuVersion : orb::cmdid::ReadVersions);
}

void DeviceProbe::onDevEvent(const DevEvent* event)
{
    if (event->kind != EvFrame || !event->data)
        return;
    const uint16_t id = kzo::frame::recordCommandId(event->data);
    if (id == GlobalCfg::instance()->mcConnectId && !statusSeen.load()) {
        if (kzo::frame::recordLength(event->data) > kzo::frame::minFrameSize - kzo::frame::syncSize) {
            status = event->data[kzo::frame::offPayload];
            statusSeen = true;
        }
        return;
    }
    if (!versionAsked.load() || versionSeen.load())
        return;
    const uint8_t target = module.load();
    if (id == orb::cmdid::VersionsAck && target != orb::module::Cmu) {
        orb::ack_u32x4 v{};
        if (orb::ackDecode(v, event->data, orb::cmdid::VersionsAck)) {
            versionWord = target == orb::module::Mc ? v.v[2] : v.v[1];
            versionSeen = true;
        }
    } else if (id == orb::cmdid::CmuVersionAck && target == orb::module::Cmu) {
        orb::ack_u32x2 v{};
        if (orb::ackDecode(v, event->data, orb::cmdid::CmuVersionAck)) {
            versionWord = v.v[0];
            versionSeen = true;
        }
    }
}

QString DeviceProbe::versionBefore() const
{
    if (!versionSeen.load())
        return {};
    const uint32_t w = versionWord.load();
    // Top byte and low byte, as the window shows versions.
    return QStringLiteral("%1.%2").arg((w >> 24) & 0xFF).arg(w & 0xFF);
}

} // namespace kzo::flash
