#include "link/UdevPorts.h"

#include "link/PortMatch.h"

#include <cstdlib>
#include <cstring>

#include <libudev.h>
#include <unistd.h>

namespace kzo::link {

namespace {

// Whether a udev monitor hears anything here. Without a running daemon one
// can be created but stays silent, so the finder had better poll. A device
// test bed (umockdev, preloaded and pointed at its folder) stands in for the
// daemon: it delivers its uevents to monitors itself.
bool ueventsDelivered()
{
    if (::access("/run/udev/control", F_OK) == 0)
        return true;
    const char* bed = std::getenv("UMOCKDEV_DIR");
    const char* preload = std::getenv("LD_PRELOAD");
    return bed && *bed && preload && std::strstr(preload, "libumockdev-preload");
}

} // namespace

UdevPorts::UdevPorts()
{
    udev_ = udev_new();
    if (!udev_)
        return;
    if (!ueventsDelivered())
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_
        && (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0
            || udev_monitor_enable_receiving(monitor_) < 0)) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
}

UdevPorts::~UdevPorts()
{
    if (monitor_)
        udev_monitor_unref(monitor_);
    if (udev_)
        udev_unref(udev_);
}

int UdevPorts::monitorFd() const
{
    return monitor_ ? udev_monitor_get_fd(monitor_) : -1;
}

void UdevPorts::drainMonitor()
{
    if (!monitor_)
        return;
    while (udev_device* d = udev_monitor_receive_device(monitor_))
        udev_device_unref(d);
}

std::vector<ComDevice> UdevPorts::enumerate()
{
    std::vector<ComDevice> found;
    if (!udev_)
        return found;
    udev_enumerate* e = udev_enumerate_new(udev_);
    if (!e)
        return found;
    if (udev_enumerate_add_match_subsystem(e, "tty") < 0 || udev_enumerate_scan_devices(e) < 0) {
        udev_enumerate_unref(e);
        return found;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e))
    {
        const char* sysPath = udev_list_entry_get_name(entry);
        udev_device* tty = sysPath ? udev_device_new_from_syspath(udev_, sysPath) : nullptr;
        if (!tty)
            continue;
        // The parent is owned by the child: not unreferenced here.
        udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
        const char* product = usb ? udev_device_get_sysattr_value(usb, "product") : nullptr;
        const char* node = udev_device_get_devnode(tty);
        if (product && node)
            if (auto port = matchVirtualComPort(node, sysPath, product); port && stampNode(*port, node))
                found.push_back(*port);
        udev_device_unref(tty);
    }
    udev_enumerate_unref(e);
    return found;
}

} // namespace kzo::link
