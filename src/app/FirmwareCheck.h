#pragma once
// Pure pieces of the main window's device bookkeeping: version texts from the
// version replies, the firmware-compatibility verdict and the order in which
// held-back firmware queries go to the update server.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace kzo::app {

// "%d.%d" of the top byte and the low byte of a version word.
QString versionText(uint32_t word);

// 0: the device's (minor, hide) pair equals the software's; 1: the device is
// older at the first differing part; 2: it is newer.
int compareFirmware(std::pair<int, int> software, std::pair<int, int> device);

// Firmware-query flag bits and the module code each asks for, in the order
// the queries are sent.
struct FirmwareQuery {
    uint32_t bit;
    int module;
};
inline constexpr std::array<FirmwareQuery, 9> firmwareQueryOrder = {{
    {0x001, 1},  // main controller
    {0x002, 2},  // IMU
    {0x004, 4},  // LED
    {0x008, 3},  // GPS
    {0x010, 7},  // PMU
    {0x040, 11}, // GLONASS
    {0x020, 9},  // receiver
    {0x080, 10}, // NV08C
    {0x100, 12}, // CMU
}};

// The application-model key that gets "0" for the module found in loader
// mode, or nullptr when that module has no version key here.
const char* loaderVersionKey(int loaderDevice);

// The main controller's (minor, hide) pair from its version word: bytes 2
// and 1.
std::pair<int, int> firmwarePairOf(uint32_t versionWord);

// Where the device's (minor, hide) pair is kept in the first block of the
// shared data cache (for the parameter files), and its accessors. Written on
// the serial listener thread, read on the GUI thread: each byte is accessed
// atomically.
inline constexpr size_t deviceMinorOffset = 0;
inline constexpr size_t deviceHideOffset = 1;
void storeDeviceFirmwarePair(std::pair<int, int> pair);
std::pair<int, int> deviceFirmwarePair();

} // namespace kzo::app
