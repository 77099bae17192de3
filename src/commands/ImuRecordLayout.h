#pragma once
// The flight controller's IMU report (acknowledgement 0x0507, record length
// 97): 66 data bytes behind the result byte. The tools page reads it and the
// device simulator writes it, both through this one description, so the two
// cannot drift apart. Every field is little-endian, as on the rest of the link.
//
//  offset  size  field
//   0      3x4   gyroscope x, y, z            float, degree/s
//  12      3x4   accelerometer x, y, z        float, g
//  24      4     "sensor:" reading            float
//  28      4     "press:" reading             float
//  32      4x4   attitude quaternion q0..q3   float
//  48      4     spare reading                float (not shown)
//  52      3x2   compass raw x, y, z          int16
//  58      3x2   compass calibrated x, y, z   int16
//  64      1     calibration progress         uint8, percent
//  65      1     calibration state            uint8: low nibble basic, high nibble advanced
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace orb::imu {

inline constexpr int dataSize = 66;
inline constexpr int recordLength = 31 + dataSize; // what the fixed-layout reader requires

inline constexpr int offGyro = 0;
inline constexpr int offAccel = 12;
inline constexpr int offSensor = 24;
inline constexpr int offPress = 28;
inline constexpr int offQuaternion = 32;
inline constexpr int offSpare = 48;
inline constexpr int offCompassRaw = 52;
inline constexpr int offCompassCali = 58;
inline constexpr int offProgress = 64;
inline constexpr int offState = 65;

// Basic calibration states (low nibble of the state byte).
inline constexpr uint8_t basicIdle = 0, basicReady = 1, basicCalibrating = 2;
// Advanced calibration states (high nibble): 1 and 2 are the two calibrating
// phases, 3 ready, 14 done (the controller must be powered off), 15 a
// calibration is required.
inline constexpr uint8_t advancedNone = 0, advancedPhase1 = 1, advancedPhase2 = 2, advancedReady = 3,
                         advancedDone = 14, advancedRequired = 15;

struct ImuRecord {
    std::array<float, 3> gyro{};
    std::array<float, 3> accel{};
    float sensor = 0;
    float press = 0;
    std::array<float, 4> q{};
    float spare = 0;
    std::array<int16_t, 3> compassRaw{};
    std::array<int16_t, 3> compassCali{};
    uint8_t progress = 0;
    uint8_t state = 0;

    uint8_t basicState() const { return state & 0x0F; }
    uint8_t advancedState() const { return state >> 4; }
};

namespace detail {
inline float getF32(const uint8_t* p)
{
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return std::bit_cast<float>(v);
}
inline void putF32(uint8_t* p, float f)
{
    const uint32_t v = std::bit_cast<uint32_t>(f);
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline int16_t getI16(const uint8_t* p)
{
    return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}
inline void putI16(uint8_t* p, int16_t v)
{
    p[0] = static_cast<uint8_t>(static_cast<uint16_t>(v));
    p[1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
}
} // namespace detail

// Reads the 66 data bytes (behind the result byte).
inline ImuRecord decode(std::span<const uint8_t, dataSize> d)
{
    using namespace detail;
    ImuRecord r;
    for (int i = 0; i < 3; ++i) {
        r.gyro[i] = getF32(&d[offGyro + 4 * i]);
        r.accel[i] = getF32(&d[offAccel + 4 * i]);
        r.compassRaw[i] = getI16(&d[offCompassRaw + 2 * i]);
        r.compassCali[i] = getI16(&d[offCompassCali + 2 * i]);
    }
    r.sensor = getF32(&d[offSensor]);
    r.press = getF32(&d[offPress]);
    for (int i = 0; i < 4; ++i)
        r.q[i] = getF32(&d[offQuaternion + 4 * i]);
    r.spare = getF32(&d[offSpare]);
    r.progress = d[offProgress];
    r.state = d[offState];
    return r;
}

inline std::array<uint8_t, dataSize> encode(const ImuRecord& r)
{
    using namespace detail;
    std::array<uint8_t, dataSize> d{};
    for (int i = 0; i < 3; ++i) {
        putF32(&d[offGyro + 4 * i], r.gyro[i]);
        putF32(&d[offAccel + 4 * i], r.accel[i]);
        putI16(&d[offCompassRaw + 2 * i], r.compassRaw[i]);
        putI16(&d[offCompassCali + 2 * i], r.compassCali[i]);
    }
    putF32(&d[offSensor], r.sensor);
    putF32(&d[offPress], r.press);
    for (int i = 0; i < 4; ++i)
        putF32(&d[offQuaternion + 4 * i], r.q[i]);
    putF32(&d[offSpare], r.spare);
    d[offProgress] = r.progress;
    d[offState] = r.state;
    return d;
}

} // namespace orb::imu
