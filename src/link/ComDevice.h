#pragma once
// One matching port found by the device finder.
#include <string>
#include <vector>

struct ComDevice {
    std::wstring symbolicName; // where the port was found (sysfs path, or the configured path)
    std::wstring portName; // what is opened (device node or configured path)

    bool operator==(const ComDevice&) const = default;
};

// What changed between two enumerations, compared as sets: arrivals in the
// order of `current`, removals in the order of `previous`.
struct DeviceChanges {
    std::vector<ComDevice> arrivals;
    std::vector<ComDevice> removals;
};
DeviceChanges diffDevices(const std::vector<ComDevice>& previous, const std::vector<ComDevice>& current);
