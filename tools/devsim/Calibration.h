#pragma once
// The gimbal's two guided procedures as the calibration page drives them: the
// range record (a fixed walk through its status codes, each button press one
// step, the first try of each movement "not enough") and the rotating
// calibration (start, finished by itself after the rotation time, data
// saved). Also the status reports injected on request (--calibration-report),
// timed from the program's first status request.
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace kzo::devsim {

// One injected 0x02A9 report.
struct InjectedReport {
    uint8_t procedure = 0;
    uint8_t code = 0;
    double seconds = 0.0; // after the first status request
    int length = 39;      // record length; any other is a wrong-length report
};

class Calibration {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr uint8_t rangeProcedure = 16;
    static constexpr uint8_t rotateProcedure = 17;
    static constexpr double defaultRotateSeconds = 2.0;

    // rotateSeconds: how long a rotation runs before it reports code 2;
    // nothing: it never finishes.
    explicit Calibration(std::optional<double> rotateSeconds = defaultRotateSeconds,
                         std::vector<InjectedReport> injected = {});

    // Range-record command (0x02D0, 0x02D2, 0x02D4, 0x02D6): the status code to
    // report, or nothing when the command does not fit the current step.
    std::optional<uint8_t> rangeCommand(uint16_t commandId);
    // Rotating-calibration command 0x02A8: the status code to report.
    uint8_t rotateCommand(Clock::time_point now);
    // Code 2 once the rotation has run long enough, else nothing.
    std::optional<uint8_t> rotateTick(Clock::time_point now);

    // The program's status request: the first one starts the injected reports' clock.
    void statusRequested(Clock::time_point now);
    // The injected reports that are due, in time order, each once.
    std::vector<InjectedReport> dueReports(Clock::time_point now);

    std::optional<Clock::time_point> nextDeadline() const;

private:
    enum class Range { Idle, Started, LeftShort, LeftDone, RightShort, RightDone, RollDone, UpShort, UpDone, DownShort, DownDone };
    enum class Rotate { Idle, Rotating, Finished };

    Clock::time_point injectAt(const InjectedReport& r) const;

    Range range_ = Range::Idle;
    Rotate rotate_ = Rotate::Idle;
    std::optional<Clock::duration> rotateDuration_;
    Clock::time_point rotateDone_{};
    std::vector<InjectedReport> injected_; // not sent yet, in time order
    std::optional<Clock::time_point> firstStatus_;
};

} // namespace kzo::devsim
