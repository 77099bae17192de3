#include "Calibration.h"

#include "commands/CommandCatalogue.h"

#include <algorithm>
#include <array>

namespace kzo::devsim {

namespace {

using orb::cmdid::RangeRecordBegin; // 0x02D4 "Start Rec" / "Roll left"
using orb::cmdid::RangeRecordEnd;   // 0x02D6 "Roll right"
using orb::cmdid::RangeRecordNext;  // 0x02D2 "Tilt down"
using orb::cmdid::RangeRecordStart; // 0x02D0 "Tilt up"

} // namespace

Calibration::Calibration(std::optional<double> rotateSeconds, std::vector<InjectedReport> injected)
    : injected_(std::move(injected))
{
    if (rotateSeconds)
        rotateDuration_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*rotateSeconds));
    std::stable_sort(injected_.begin(), injected_.end(),
                     [](const InjectedReport& a, const InjectedReport& b) { return a.seconds < b.seconds; });
}

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
        if (rotateDuration_)
            rotateDone_ = now + *rotateDuration_;
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
    if (rotate_ != Rotate::Rotating || !rotateDuration_ || now < rotateDone_)
        return std::nullopt;
    rotate_ = Rotate::Finished;
    return 2;
}

void Calibration::statusRequested(Clock::time_point now)
{
    if (!firstStatus_)
        firstStatus_ = now;
}

Calibration::Clock::time_point Calibration::injectAt(const InjectedReport& r) const
{
    return *firstStatus_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(r.seconds));
}

std::vector<InjectedReport> Calibration::dueReports(Clock::time_point now)
{
    std::vector<InjectedReport> due;
    if (!firstStatus_)
        return due;
    while (!injected_.empty() && injectAt(injected_.front()) <= now) {
        due.push_back(injected_.front());
        injected_.erase(injected_.begin());
    }
    return due;
}

std::optional<Calibration::Clock::time_point> Calibration::nextDeadline() const
{
    std::optional<Clock::time_point> next;
    if (rotate_ == Rotate::Rotating && rotateDuration_)
        next = rotateDone_;
    if (firstStatus_ && !injected_.empty() && (!next || injectAt(injected_.front()) < *next))
        next = injectAt(injected_.front());
    return next;
}

} // namespace kzo::devsim
