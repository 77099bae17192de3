#pragma once
// The tools page's device logic without widgets: the replies it keeps (IMU
// report, flight-habits record, product-switch report), the texts of the IMU
// fields, the IMU verdict, the attitude from the quaternion and the judgement
// of the calibration state byte.
//
// ToolsFrames::acceptFrame runs on the thread that delivers frames; every
// other call on the GUI thread. ToolsFrames keeps its records under one lock.
#include "commands/ImuRecordLayout.h"
#include "pages/TakeOnce.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace kzo::pages {

// The 8-byte flight-habits settings record (bit 0 of byte 4: novice).
using HabitsRecord = std::array<uint8_t, 8>;
inline constexpr int habitsNoviceByte = 4;
inline constexpr uint8_t habitsNoviceBit = 0x01;

HabitsRecord habitsWith(HabitsRecord record, bool novice);
bool habitsNovice(const HabitsRecord& record);

// The two words of a product-switch report.
using SwitchReport = std::array<uint32_t, 2>;

// Replies the page waits for, copied on the frame thread and taken once each
// on the GUI thread (each under its own lock).
class ToolsFrames {
public:
    // True when the frame was one of the page's replies (length checked).
    bool acceptFrame(const uint8_t* record);

    std::optional<orb::imu::ImuRecord> takeImu() { return imu.take(); }
    std::optional<HabitsRecord> takeHabits() { return habits.take(); }
    std::optional<SwitchReport> takeSwitch() { return productSwitch.take(); }
    // Forgets what arrived and was not taken yet (the device went away).
    void clear();

private:
    TakeOnce<orb::imu::ImuRecord> imu;
    TakeOnce<HabitsRecord> habits;
    TakeOnce<SwitchReport> productSwitch;
};

// ---- texts of the IMU fields ------------------------------------------------

// Accelerations beyond this (in g) cannot be real readings.
inline constexpr double accelLimit = 6.0;

// A gyroscope axis or magnitude with one decimal; "ERROR" when not a number.
QString gyroText(double value);
// An acceleration axis with two decimals; "ERROR" beyond +-6 g or not a number.
QString accelText(double value);
// The magnitude of the acceleration with two decimals; "ERROR" when an axis is.
QString accelModText(const std::array<float, 3>& accel);
QString gyroModText(const std::array<float, 3>& gyro);
// Magnitude of the calibrated compass vector (computed in floating point:
// three squared 16-bit values do not fit an int).
double compassMagnitude(const std::array<int16_t, 3>& v);
QString compassModText(const std::array<int16_t, 3>& v);
// "sensor:" and "press:" readings, one decimal.
QString readingText(double value);

// ---- attitude ------------------------------------------------------------------

struct Attitude {
    double pitch = 0; // degrees
    double roll = 0;
    double yaw = 0;
};
// q = q0..q3 (scalar first).
Attitude attitudeOf(const std::array<float, 4>& q);

// ---- IMU verdict -----------------------------------------------------------------

enum class ImuVerdict { NoNeed, Needed, Abnormal };

// Judged on the values as the page shows them (gyroscope with one decimal,
// acceleration with two); an axis that shows "ERROR" makes the IMU abnormal.
ImuVerdict judgeImu(const orb::imu::ImuRecord& r);
QString verdictText(ImuVerdict v);

// Whether the IMU values on show are recent enough to judge: some arrived
// since the connection and not more than staleTicks page ticks ago.
class ImuFreshness {
public:
    static constexpr int staleTicks = 2;
    void connected() { received_ = false; ticks = 0; }
    void received() { received_ = true; ticks = 0; }
    void tick() { if (ticks <= staleTicks) ++ticks; }
    bool fresh() const { return received_ && ticks <= staleTicks; }

private:
    bool received_ = false;
    int ticks = 0;
};

// ---- calibration state --------------------------------------------------------

enum class ImuCaliText { Unchanged, None, Idle, Ready, Calibrating };
enum class ImuCaliMessage { None, AdvancedDone, AdvancedRequired };

// What one report (or the loss of the device) changes on the page; unset
// fields stay as they are.
struct ImuCaliView {
    ImuCaliText status = ImuCaliText::Unchanged;
    std::optional<bool> basicEnabled;
    std::optional<bool> advancedEnabled;
    std::optional<bool> controlsVisible;
    std::optional<int> progress;
    bool showCaliTab = false;
    bool focusPage = false;
    ImuCaliMessage message = ImuCaliMessage::None;
};

class ImuCaliJudge {
public:
    // After the user started a calibration the controls stay hidden for this
    // many non-calibrating reports while the controller gets going.
    static constexpr int startWaitReports = 4;

    ImuCaliView onReport(uint8_t stateByte, uint8_t progress);
    // The controls were hidden for a calibration just requested.
    void calibrationRequested() { waitReports = startWaitReports; }
    // A new connection: the advanced messages may be shown again.
    void connected();
    ImuCaliView disconnected();

    int basicState() const { return basic; }
    int advancedState() const { return advanced; }
    bool advancedDoneShown() const { return doneShown; }

private:
    int basic = 0;
    int advanced = 0;
    bool doneShown = false;
    int waitReports = 0;
};

} // namespace kzo::pages
