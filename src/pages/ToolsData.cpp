#include "pages/ToolsData.h"

#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "protocol/FrameCodec.h"

#include <QCoreApplication>

#include <cmath>
#include <span>

namespace kzo::pages {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("qToolsPage", text); }

const QString errorText = QStringLiteral("ERROR");

} // namespace

// ---- flight habits ------------------------------------------------------------------

HabitsRecord habitsWith(HabitsRecord record, bool novice)
{
    if (novice)
        record[habitsNoviceByte] |= habitsNoviceBit;
    else
        record[habitsNoviceByte] &= static_cast<uint8_t>(~habitsNoviceBit);
    return record;
}

bool habitsNovice(const HabitsRecord& record) { return (record[habitsNoviceByte] & habitsNoviceBit) != 0; }

// ---- replies ---------------------------------------------------------------------------

bool ToolsFrames::acceptFrame(const uint8_t* record)
{
    using namespace orb::cmdid;
    switch (kzo::frame::recordCommandId(record)) {
    case ImuDataAck: {
        std::array<uint8_t, orb::imu::dataSize> data{};
        if (!orb::ackDecodeBytes(data.data(), data.size(), record, ImuDataAck))
            return false;
        imu.put(orb::imu::decode(std::span<const uint8_t, orb::imu::dataSize>(data)));
        return true;
    }
    case FlightHabitsAck: {
        HabitsRecord r{};
        if (!orb::ackDecodeBytes(r.data(), r.size(), record, FlightHabitsAck))
            return false;
        habits.put(r);
        return true;
    }
    case ProductSwitchReport: {
        orb::ack_u32x2 w{};
        if (!orb::ackDecode(w, record, ProductSwitchReport))
            return false;
        productSwitch.put({w.v[0], w.v[1]});
        return true;
    }
    default:
        return false;
    }
}

void ToolsFrames::clear()
{
    imu.clear();
    habits.clear();
    productSwitch.clear();
}

// ---- texts --------------------------------------------------------------------------------

QString gyroText(double value)
{
    if (!std::isfinite(value))
        return errorText;
    return QString::number(value, 'f', 1);
}

QString accelText(double value)
{
    if (!std::isfinite(value) || value > accelLimit || value < -accelLimit)
        return errorText;
    return QString::number(value, 'f', 2);
}

namespace {
double magnitude(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }
} // namespace

QString accelModText(const std::array<float, 3>& a)
{
    for (float v : a)
        if (accelText(v) == errorText)
            return errorText;
    return QString::number(magnitude(a[0], a[1], a[2]), 'f', 2);
}

QString gyroModText(const std::array<float, 3>& g) { return gyroText(magnitude(g[0], g[1], g[2])); }

double compassMagnitude(const std::array<int16_t, 3>& v)
{
    return magnitude(static_cast<double>(v[0]), static_cast<double>(v[1]), static_cast<double>(v[2]));
}

QString compassModText(const std::array<int16_t, 3>& v) { return QString::number(compassMagnitude(v), 'f', 1); }

QString readingText(double value) { return std::isfinite(value) ? QString::number(value, 'f', 1) : errorText; }

// ---- attitude --------------------------------------------------------------------------------

Attitude attitudeOf(const std::array<float, 4>& q)
{
    constexpr double pi = 3.141592653589793;
    constexpr double deg = 180.0 / pi;
    const double q0 = q[0], q1 = q[1], q2 = q[2], q3 = q[3];
    double s = 2.0 * (q3 * q1 - q0 * q2);
    // asin is undefined past +-1; rounding in the device's quaternion gets there.
    if (s >= 1.0)
        s = 0.9999999;
    else if (s <= -1.0)
        s = -0.9999999;
    Attitude a;
    a.pitch = -std::asin(s) * deg;
    a.roll = std::atan2(2.0 * (q0 * q1 + q2 * q3), 1.0 - 2.0 * (q1 * q1 + q2 * q2)) * deg;
    a.yaw = std::atan2(2.0 * (q0 * q3 + q1 * q2), 1.0 - 2.0 * (q2 * q2 + q3 * q3)) * deg;
    return a;
}

// ---- verdict -----------------------------------------------------------------------------------

ImuVerdict judgeImu(const orb::imu::ImuRecord& r)
{
    std::array<double, 3> g{}, a{};
    for (int i = 0; i < 3; ++i) {
        const QString gt = gyroText(r.gyro[i]);
        const QString at = accelText(r.accel[i]);
        if (gt == errorText || at == errorText)
            return ImuVerdict::Abnormal;
        // The fields as shown, read back.
        g[i] = gt.toDouble();
        a[i] = at.toDouble();
    }
    const double deviation = std::fabs(1.0 - magnitude(a[0], a[1], a[2]));
    const bool calm = std::fabs(g[0]) <= 1.0 && std::fabs(g[1]) <= 1.0 && std::fabs(g[2]) <= 1.0;
    if (deviation <= 0.015 && calm)
        return ImuVerdict::NoNeed;
    if (deviation > 1.0)
        return ImuVerdict::Abnormal;
    return ImuVerdict::Needed;
}

QString verdictText(ImuVerdict v)
{
    switch (v) {
    case ImuVerdict::NoNeed: return tr("No need calibration.calibration procedure can be skipped.");
    case ImuVerdict::Abnormal: return tr("IMU works abnormally, please contact us or our agents.");
    case ImuVerdict::Needed: break;
    }
    return tr("Calibration needed, pls click the button below to calibrate IMU.");
}

// ---- calibration state ---------------------------------------------------------------------------

ImuCaliView ImuCaliJudge::onReport(uint8_t stateByte, uint8_t progress)
{
    using namespace orb::imu;
    const int b = stateByte & 0x0F;
    const int a = stateByte >> 4;
    ImuCaliView v;
    // Judged from this report alone: an advanced calibration that has ended
    // no longer holds back the basic state.
    const bool advancedRunning = a == advancedPhase1 || a == advancedPhase2;
    const bool basicRunning = !advancedRunning && b == basicCalibrating;
    advanced = a;

    if (!advancedRunning) {
        basic = b;
        switch (b) {
        case basicIdle:
            v.status = ImuCaliText::Idle;
            v.basicEnabled = v.advancedEnabled = false;
            break;
        case basicReady:
            v.status = ImuCaliText::Ready;
            v.progress = 0;
            v.basicEnabled = v.advancedEnabled = true;
            break;
        case basicCalibrating:
            v.status = ImuCaliText::Calibrating;
            v.basicEnabled = v.advancedEnabled = false;
            v.progress = progress;
            break;
        default: break;
        }
    }

    switch (a) {
    case advancedPhase1:
    case advancedPhase2:
        v.status = ImuCaliText::Calibrating;
        v.basicEnabled = v.advancedEnabled = false;
        v.progress = progress;
        v.showCaliTab = true;
        // A new calibration ends with a new "done" to tell.
        doneShown = false;
        break;
    case advancedReady:
        // A basic run keeps its own display: nothing may start on top of it.
        if (!basicRunning) {
            v.status = ImuCaliText::Ready;
            v.progress = 0;
            v.advancedEnabled = true;
        }
        break;
    case advancedDone:
        if (!basicRunning)
            v.progress = progress;
        if (!doneShown) {
            doneShown = true;
            v.focusPage = true;
            v.message = ImuCaliMessage::AdvancedDone;
            if (!basicRunning) {
                v.status = ImuCaliText::Ready;
                v.advancedEnabled = true;
            }
        }
        break;
    case advancedRequired:
        if (!doneShown) {
            doneShown = true;
            v.focusPage = true;
            v.showCaliTab = true;
            v.message = ImuCaliMessage::AdvancedRequired;
            if (!basicRunning) {
                v.status = ImuCaliText::Ready;
                v.progress = 0;
                v.advancedEnabled = true;
            }
        }
        break;
    default: break;
    }

    if (advancedRunning || basicRunning) {
        v.controlsVisible = false;
        waitReports = 0; // the requested calibration has started
    } else if (waitReports > 0) {
        --waitReports;
    } else {
        v.controlsVisible = true;
    }
    return v;
}

void ImuCaliJudge::connected()
{
    doneShown = false;
    waitReports = 0;
}

ImuCaliView ImuCaliJudge::disconnected()
{
    basic = advanced = 0;
    waitReports = 0;
    ImuCaliView v;
    v.status = ImuCaliText::None;
    v.basicEnabled = v.advancedEnabled = false;
    v.controlsVisible = true;
    v.progress = 0;
    return v;
}

} // namespace kzo::pages
