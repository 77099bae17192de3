#pragma once
// The simulator's single-threaded event loop: poll() on the pty master and a
// signal descriptor; received bytes are cut into frames by the shared
// receive assembler and handed to the device; replies leave through the
// link writer when due.
#include "DeviceSim.h"
#include "LinkWriter.h"
#include "PtyPort.h"
#include "protocol/ReceiveAssembler.h"

#include <chrono>
#include <optional>
#include <string>

namespace kzo::devsim {

struct LoopLimits {
    std::optional<Clock::time_point> stopAt;   // --duration
    std::optional<Clock::time_point> unplugAt; // --unplug-after
    std::optional<Clock::duration> replugAfter; // --replug-after
    std::string link;                           // --link, made again on a re-plug
};

// Blocks SIGINT, SIGTERM (stop) and SIGUSR1 (unplug) so they wait for the loop.
void blockLoopSignals();

class SimLoop {
public:
    SimLoop(PtyPort& port, LinkWriter& writer, DeviceSim& device, LoopLimits limits)
        : port_(port), writer_(writer), device_(device), limits_(limits)
    {
    }

    // Runs until a signal, the duration or the unplug time; returns the exit code.
    int run();

private:
    // Closes the pty as if the device was pulled out; false when the run
    // ends with it (no re-plug asked for).
    bool unplug(Clock::time_point now);
    // A new pty behind the same link; false when it cannot be made.
    bool replug();
    bool plugged() const { return port_.masterFd() >= 0; }
    int timeoutMs(Clock::time_point now) const;
    bool readMaster(Clock::time_point now);

    PtyPort& port_;
    LinkWriter& writer_;
    DeviceSim& device_;
    LoopLimits limits_;
    kzo::frame::ReceiveAssembler assembler_;
    std::optional<Clock::time_point> replugAt_;
};

} // namespace kzo::devsim
