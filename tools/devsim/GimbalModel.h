#pragma once
// The gimbal's live inputs and stored settings as the gimbal page sees them:
// eight stick and switch channels, the two 8-byte channel-assignment records
// and the camera-charging state.
#include <array>
#include <cstdint>

namespace kzo::devsim {

class GimbalModel {
public:
    static constexpr int channelCount = 8;
    static constexpr int16_t disconnectedValue = 1001;

    // Bit n-1 set: channel n reports "disconnected".
    explicit GimbalModel(unsigned disconnectedMask = 0) : disconnected_(disconnectedMask) {}

    // Channel values at the given time since start: ROLL, TILT, PAN and AUX2
    // move like sticks (slow sine waves); MODE, SHUT, AUX1 and AUX3 step
    // through the zones of their switches.
    std::array<int16_t, channelCount> channels(double seconds) const;

    static constexpr std::array<uint8_t, 8> defaultRecord1{0, 1, 2, 3, 4, 5, 6, 7};
    static constexpr std::array<uint8_t, 8> defaultRecord2{4, 5, 6, 7, 0, 1, 2, 3};

    // Restore defaults: the channel assignments go back to the factory ones.
    void resetRecords()
    {
        record1 = defaultRecord1;
        record2 = defaultRecord2;
    }

    std::array<uint8_t, 8> record1 = defaultRecord1;
    std::array<uint8_t, 8> record2 = defaultRecord2;
    uint32_t cameraState = 0; // 1 = charging on

private:
    unsigned disconnected_;
};

} // namespace kzo::devsim
