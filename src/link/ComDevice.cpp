#include "link/ComDevice.h"

#include <algorithm>

#include <sys/stat.h>

bool stampNode(ComDevice& device, const std::string& path)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    device.nodeDevice = S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? st.st_rdev : st.st_dev;
    device.nodeInode = st.st_ino;
    return true;
}

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
