#include "link/DeviceFinder.h"

#include "app/logging/Log.h"
#include "link/PathText.h"
#include "link/UdevPorts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int explicitPortPeriodMs = 500;
constexpr int unmonitoredRescanMs = 1000;
// A port whose link was lost is looked at again after this delay: soon enough
// for a device that reset, and no busy loop for one that keeps hanging up.
constexpr int lostPortRescanMs = 500;

using Clock = std::chrono::steady_clock;

struct FinderState {
    std::mutex dataLock; // options, device lists, handler
    FinderOptions options;
    std::vector<ComDevice> currentDevices;
    std::vector<ComDevice> previousDevices;
    FinderFatalHandler fatalHandler;

    // Held while listeners are called and while the listener is replaced, so
    // after setDeviceListener returns the old listener hears nothing more.
    std::recursive_mutex reportLock;
    std::vector<CommDeviceChangeListener*> finderListeners;

    std::mutex controlLock; // start and stop
    std::thread finderThread;
    int stopFd = -1;
    int kickFd = -1; // asks the running finder for an early rescan; guarded by dataLock

    // A program that never stopped the finder still exits cleanly.
    ~FinderState()
    {
        if (!finderThread.joinable())
            return;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stopFd, &one, sizeof one);
        finderThread.join();
        ::close(stopFd);
        ::close(kickFd);
    }
};

FinderState& state()
{
    static FinderState s;
    return s;
}

[[noreturn]] void finderFatal(const char* text, int code)
{
    FinderFatalHandler handler;
    {
        std::lock_guard lock(state().dataLock);
        handler = state().fatalHandler;
    }
    if (handler)
        handler(text, code);
    else
        std::fprintf(stderr, "Falt Errors!: %s\n", text);
    std::fflush(stdout);
    std::fflush(stderr);
    // Ends at once: other threads may be inside the objects exit() would destroy.
    std::_Exit(code != 0 ? code : 1);
}

std::vector<ComDevice> enumerate(const FinderOptions& options, kzo::link::UdevPorts* udev)
{
    std::vector<ComDevice> found;
    if (udev)
        found = udev->enumerate();
    for (const std::string& path : options.ports) {
        ComDevice d{kzo::link::fromPath(path), kzo::link::fromPath(path)};
        if (!stampNode(d, path))
            continue;
        // A port both watched by path and found by udev is one port.
        const bool known = std::any_of(found.begin(), found.end(), [&](const ComDevice& f) { return f.portName == d.portName; });
        if (!known)
            found.push_back(std::move(d));
    }
    return found;
}

void reportArrival(const ComDevice& d)
{
    logStdout("Comm device arrival :%s\n", kzo::link::toPath(d.portName).c_str());
    for (CommDeviceChangeListener* l : state().finderListeners)
        l->onCommDeviceArrival(d.portName);
}

void reportRemoval(const ComDevice& d)
{
    logStdout("Comm device remove complete :%s\n", kzo::link::toPath(d.portName).c_str());
    for (CommDeviceChangeListener* l : state().finderListeners)
        l->onCommDeviceRemoval(d.portName);
}

void rescan(const FinderOptions& options, kzo::link::UdevPorts* udev)
{
    std::vector<ComDevice> now = enumerate(options, udev);
    FinderState& s = state();
    std::lock_guard report(s.reportLock);
    DeviceChanges changes;
    {
        std::lock_guard lock(s.dataLock);
        s.previousDevices = std::move(s.currentDevices);
        s.currentDevices = std::move(now);
        // Compared as sets: a port that went and another that came between
        // two rescans are both reported.
        changes = diffDevices(s.previousDevices, s.currentDevices);
    }
    // A node replaced at the same path goes before it comes back: its
    // removal after the arrival would take down the new link.
    auto replaced = [&](const ComDevice& gone) {
        return std::any_of(changes.arrivals.begin(), changes.arrivals.end(),
            [&](const ComDevice& came) { return came.portName == gone.portName; });
    };
    for (const ComDevice& d : changes.removals)
        if (replaced(d))
            reportRemoval(d);
    for (const ComDevice& d : changes.arrivals)
        reportArrival(d);
    for (const ComDevice& d : changes.removals)
        if (!replaced(d))
            reportRemoval(d);
}

int msUntil(Clock::time_point t)
{
    if (t == Clock::time_point::max())
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void finderMain(FinderOptions options, int stopFd, int kickFd)
{
    std::unique_ptr<kzo::link::UdevPorts> udev;
    if (options.useUdev)
        udev = std::make_unique<kzo::link::UdevPorts>();
    const int monitorFd = udev ? udev->monitorFd() : -1;

    int period = -1; // wait for notifications only
    if (!options.ports.empty())
        period = explicitPortPeriodMs;
    if (udev && monitorFd < 0)
        period = period < 0 ? unmonitoredRescanMs : std::min(period, unmonitoredRescanMs);

    auto nextAfterScan = [period] {
        return period < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(period);
    };
    rescan(options, udev.get()); // ports present at start are reported at once
    Clock::time_point nextScan = nextAfterScan();
    for (;;) {
        pollfd fds[3] = {{stopFd, POLLIN, 0}, {kickFd, POLLIN, 0}, {monitorFd, POLLIN, 0}};
        const int r = ::poll(fds, monitorFd >= 0 ? 3 : 2, msUntil(nextScan));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            finderFatal("Error while loop message!", errno);
        }
        if (fds[0].revents & POLLIN)
            break;
        bool scan = false;
        if (fds[1].revents & POLLIN) {
            uint64_t kicks = 0;
            [[maybe_unused]] ssize_t n = ::read(kickFd, &kicks, sizeof kicks);
            nextScan = std::min(nextScan, Clock::now() + std::chrono::milliseconds(lostPortRescanMs));
        }
        if (monitorFd >= 0 && (fds[2].revents & POLLIN)) {
            udev->drainMonitor();
            scan = true;
        }
        if (scan || Clock::now() >= nextScan) {
            rescan(options, udev.get());
            nextScan = nextAfterScan();
        }
    }
}

} // namespace

void setFinderOptions(const FinderOptions& options)
{
    std::lock_guard lock(state().dataLock);
    state().options = options;
}

FinderOptions finderOptions()
{
    std::lock_guard lock(state().dataLock);
    return state().options;
}

void setFinderFatalHandler(FinderFatalHandler handler)
{
    std::lock_guard lock(state().dataLock);
    state().fatalHandler = std::move(handler);
}

void startDeviceFinder()
{
    FinderState& s = state();
    stopDeviceFinder();
    std::lock_guard control(s.controlLock);
    s.stopFd = ::eventfd(0, EFD_CLOEXEC);
    const int kickFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (s.stopFd < 0 || kickFd < 0)
        finderFatal("Can't create listener window!", errno);
    {
        std::lock_guard lock(s.dataLock);
        s.kickFd = kickFd;
    }
    const FinderOptions options = finderOptions();
    try {
        s.finderThread = std::thread(finderMain, options, s.stopFd, kickFd);
    } catch (const std::system_error& e) {
        finderFatal("Can't create listener window!", e.code().value());
    }
}

void stopDeviceFinder()
{
    FinderState& s = state();
    std::lock_guard control(s.controlLock);
    if (!s.finderThread.joinable())
        return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(s.stopFd, &one, sizeof one);
    s.finderThread.join();
    ::close(s.stopFd);
    s.stopFd = -1;
    int kickFd = -1;
    {
        std::lock_guard lock(s.dataLock);
        std::swap(kickFd, s.kickFd);
    }
    ::close(kickFd);
}

bool deviceFinderRunning()
{
    std::lock_guard control(state().controlLock);
    return state().finderThread.joinable();
}

void setDeviceListener(CommDeviceChangeListener* listener)
{
    FinderState& s = state();
    std::lock_guard report(s.reportLock);
    s.finderListeners.clear();
    if (!listener)
        return;
    s.finderListeners.push_back(listener);
    for (const ComDevice& d : currentComDevices())
        listener->onCommDeviceArrival(d.portName);
}

void comDeviceLost(const ComDevice& device)
{
    FinderState& s = state();
    std::lock_guard lock(s.dataLock);
    // A node the finder already saw replaced is left alone: its successor is
    // what the listener has been told about since.
    std::erase_if(s.currentDevices, [&](const ComDevice& d) {
        return d.portName == device.portName && d.nodeDevice == device.nodeDevice && d.nodeInode == device.nodeInode;
    });
    if (s.kickFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(s.kickFd, &one, sizeof one);
    }
}

std::vector<ComDevice> currentComDevices()
{
    std::lock_guard lock(state().dataLock);
    return state().currentDevices;
}
