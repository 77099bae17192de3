#include "link/DeviceFinder.h"

#include "app/logging/Log.h"
#include "link/PathText.h"
#include "link/UdevPorts.h"

#include <algorithm>
#include <cerrno>
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

    // A program that never stopped the finder still exits cleanly.
    ~FinderState()
    {
        if (!finderThread.joinable())
            return;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(stopFd, &one, sizeof one);
        finderThread.join();
        ::close(stopFd);
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

bool pathExists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<ComDevice> enumerate(const FinderOptions& options, kzo::link::UdevPorts* udev)
{
    std::vector<ComDevice> found;
    if (udev)
        found = udev->enumerate();
    for (const std::string& path : options.ports) {
        if (!pathExists(path))
            continue;
        ComDevice d{kzo::link::fromPath(path), kzo::link::fromPath(path)};
        if (std::find(found.begin(), found.end(), d) == found.end())
            found.push_back(std::move(d));
    }
    return found;
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
    for (const ComDevice& d : changes.arrivals) {
        logStdout("Comm device arrival :%s\n", kzo::link::toPath(d.portName).c_str());
        for (CommDeviceChangeListener* l : s.finderListeners)
            l->onCommDeviceArrival(d.portName);
    }
    for (const ComDevice& d : changes.removals) {
        logStdout("Comm device remove complete :%s\n", kzo::link::toPath(d.portName).c_str());
        for (CommDeviceChangeListener* l : s.finderListeners)
            l->onCommDeviceRemoval(d.portName);
    }
}

void finderMain(FinderOptions options, int stopFd)
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

    rescan(options, udev.get()); // ports present at start are reported at once
    for (;;) {
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {monitorFd, POLLIN, 0}};
        const int r = ::poll(fds, monitorFd >= 0 ? 2 : 1, period);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            finderFatal("Error while loop message!", errno);
        }
        if (fds[0].revents & POLLIN)
            break;
        if (monitorFd >= 0 && (fds[1].revents & POLLIN))
            udev->drainMonitor();
        rescan(options, udev.get());
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
    if (s.stopFd < 0)
        finderFatal("Can't create listener window!", errno);
    const FinderOptions options = finderOptions();
    try {
        s.finderThread = std::thread(finderMain, options, s.stopFd);
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

std::vector<ComDevice> currentComDevices()
{
    std::lock_guard lock(state().dataLock);
    return state().currentDevices;
}
