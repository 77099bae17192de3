#pragma once
// Routes the logger to a pseudo-terminal for the lifetime of the object, so a
// test sees the colour codes the logger uses only on terminals (they carry the
// line's level).
#include "app/logging/Log.h"

#include <QByteArray>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kzo::test {

class TerminalLog {
public:
    TerminalLog()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave_ < 0)
            return;
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t); // keep "\n" as it was written
        ::tcsetattr(slave_, TCSANOW, &t);
        kzo::log::setOutputFd(slave_);
    }
    ~TerminalLog()
    {
        kzo::log::setOutputFd(-1);
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    bool isOpen() const { return slave_ >= 0; }

    // Reads what was printed until `until` shows up or two seconds pass
    // without output.
    QByteArray readUntil(const QByteArray& until)
    {
        pollfd p{master_, POLLIN, 0};
        while (!seen_.contains(until) && ::poll(&p, 1, 2000) > 0 && (p.revents & POLLIN)) {
            char buf[1024];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            seen_.append(buf, static_cast<int>(n));
        }
        return seen_;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QByteArray seen_;
};

} // namespace kzo::test
