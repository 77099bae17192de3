#include "ImuModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace kzo::devsim {

namespace imu = orb::imu;

namespace {

double wave(double t, double period, double phase = 0.0)
{
    return std::sin(2.0 * std::numbers::pi * t / period + phase);
}

// A vector of the given length, tilted a little off the vertical.
std::array<float, 3> tilted(double length, double t)
{
    const double x = 0.02 * wave(t, 7.0);
    const double y = 0.02 * wave(t, 11.0, 1.0);
    return {static_cast<float>(length * x), static_cast<float>(length * y),
            static_cast<float>(length * std::sqrt(1.0 - x * x - y * y))};
}

int16_t round16(double v)
{
    return static_cast<int16_t>(std::lround(v));
}

} // namespace

ImuModel::ImuModel(const ImuOptions& options) : options_(options)
{
    if (options_.advancedRequired)
        advanced_ = imu::advancedRequired;
}

double ImuModel::phaseEnd() const
{
    const double d = options_.caliSeconds;
    // A failing basic run stops half-way.
    return phaseStart_ + (phase_ == Phase::Basic && options_.caliFail ? d / 2.0 : d);
}

std::optional<double> ImuModel::nextChange() const
{
    if (phase_ == Phase::Idle)
        return std::nullopt;
    return phaseEnd();
}

std::vector<std::string> ImuModel::advance(double t)
{
    std::vector<std::string> lines;
    while (phase_ != Phase::Idle && t >= phaseEnd()) {
        const double end = phaseEnd();
        switch (phase_) {
        case Phase::Basic:
            if (options_.caliFail) {
                phase_ = Phase::BasicFailed;
                basic_ = imu::basicIdle;
            } else {
                phase_ = Phase::Idle;
                basic_ = imu::basicReady;
            }
            break;
        case Phase::BasicFailed:
            phase_ = Phase::Idle;
            basic_ = imu::basicReady;
            break;
        case Phase::Advanced1:
            phase_ = Phase::Advanced2;
            advanced_ = imu::advancedPhase2;
            break;
        case Phase::Advanced2:
            phase_ = Phase::Idle;
            advanced_ = imu::advancedDone;
            break;
        case Phase::Idle: break;
        }
        phaseStart_ = end;
        lines.push_back(describeState());
    }
    return lines;
}

std::string ImuModel::describeState() const
{
    const char* what = "";
    switch (phase_) {
    case Phase::Basic: what = "basic calibrating"; break;
    case Phase::BasicFailed: what = "basic calibration failed: idle"; break;
    case Phase::Advanced1: what = "advanced phase 1"; break;
    case Phase::Advanced2: what = "advanced phase 2"; break;
    case Phase::Idle:
        what = advanced_ == imu::advancedDone ? "advanced done: power the controller off" : "basic ready";
        break;
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "IMU calibration state 0x%.2x (%s)", stateByte(), what);
    return buf;
}

std::string ImuModel::start(uint32_t request, double t)
{
    char buf[128];
    const bool basic = request == basicRequest;
    if (!basic && request != advancedRequest) {
        std::snprintf(buf, sizeof buf, "calibration request 0x%.8x not known, ignored", request);
        return buf;
    }
    advance(t);
    const char* name = basic ? "basic" : "advanced";
    if (phase_ != Phase::Idle) {
        std::snprintf(buf, sizeof buf, "%s IMU calibration not started: a calibration is running (state 0x%.2x)", name,
                      stateByte());
        return buf;
    }
    phaseStart_ = t;
    if (basic) {
        phase_ = Phase::Basic;
        basic_ = imu::basicCalibrating;
    } else {
        phase_ = Phase::Advanced1;
        advanced_ = imu::advancedPhase1;
    }
    std::snprintf(buf, sizeof buf, "%s IMU calibration started: state 0x%.2x, %.1f s%s", name, stateByte(),
                  basic ? (options_.caliFail ? options_.caliSeconds / 2.0 : options_.caliSeconds) : 2.0 * options_.caliSeconds,
                  basic && options_.caliFail ? ", then it fails" : "");
    return buf;
}

uint8_t ImuModel::progress(double t) const
{
    switch (phase_) {
    case Phase::Basic:
    case Phase::Advanced1:
    case Phase::Advanced2: {
        if (options_.caliSeconds <= 0.0)
            return 100;
        // The tiny margin keeps exact fractions (0.25 s of 1 s) from rounding down.
        const double p = std::floor((t - phaseStart_) / options_.caliSeconds * 100.0 + 1e-6);
        return static_cast<uint8_t>(std::clamp(p, 0.0, 100.0));
    }
    case Phase::BasicFailed: return 0;
    case Phase::Idle: break;
    }
    return advanced_ == imu::advancedDone ? 100 : 0;
}

imu::ImuRecord ImuModel::report(double t)
{
    advance(t);
    imu::ImuRecord r;
    using C = ImuOptions::Condition;
    double g = 0.4;        // gyro amplitude, degree/s
    double gBias = 0.0;    // gyro offset
    double length = 1.0;   // |a| in g
    double wobble = 0.005; // of |a|
    switch (options_.condition) {
    case C::Calm: break;
    case C::NeedsCalibration:
        gBias = 1.6;
        g = 0.3;
        length = 1.04;
        break;
    case C::Abnormal:
        length = 2.5;
        wobble = 0.01;
        break;
    case C::AxisError:
        length = 7.2;
        wobble = 0.1;
        break;
    }
    r.gyro = {static_cast<float>(gBias + g * wave(t, 3.0)), static_cast<float>(-gBias + g * wave(t, 5.0, 1.0)),
              static_cast<float>(gBias / 2 + g * wave(t, 4.0, 2.0))};
    r.accel = tilted(length + wobble * wave(t, 2.0), t);

    // Attitude: a slow yaw turn with a small pitch and roll wobble.
    const double yaw = 2.0 * std::numbers::pi * std::fmod(t, 60.0) / 60.0;
    const double pitch = 0.02 * wave(t, 7.0);
    const double roll = 0.02 * wave(t, 11.0, 1.0);
    const double cy = std::cos(yaw / 2), sy = std::sin(yaw / 2), cp = std::cos(pitch / 2), sp = std::sin(pitch / 2),
                 cr = std::cos(roll / 2), sr = std::sin(roll / 2);
    r.q = {static_cast<float>(cr * cp * cy + sr * sp * sy), static_cast<float>(sr * cp * cy - cr * sp * sy),
           static_cast<float>(cr * sp * cy + sr * cp * sy), static_cast<float>(cr * cp * sy - sr * sp * cy)};

    // The earth's field turning with the yaw; the raw readings carry a hard-iron offset.
    const double hx = 300.0 * std::cos(yaw), hy = -300.0 * std::sin(yaw), hz = -420.0;
    r.compassCali = {round16(hx), round16(hy), round16(hz)};
    r.compassRaw = {round16(hx + 85.0), round16(hy - 40.0), round16(hz + 25.0)};

    r.sensor = static_cast<float>(36.5 + 0.2 * wave(t, 20.0));  // board temperature
    r.press = static_cast<float>(1013.2 + 0.3 * wave(t, 25.0)); // barometer, hPa
    r.spare = 0.0f;
    r.progress = progress(t);
    r.state = stateByte();
    return r;
}

} // namespace kzo::devsim
