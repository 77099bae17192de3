#include "Calibration.h"

#include "commands/CommandCatalogue.h"

#include <array>

namespace kzo::devsim {

namespace {

using orb::cmdid::RangeRecordBegin; // 0x02D4 "Start Rec" / "Roll left"
using orb::cmdid::RangeRecordEnd;   // 0x02D6 "Roll right"
using orb::cmdid::RangeRecordNext;  // 0x02D2 "Tilt down"
using orb::cmdid::RangeRecordStart; // 0x02D0 "Tilt up"

} // namespace

std::optional<uint8_t> Calibration::rangeCommand(uint16_t commandId)
{
    struct Step {
        Range from;
        uint16_t command;
        uint8_t code;
        Range to;
    };
    // Start, roll left and right until the roll is finished, then tilt up and
    // down until the tilt is finished.
    static constexpr std::array<Step, 11> walk{{
        {Range::Idle, RangeRecordBegin, 99, Range::Started},
        {Range::Started, RangeRecordBegin, 106, Range::LeftShort},    // not rolling left enough
        {Range::LeftShort, RangeRecordBegin, 107, Range::LeftDone},   // left recorded, now right
        {Range::LeftDone, RangeRecordEnd, 108, Range::RightShort},    // not rolling right enough
        {Range::RightShort, RangeRecordEnd, 109, Range::RightDone},   // right recorded, now left
        {Range::RightDone, RangeRecordBegin, 105, Range::RollDone},   // roll record finished
        {Range::RollDone, RangeRecordStart, 101, Range::UpShort},     // not tilting up enough
        {Range::UpShort, RangeRecordStart, 102, Range::UpDone},       // up recorded, now down
        {Range::UpDone, RangeRecordNext, 103, Range::DownShort},      // not tilting down enough
        {Range::DownShort, RangeRecordNext, 104, Range::DownDone},    // down recorded, now up
        {Range::DownDone, RangeRecordStart, 100, Range::Idle},        // tilt record finished
    }};
    for (const Step& s : walk) {
        if (s.from == range_ && s.command == commandId) {
            range_ = s.to;
            return s.code;
        }
    }
    return std::nullopt;
}

uint8_t Calibration::rotateCommand(Clock::time_point now)
{
    switch (rotate_) {
    case Rotate::Idle:
        rotate_ = Rotate::Rotating;
        rotateDone_ = now + rotateDuration;
        return 1;
    case Rotate::Rotating:
        return 1;
    case Rotate::Finished:
        rotate_ = Rotate::Idle;
        return 3;
    }
    return 1;
}

std::optional<uint8_t> Calibration::rotateTick(Clock::time_point now)
{
    if (rotate_ != Rotate::Rotating || now < rotateDone_)
        return std::nullopt;
    rotate_ = Rotate::Finished;
    return 2;
}

std::optional<Calibration::Clock::time_point> Calibration::nextDeadline() const
{
    if (rotate_ == Rotate::Rotating)
        return rotateDone_;
    return std::nullopt;
}

} // namespace kzo::devsim
