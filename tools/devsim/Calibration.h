#pragma once
// The gimbal's two guided procedures as the calibration page drives them: the
// range record (a fixed walk through its status codes, each button press one
// step, the first try of each movement "not enough") and the rotating
// calibration (start, finished by itself after a while, data saved).
#include <chrono>
#include <cstdint>
#include <optional>

namespace kzo::devsim {

class Calibration {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr uint8_t rangeProcedure = 16;
    static constexpr uint8_t rotateProcedure = 17;
    static constexpr auto rotateDuration = std::chrono::seconds(2);

    // Range-record command (0x02D0, 0x02D2, 0x02D4, 0x02D6): the status code to
    // report, or nothing when the command does not fit the current step.
    std::optional<uint8_t> rangeCommand(uint16_t commandId);
    // Rotating-calibration command 0x02A8: the status code to report.
    uint8_t rotateCommand(Clock::time_point now);
    // Code 2 once the rotation has run long enough, else nothing.
    std::optional<uint8_t> rotateTick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

private:
    enum class Range { Idle, Started, LeftShort, LeftDone, RightShort, RightDone, RollDone, UpShort, UpDone, DownShort, DownDone };
    enum class Rotate { Idle, Rotating, Finished };

    Range range_ = Range::Idle;
    Rotate rotate_ = Rotate::Idle;
    Clock::time_point rotateDone_{};
};

} // namespace kzo::devsim
