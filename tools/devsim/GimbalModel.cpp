#include "GimbalModel.h"

#include <cmath>
#include <numbers>

namespace kzo::devsim {

namespace {

int16_t sine(double t, double period, double phase, double amplitude)
{
    return static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * std::numbers::pi * t / period + phase)));
}

// One value inside each zone of a switch, held for `hold` seconds each.
template <size_t N>
int16_t steps(double t, double hold, const int16_t (&zones)[N])
{
    const auto k = static_cast<size_t>(t / hold) % N;
    return zones[k];
}

} // namespace

std::array<int16_t, GimbalModel::channelCount> GimbalModel::channels(double t) const
{
    static const int16_t modeZones[] = {-750, -375, 0, 375, 750}; // H.Free, -, Reset, -, H.Trace
    static const int16_t threeZones[] = {-750, 0, 750};
    static const int16_t onOff[] = {-750, 750}; // OFF, ON

    std::array<int16_t, channelCount> v{
        sine(t, 4.0, 0.0, 800),    // 1 ROLL
        sine(t, 6.0, 1.0, 800),    // 2 TILT
        sine(t, 9.0, 2.0, 1000),   // 3 PAN
        steps(t, 2.0, modeZones),  // 4 MODE
        steps(t, 3.0, threeZones), // 5 SHUT
        steps(t, 4.0, onOff),      // 6 AUX1
        sine(t, 12.0, 0.5, 1000),  // 7 AUX2 (DOWNWARD .. FORWARD)
        steps(t, 5.0, threeZones), // 8 AUX3
    };
    for (int i = 0; i < channelCount; ++i)
        if (disconnected_ & (1u << i))
            v[static_cast<size_t>(i)] = disconnectedValue;
    return v;
}

} // namespace kzo::devsim
