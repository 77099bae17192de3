#include "link/ComDevice.h"

#include <algorithm>

DeviceChanges diffDevices(const std::vector<ComDevice>& previous, const std::vector<ComDevice>& current)
{
    DeviceChanges changes;
    auto contains = [](const std::vector<ComDevice>& list, const ComDevice& d) {
        return std::find(list.begin(), list.end(), d) != list.end();
    };
    for (const ComDevice& d : current)
        if (!contains(previous, d))
            changes.arrivals.push_back(d);
    for (const ComDevice& d : previous)
        if (!contains(current, d))
            changes.removals.push_back(d);
    return changes;
}
