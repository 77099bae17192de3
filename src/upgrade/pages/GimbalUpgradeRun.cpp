#include "upgrade/pages/GimbalUpgradeRun.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/PayloadTypes.h"

#include <algorithm>
#include <cstring>

namespace kzo::upgrade {

namespace {
constexpr size_t blockBytes = sizeof(cmd_gimbal_data);
}

GimbalUpgradeRun::GimbalUpgradeRun(Sender send) : send(std::move(send)) {}

std::vector<std::unique_ptr<orb::DevCmd>> GimbalUpgradeRun::buildCommands(std::span<const uint8_t> image,
                                                                           bool enciphered)
{
    std::vector<std::unique_ptr<orb::DevCmd>> out;
    auto length = std::make_unique<orb::DevCmdWriteT<cmd_gimbal_length>>(orb::cmdid::ImuLength);
    kzo::frame::writeU32(length->payload(), static_cast<uint32_t>(image.size()));
    out.push_back(std::move(length));
    const uint16_t dataId = enciphered ? orb::cmdid::ImuBlock : orb::cmdid::ImuBlockAlt;
    for (size_t at = 0; at < image.size(); at += blockBytes) {
        const size_t n = std::min(blockBytes, image.size() - at);
        auto block = std::make_unique<orb::DevCmdWriteT<cmd_gimbal_data>>(dataId);
        std::memcpy(block->data()->data, image.data() + at, n);
        out.push_back(std::move(block));
    }
    return out;
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
