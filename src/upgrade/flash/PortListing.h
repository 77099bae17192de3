#pragma once
// kzo-flash --list: the ports that may be the gimbal's, and whether and how
// this user can use each one.
#include "upgrade/flash/PortProbe.h"

#include <string>
#include <vector>

namespace kzo::flash {

struct PortReport {
    std::string path;     // as found or as named with --port
    std::string node;     // the device node it leads to, when that differs
    std::string product;  // USB product string, empty when not a USB device
    std::string serial;   // USB serial number, empty when it has none
    bool named = false;   // given with --port
    PortAccess access;
    std::vector<Holder> holders;
};

// The USB ttys whose product string is the gimbal's (unless useUdev is
// false), then every named path that is not one of them, in the order given.
std::vector<PortReport> listPorts(const std::vector<std::string>& named, bool useUdev);

// The listing as printed: a line saying how many were found ("No gimbal
// port found." for none), then one block per port.
std::string formatPortList(const std::vector<PortReport>& ports);

} // namespace kzo::flash
