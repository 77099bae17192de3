#pragma once
// A pseudo-terminal pair for link tests: the test plays the device on the
// master side, the code under test opens the slave path.
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPair {
public:
    PtyPair()
    {
        int slave = -1;
        char name[128] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master_, &slave, name, &raw, nullptr) != 0)
            return;
        path_ = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        // Keep a slave descriptor until the code under test has opened the
        // port, so the master never sees the slave side hang up meanwhile.
        slave_ = slave;
    }
    ~PtyPair()
    {
        closeSlave();
        closeMaster();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !path_.empty(); }
    const std::string& path() const { return path_; }
    std::wstring widePath() const { return std::wstring(path_.begin(), path_.end()); }
    int master() const { return master_; }
    int slave() const { return slave_; }

    // Whether the bytes sent so far have reached the slave side's input
    // queue (ptys hand them over asynchronously); needs the slave still open.
    bool landed(int waitMs = 2000) const
    {
        pollfd p{slave_, POLLIN, 0};
        return slave_ >= 0 && ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
    }

    // Whether nobody holds the slave side open any more (needs closeSlave()).
    bool slaveClosed() const
    {
        pollfd p{master_, 0, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP);
    }

    void closeSlave()
    {
        if (slave_ >= 0)
            ::close(slave_);
        slave_ = -1;
    }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    bool send(const std::vector<uint8_t>& bytes) const
    {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Everything that arrives within quietMs of the last byte (at most waitMs in all).
    std::vector<uint8_t> receive(int waitMs = 2000, int quietMs = 100) const
    {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, out.empty() ? 50 : quietMs) <= 0) {
                if (!out.empty())
                    break;
                continue;
            }
            uint8_t buf[4096];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

    // Discards whatever the slave side wrote.
    size_t drain() const
    {
        size_t total = 0;
        uint8_t buf[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                return total;
            total += static_cast<size_t>(n);
        }
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};
