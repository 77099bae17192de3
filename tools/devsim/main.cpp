// kzo-devsim: the gimbal's main controller, simulated behind a pty, for
// running and testing the assistant without hardware. See --help.
#include "DeviceSim.h"
#include "ImageSink.h"
#include "LinkWriter.h"
#include "ParamMemory.h"
#include "PtyPort.h"
#include "SimLoop.h"
#include "SimOptions.h"
#include "app/logging/Log.h"
#include "protocol/FrameCodec.h"

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

using namespace kzo::devsim;

namespace {

std::optional<Clock::time_point> after(Clock::time_point start, double seconds)
{
    if (seconds <= 0.0)
        return std::nullopt;
    return start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "kzo-devsim: %s\n%sSee kzo-devsim --help for the options.\n", error.c_str(), usageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(helpText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kzo-devsim %s\n", KZO_VERSION);
        return 0;
    }
    // The stop and unplug signals are read by the loop; until then they stay
    // pending, so even an early one ends the run cleanly (the --link is removed).
    blockLoopSignals();
    // Tests and run.sh ask for this so a crashed or killed starter leaves no
    // simulator behind; a bench script that starts it in the background on
    // purpose does not. The death signal is SIGTERM: a normal end.
    if (options.exitWithParent) {
        const pid_t parent = ::getppid();
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // The parent may have ended before the request was made.
        if (::getppid() != parent)
            return 0;
    }

    // The simulator is its own process: the codec's process-wide settings are its own.
    frameCrcSeed = options.crcSeed;
    frameCrcEnabled = options.crc;

    PtyPort port;
    if (!port.open(error)) {
        std::fprintf(stderr, "kzo-devsim: %s\n", error.c_str());
        return 1;
    }
    if (!options.link.empty() && !port.makeLink(options.link, error)) {
        logTaggedLevel(3, "DevSim", "--link: %s", error.c_str());
        return 1;
    }
    // First line, at once: whoever started us waits for it, and may use the
    // --link from then on.
    logStdout("port: %s\n", port.slavePath().c_str());

    Faults faults(options.seed);
    faults.crcErrors = options.crcErrors;
    faults.garbage = options.garbage;
    faults.split = options.split;
    faults.dropReplies = options.dropReplies;
    faults.latencyMs = options.latencyMs;
    faults.nackPacket = options.nackPacket;
    faults.verifyFail = options.verifyFail;

    logTagged("DevSim", "checksum %s, seed 0x%.4x; status request 0x%.4x -> report 0x%.4x; faults: crc %s, garbage %s, split %s, "
                        "drop %s, latency %d ms, nack packet %d, verify %s",
              options.crc ? "on" : "off", options.crcSeed, options.statusRequestId, options.statusReportId,
              faults.crcErrors.describe().c_str(), faults.garbage.describe().c_str(), faults.split.describe().c_str(),
              faults.dropReplies.describe().c_str(), faults.latencyMs, faults.nackPacket, faults.verifyFail ? "fails" : "passes");

    if (options.unplugAtPercent > 0.0)
        logTagged("DevSim", "unplug when an image being received reaches %g %%%s", options.unplugAtPercent,
                  options.replugAfter > 0.0 ? ", then re-plug" : "");

    const Clock::time_point start = Clock::now();
    ParamMemory memory(options.eeprom);
    ImageSink images(options.imageDir);
    LinkWriter writer(faults);
    DeviceSim device(options, faults, memory, images, [&](Bytes frame) { writer.send(std::move(frame), Clock::now()); }, start);
    LoopLimits limits{after(start, options.duration), after(start, options.unplugAfter), std::nullopt, options.link};
    if (options.replugAfter > 0.0)
        limits.replugAfter = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options.replugAfter));
    SimLoop loop(port, writer, device, limits);
    return loop.run();
}
