#pragma once
// One matching port found by the device finder.
#include <cstdint>
#include <string>
#include <vector>

struct ComDevice {
    std::wstring symbolicName; // where the port was found (sysfs path, or the configured path)
    std::wstring portName; // what is opened (device node or configured path)
    // The node the port name led to when it was found (device and inode
    // numbers): a node recreated at the same path is another port.
    uint64_t nodeDevice = 0;
    uint64_t nodeInode = 0;

    bool operator==(const ComDevice&) const = default;
};

// Fills in the node identity of `path` (symbolic links followed); false when
// there is nothing at that path.
bool stampNode(ComDevice& device, const std::string& path);

// What changed between two enumerations, compared as sets: arrivals in the
// order of `current`, removals in the order of `previous`.
struct DeviceChanges {
    std::vector<ComDevice> arrivals;
    std::vector<ComDevice> removals;
};
DeviceChanges diffDevices(const std::vector<ComDevice>& previous, const std::vector<ComDevice>& current);
