#pragma once
// A pseudo terminal whose slave side stands in for an interactive console; the
// test reads from the master side what was written to the slave.
#include <QByteArray>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace kzo::test {

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave_ < 0)
            return;
        termios t{};
        ::tcgetattr(slave_, &t);
        ::cfmakeraw(&t); // no "\n" -> "\r\n" translation
        ::tcsetattr(slave_, TCSANOW, &t);
    }
    ~PseudoTerminal()
    {
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    int slave() const { return slave_; }

    // Reads what has been written so far (waits up to two seconds for the
    // first bytes, then only briefly for more).
    QByteArray drain()
    {
        QByteArray out;
        pollfd p{master_, POLLIN, 0};
        int wait = 2000;
        while (::poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
            char buf[1024];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, static_cast<int>(n));
            wait = 100;
        }
        return out;
    }

    // Reads until `until` has shown up or two seconds pass without output;
    // returns everything read so far.
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
