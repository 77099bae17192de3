#pragma once
// Connects the process's serial device I/O to a running kzo-devsim through
// the device finder (explicit port, no udev), and takes it down again.
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"
#include "protocol/FrameCodec.h"

#include <QString>

#include <chrono>
#include <thread>

namespace kzo::test {

// Speaks to the simulator as the program does: through the serial device
// I/O, with the product's checksum seed.
inline void talkLikeTheProgram()
{
    currentDevIo = &orb::simpleDevIo();
    frameCrcSeed = 0x0013;
    frameCrcEnabled = true;
}

class SimLink {
public:
    // What happens to the serial port when the link object goes: KeepPort
    // leaves it to the code under test (start-up stops the finder before the
    // link is shut down by someone else).
    enum PortAtEnd { ClosePort, KeepPort };

    explicit SimLink(const QString& port, PortAtEnd atEnd = ClosePort)
        : atEnd_(atEnd)
    {
        forgetPorts();
        FinderOptions options;
        options.ports = {port.toStdString()};
        options.useUdev = false;
        setFinderOptions(options);
        setDeviceListener(&orb::simpleDevIo());
        startDeviceFinder();
    }
    ~SimLink()
    {
        stop();
        if (atEnd_ == ClosePort)
            orb::simpleDevIo().close();
    }
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    // Stops the finder; the port stays as it is. Safe to call again.
    void stop()
    {
        stopDeviceFinder();
        setDeviceListener(nullptr);
    }

    static bool open() { return !orb::simpleDevIo().connectedPort().empty(); }

private:
    // A restarted finder keeps the ports of its last run and replays them to
    // a new listener: an earlier test's port (its number possibly taken by
    // another pty since) would be connected first. An empty run clears them.
    static void forgetPorts()
    {
        setFinderOptions(FinderOptions{{}, false});
        startDeviceFinder();
        for (int i = 0; i < 5000 && !currentComDevices().empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stopDeviceFinder();
    }

    PortAtEnd atEnd_;
};

} // namespace kzo::test
