#pragma once
// The hot-plug side of the device finder: matching ttys from udev, and a
// monitor that says when the tty set may have changed.
#include "link/ComDevice.h"

#include <vector>

struct udev;
struct udev_monitor;

namespace kzo::link {

class UdevPorts {
public:
    UdevPorts();
    ~UdevPorts();
    UdevPorts(const UdevPorts&) = delete;
    UdevPorts& operator=(const UdevPorts&) = delete;

    // Matching ports in enumeration order; empty when udev is unusable.
    std::vector<ComDevice> enumerate();

    // Descriptor that becomes readable on tty changes, or −1 when no monitor
    // could be set up (no udev daemon): the caller then rescans periodically.
    int monitorFd() const;
    // Consumes the pending notifications.
    void drainMonitor();

private:
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

} // namespace kzo::link
