#include "SimLoop.h"

#include "app/logging/Log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kzo::devsim {

namespace {

sigset_t loopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);
    return set;
}

// The loop's signals arrive as readable data instead of interrupting it.
class SignalDescriptor {
public:
    SignalDescriptor()
    {
        const sigset_t set = loopSignals();
        blockLoopSignals();
        fd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~SignalDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SignalDescriptor(const SignalDescriptor&) = delete;
    SignalDescriptor& operator=(const SignalDescriptor&) = delete;

    int fd() const { return fd_; }
    int take() const
    {
        signalfd_siginfo info{};
        return ::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info) ? static_cast<int>(info.ssi_signo) : 0;
    }

private:
    int fd_ = -1;
};

} // namespace

void blockLoopSignals()
{
    const sigset_t set = loopSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

int SimLoop::timeoutMs(Clock::time_point now) const
{
    std::optional<Clock::time_point> next = writer_.nextDue();
    auto earliest = [&](std::optional<Clock::time_point> t) {
        if (t && (!next || *t < *next))
            next = t;
    };
    earliest(device_.nextDeadline());
    earliest(limits_.stopAt);
    earliest(limits_.unplugAt);
    earliest(replugAt_);
    if (!next)
        return -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 60'000));
}

bool SimLoop::readMaster(Clock::time_point now)
{
    std::array<uint8_t, 4096> buf{};
    for (;;) {
        const ssize_t n = ::read(port_.masterFd(), buf.data(), buf.size());
        if (n > 0) {
            // Nothing behind the packet that pulled the plug reaches the device.
            assembler_.feed(std::span<const uint8_t>(buf.data(), static_cast<size_t>(n)), [&](const uint8_t* record) {
                if (!device_.unplugPending())
                    device_.onRecord(record, now);
            });
            if (device_.unplugPending())
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        // EIO: no slave open. Cannot happen while the simulator holds one.
        logTaggedLevel(3, "DevSim", "pty read failed (errno %d)", n < 0 ? errno : 0);
        return false;
    }
}

bool SimLoop::unplug(Clock::time_point now)
{
    if (!plugged()) {
        logTagged("DevSim", "already unplugged");
        return true;
    }
    logTagged("DevSim", "unplugged: pty closed");
    port_.unplug();
    writer_.setFd(-1);
    writer_.discard();
    assembler_.clear();
    if (!limits_.replugAfter)
        return false;
    replugAt_ = now + *limits_.replugAfter;
    return true;
}

bool SimLoop::replug()
{
    replugAt_.reset();
    std::string error;
    if (!port_.open(error) || (!limits_.link.empty() && !port_.makeLink(limits_.link, error))) {
        logTaggedLevel(3, "DevSim", "re-plug failed: %s", error.c_str());
        return false;
    }
    writer_.setFd(port_.masterFd());
    logTagged("DevSim", "replugged: %s%s%s", port_.slavePath().c_str(), limits_.link.empty() ? "" : " <- ",
              limits_.link.c_str());
    return true;
}

int SimLoop::run()
{
    SignalDescriptor signals;
    writer_.setFd(port_.masterFd());
    for (;;) {
        Clock::time_point now = Clock::now();
        if (limits_.unplugAt && now >= *limits_.unplugAt) {
            limits_.unplugAt.reset(); // once, not every S seconds
            if (!unplug(now))
                return 0;
        }
        if (replugAt_ && now >= *replugAt_ && !replug())
            return 1;
        if (limits_.stopAt && now >= *limits_.stopAt) {
            logTagged("DevSim", "duration over, exiting");
            return 0;
        }
        device_.tick(now);
        if (!plugged())
            writer_.discard(); // nobody there to hear it
        writer_.flush(now);

        std::array<pollfd, 2> fds{};
        fds[0].fd = port_.masterFd();
        fds[0].events = static_cast<short>(POLLIN | (writer_.blocked(now) ? POLLOUT : 0));
        fds[1].fd = signals.fd();
        fds[1].events = POLLIN;
        const int ready = ::poll(fds.data(), fds.size(), writer_.blocked(now) ? 50 : timeoutMs(now));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            logTaggedLevel(3, "DevSim", "poll failed (errno %d)", errno);
            return 1;
        }
        now = Clock::now();
        if (fds[1].revents & POLLIN) {
            const int signo = signals.take();
            if (signo == SIGUSR1) {
                if (!unplug(now))
                    return 0;
                continue;
            }
            logTagged("DevSim", "signal %d, exiting", signo);
            return 0;
        }
        if ((fds[0].revents & POLLIN) && !readMaster(now))
            return 1;
        if (device_.takeUnplugRequest() && !unplug(now))
            return 0;
    }
}

} // namespace kzo::devsim
