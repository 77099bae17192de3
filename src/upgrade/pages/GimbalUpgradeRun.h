#pragma once
// The internal page's own IMU (gimbal) image transfer: a list of commands
// (the image length, then one 128-byte block each) walked one step per
// acknowledgement from the IMU boot loader. GUI thread only; the frames'
// acknowledgement ids are handed in by the page.
#include "commands/DevCommand.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace kzo::upgrade {

class GimbalUpgradeRun {
public:
    using Sender = std::function<bool(orb::DevCmd&)>;

    enum class Outcome {
        Ignored,  // not for a running transfer
        Sent,     // the next command went out
        Waiting,  // every command sent; waiting for the device's verdict
        Finished, // the device reported the image stored
    };

    explicit GimbalUpgradeRun(Sender send);

    // The length command, then the blocks of the file (the last one
    // zero-filled); data command 0x02B7 for a file stored enciphered (name
    // ending in "c"), 0x02B4 otherwise.
    static std::vector<std::unique_ptr<orb::DevCmd>> buildCommands(std::span<const uint8_t> image, bool enciphered);

    // Arms a transfer of this list; nothing is sent until the loader answers.
    void begin(std::vector<std::unique_ptr<orb::DevCmd>> list);
    // One acknowledgement from the device.
    Outcome onAck(uint16_t ackId);
    // Drops the transfer (leaving the page, time-out).
    void abandon();

    bool running() const { return isRunning; }
    bool started() const { return isStarted; }
    bool done() const { return isDone; }
    int sentCount() const { return sent; }
    int commandCount() const { return static_cast<int>(commands.size()); }
    // Sent commands in percent of the list (0 before the start).
    int percent() const;

private:
    bool sendNext();

    Sender send;
    std::vector<std::unique_ptr<orb::DevCmd>> commands;
    size_t next = 0;
    int sent = 0;
    bool isRunning = false;
    bool isStarted = false;
    bool isDone = false;
};

} // namespace kzo::upgrade
