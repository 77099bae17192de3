#pragma once
// The device finder: a thread of its own that watches for the gimbal's
// virtual COM port and tells the registered listener about every matching
// port that comes or goes. Free functions over process-wide state.
#include "link/ComDevice.h"
#include "link/CommDeviceChangeListener.h"

#include <functional>
#include <string>
#include <vector>

// Where matching ports come from. Set before startDeviceFinder().
struct FinderOptions {
    std::vector<std::string> ports; // explicit paths: present while they exist (checked every 500 ms)
    bool useUdev = true; // USB ttys whose product string names the virtual COM port
};

void setFinderOptions(const FinderOptions& options);
FinderOptions finderOptions();

// Ends a running finder first; the device lists survive, so a restarted
// finder reports only differences.
void startDeviceFinder();
void stopDeviceFinder();
bool deviceFinderRunning();

// Replaces the listener (null: report to nobody) and tells the new one, on
// the caller's thread, about every port present now.
void setDeviceListener(CommDeviceChangeListener* listener);

// The link on this port was lost (it hung up) while the finder may still
// list it: a device that reset, or was re-plugged between two scans, can be
// back at the same path before the finder looks. Forgets the port if it is
// listed with the same node, so that a scan soon after reports it as an
// arrival again if it is there.
void comDeviceLost(const ComDevice& device);

// The ports of the latest enumeration.
std::vector<ComDevice> currentComDevices();

// Called on a fatal error of the finder thread (text, error code) before the
// process ends with that code. The default prints to standard error.
using FinderFatalHandler = std::function<void(const std::string& text, int code)>;
void setFinderFatalHandler(FinderFatalHandler handler);
