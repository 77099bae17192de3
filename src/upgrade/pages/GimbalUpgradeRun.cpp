#include "upgrade/pages/GimbalUpgradeRun.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "upgrade/ImagePackets.h"

#include <iterator>

namespace kzo::upgrade {

GimbalUpgradeRun::GimbalUpgradeRun(Sender send) : send(std::move(send)) {}

std::vector<std::unique_ptr<orb::DevCmd>> GimbalUpgradeRun::buildCommands(std::span<const uint8_t> image,
                                                                           bool enciphered)
{
    orb::upgrade::ImuPacketList packets =
        orb::upgrade::buildImuImage(image, enciphered ? orb::cmdid::ImuBlock : orb::cmdid::ImuBlockAlt);
    return {std::make_move_iterator(packets.begin()), std::make_move_iterator(packets.end())};
}

void GimbalUpgradeRun::begin(std::vector<std::unique_ptr<orb::DevCmd>> list)
{
    commands = std::move(list);
    next = 0;
    sent = 0;
    isRunning = true;
    isStarted = false;
    isDone = false;
}

bool GimbalUpgradeRun::sendNext()
{
    // The list ends here: later acknowledgements only wait for the verdict.
    if (next >= commands.size())
        return false;
    send(*commands[next]);
    ++next;
    ++sent;
    return true;
}

GimbalUpgradeRun::Outcome GimbalUpgradeRun::onAck(uint16_t ackId)
{
    if (!isRunning)
        return Outcome::Ignored;
    switch (ackId) {
    case orb::cmdid::ImuLoaderReady:
        logStdout("CMD_ID_GIMBAL_UPGRADE_LOADER_ACK!!!\n");
        // The loader repeats itself while it waits; the list starts once.
        if (isStarted)
            return Outcome::Ignored;
        isStarted = true;
        return sendNext() ? Outcome::Sent : Outcome::Waiting;
    case orb::cmdid::ImuLengthAck:
    case orb::cmdid::ImuBlockAck:
        if (!isStarted)
            return Outcome::Ignored;
        return sendNext() ? Outcome::Sent : Outcome::Waiting;
    case orb::cmdid::ImuDone:
        if (!isStarted)
            return Outcome::Ignored;
        logMessage("Upgrade success!");
        commands.clear();
        next = 0;
        isRunning = false;
        isStarted = false;
        isDone = true;
        return Outcome::Finished;
    default:
        return Outcome::Ignored;
    }
}

void GimbalUpgradeRun::abandon()
{
    commands.clear();
    next = 0;
    isRunning = false;
    isStarted = false;
}

int GimbalUpgradeRun::percent() const
{
    if (commands.empty())
        return isDone ? 100 : 0;
    return sent * 100 / static_cast<int>(commands.size());
}

} // namespace kzo::upgrade
