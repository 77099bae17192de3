#pragma once
// The flight controller's IMU as the tools page sees it: live sensor readings
// in the 0x0507 report and the two calibration procedures that 0x0506 starts.
//
// State byte of the report: low nibble basic, high nibble advanced.
//  - At start: basic 1 (ready), advanced 3 (ready), or 15 (a calibration is
//    required) with --imu-advanced-required.
//  - Basic (0x0506 payload 0x0000001F): 2 with progress 0..100 over the
//    calibration time, then 1 (ready) with progress 0. With --imu-cali-fail the
//    run stops half-way: 0 (idle) with progress 0 for the calibration time,
//    then 1 (ready) again.
//  - Advanced (payload 0x001F0000): 1 with progress 0..100, then 2 with
//    progress 0..100 (each phase the calibration time), then 14 (done: the
//    controller must be powered off) with progress 100, kept from then on.
//  - A request while either procedure runs is logged and ignored.
// All times are seconds since the simulator started.
#include "commands/ImuRecordLayout.h"

#include <optional>
#include <string>
#include <vector>

namespace kzo::devsim {

struct ImuOptions {
    // calm: needs no calibration (|1 - |a|| <= 0.015, every gyro axis <= 1);
    // cali: calibration needed (|a| about 1.04, gyro about 1.6 degree/s);
    // abnormal: |a| about 2.5 g, every axis within +-6 g;
    // axis-error: the z axis reads beyond 6 g.
    enum class Condition { Calm, NeedsCalibration, Abnormal, AxisError };
    Condition condition = Condition::Calm;
    double caliSeconds = 5.0;      // --imu-cali-time
    bool caliFail = false;         // --imu-cali-fail
    bool advancedRequired = false; // --imu-advanced-required
};

class ImuModel {
public:
    static constexpr uint32_t basicRequest = 0x0000001F;
    static constexpr uint32_t advancedRequest = 0x001F0000;

    explicit ImuModel(const ImuOptions& options);

    // The report at time t (the state machine is brought up to t first).
    orb::imu::ImuRecord report(double t);

    // A 0x0506 request at time t; a line for the log says what happened.
    std::string start(uint32_t request, double t);

    // Brings the calibration up to time t; one log line per state change.
    std::vector<std::string> advance(double t);
    // When the next state change falls due, if one is pending.
    std::optional<double> nextChange() const;

    uint8_t stateByte() const { return static_cast<uint8_t>(advanced_ << 4 | basic_); }

private:
    enum class Phase { Idle, Basic, BasicFailed, Advanced1, Advanced2 };
    double phaseEnd() const;
    uint8_t progress(double t) const;
    std::string describeState() const;

    ImuOptions options_;
    uint8_t basic_ = orb::imu::basicReady;
    uint8_t advanced_ = orb::imu::advancedReady;
    Phase phase_ = Phase::Idle;
    double phaseStart_ = 0.0;
};

} // namespace kzo::devsim
