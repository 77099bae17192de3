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

namespace kzo::devsim {

struct LoopLimits {
    std::optional<Clock::time_point> stopAt;   // --duration
    std::optional<Clock::time_point> unplugAt; // --unplug-after
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
    // Closes the pty as if the device was pulled out; the run ends.
    int unplug();
    int timeoutMs(Clock::time_point now) const;
    bool readMaster(Clock::time_point now);

    PtyPort& port_;
    LinkWriter& writer_;
    DeviceSim& device_;
    LoopLimits limits_;
    kzo::frame::ReceiveAssembler assembler_;
};

} // namespace kzo::devsim
