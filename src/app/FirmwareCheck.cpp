#include "app/FirmwareCheck.h"

#include "protocol/GlobalDataCache.h"

#include <atomic>

namespace kzo::app {

QString versionText(uint32_t word)
{
    return QStringLiteral("%1.%2").arg((word >> 24) & 0xFF).arg(word & 0xFF);
}

int compareFirmware(std::pair<int, int> software, std::pair<int, int> device)
{
    if (software == device)
        return 0;
    if (device.first != software.first)
        return device.first < software.first ? 1 : 2;
    return device.second < software.second ? 1 : 2;
}

const char* loaderVersionKey(int loaderDevice)
{
    switch (loaderDevice) {
    case 1: return "fw_mc";
    case 4: return "fw_led";
    case 3: return "fw_gps";
    case 2: return "fw_imu";
    case 7: return "fw_pmu";
    case 9: return "fw_receiver";
    case 12: return "fw_cmu";
    default: return nullptr;
    }
}

std::pair<int, int> firmwarePairOf(uint32_t word) { return {(word >> 16) & 0xFF, (word >> 8) & 0xFF}; }

namespace {

std::atomic_ref<uint8_t> cacheByte(size_t offset)
{
    return std::atomic_ref<uint8_t>(orb::dataCache().first.head[offset]);
}

} // namespace

void storeDeviceFirmwarePair(std::pair<int, int> pair)
{
    cacheByte(deviceMinorOffset).store(static_cast<uint8_t>(pair.first));
    cacheByte(deviceHideOffset).store(static_cast<uint8_t>(pair.second));
}

std::pair<int, int> deviceFirmwarePair()
{
    return {cacheByte(deviceMinorOffset).load(), cacheByte(deviceHideOffset).load()};
}

} // namespace kzo::app
