#pragma once
// Connects the process's serial device I/O to a running kzo-devsim through
// the device finder (explicit port, no udev), and takes it down again.
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"

#include <QString>

namespace kzo::test {

class SimLink {
public:
    explicit SimLink(const QString& port)
    {
        FinderOptions options;
        options.ports = {port.toStdString()};
        options.useUdev = false;
        setFinderOptions(options);
        setDeviceListener(&orb::simpleDevIo());
        startDeviceFinder();
    }
    ~SimLink()
    {
        stopDeviceFinder();
        setDeviceListener(nullptr);
        orb::simpleDevIo().close();
    }
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    static bool open() { return !orb::simpleDevIo().connectedPort().empty(); }
};

} // namespace kzo::test
