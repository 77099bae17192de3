// Round trip over a pseudo-terminal: a peer thread answers every 34-byte
// request with a 47-byte reply. Measured from the write to the moment the
// reply reaches a listener: once through the serial device I/O (listener
// thread, frame cutting, dispatch) and once with plain read/write on the pty
// as the baseline.
#include "link/SimpleDevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int requestSize = 34;
constexpr int replySize = 47;
constexpr int roundTrips = 10000;

struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;
    Pty()
    {
        char name[128] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master, &slave, name, &raw, nullptr) == 0)
            path = name;
    }
    ~Pty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
};

std::array<uint8_t, replySize> makeReply()
{
    std::array<uint8_t, replySize> r{};
    kzo::frame::buildHeader(r.data(), replySize, 0x02A4);
    sealFrame(r.data(), replySize);
    return r;
}

// Plays the device on the master side until stopped.
class Peer {
public:
    explicit Peer(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~Peer()
    {
        stop_.store(true);
        thread_.join();
    }

private:
    void run()
    {
        const auto reply = makeReply();
        int pending = 0;
        uint8_t buf[4096];
        while (!stop_.load()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0)
                continue;
            pending += static_cast<int>(n);
            while (pending >= requestSize) {
                pending -= requestSize;
                [[maybe_unused]] ssize_t w = ::write(fd_, reply.data(), reply.size());
            }
        }
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Percentiles {
    double median = 0, p99 = 0;
};
Percentiles g_devio, g_plain;

Percentiles percentiles(std::vector<double>& us)
{
    std::sort(us.begin(), us.end());
    if (us.empty())
        return {};
    return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 99 / 100)]};
}

class ReplyListener : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* e) override
    {
        if (e->kind != EvFrame || kzo::frame::recordCommandId(e->data) != 0x02A4)
            return;
        arrived.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
        arrived.notify_one();
    }
    std::atomic<Clock::rep> arrived{0};
};

void BM_DevIoRoundTrip(benchmark::State& state)
{
    Pty pty;
    orb::SimpleDevIo io;
    ReplyListener listener;
    io.addListener(&listener);
    io.onCommDeviceArrival(std::wstring(pty.path.begin(), pty.path.end()));
    ::close(pty.slave);
    pty.slave = -1;
    Peer peer(pty.master);
    std::array<uint8_t, requestSize> request{};
    kzo::frame::buildHeader(request.data(), requestSize, 0x02A3);
    std::vector<double> samples;
    samples.reserve(roundTrips);
    for (auto _ : state) {
        listener.arrived.store(0);
        const auto t0 = Clock::now();
        if (!io.write(request.data(), requestSize)) {
            state.SkipWithError("write failed");
            break;
        }
        listener.arrived.wait(0, std::memory_order_acquire);
        const auto t1 = Clock::time_point(Clock::duration(listener.arrived.load()));
        const double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
        samples.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    g_devio = percentiles(samples);
    state.counters["median_us"] = g_devio.median;
    state.counters["p99_us"] = g_devio.p99;
    io.removeListener(&listener);
    io.onCommDeviceRemoval(std::wstring(pty.path.begin(), pty.path.end()));
}

void BM_PlainPtyRoundTrip(benchmark::State& state)
{
    Pty pty;
    ::fcntl(pty.slave, F_SETFL, ::fcntl(pty.slave, F_GETFL) | O_NONBLOCK);
    Peer peer(pty.master);
    std::array<uint8_t, requestSize> request{};
    kzo::frame::buildHeader(request.data(), requestSize, 0x02A3);
    sealFrame(request.data(), requestSize);
    std::vector<double> samples;
    samples.reserve(roundTrips);
    uint8_t buf[256];
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (::write(pty.slave, request.data(), requestSize) != requestSize) {
            state.SkipWithError("write failed");
            break;
        }
        int got = 0;
        while (got < replySize) {
            pollfd p{pty.slave, POLLIN, 0};
            ::poll(&p, 1, 1000);
            const ssize_t n = ::read(pty.slave, buf, sizeof buf);
            if (n > 0)
                got += static_cast<int>(n);
        }
        const auto t1 = Clock::now();
        const double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
        samples.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    g_plain = percentiles(samples);
    state.counters["median_us"] = g_plain.median;
    state.counters["p99_us"] = g_plain.p99;
}

} // namespace

BENCHMARK(BM_PlainPtyRoundTrip)->Iterations(roundTrips)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DevIoRoundTrip)->Iterations(roundTrips)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("round trip over pty, %d exchanges each:\n", roundTrips);
    std::printf("  plain read/write : median %8.1f us  p99 %8.1f us\n", g_plain.median, g_plain.p99);
    std::printf("  device I/O       : median %8.1f us  p99 %8.1f us\n", g_devio.median, g_devio.p99);
    std::printf("  added            : median %8.1f us  p99 %8.1f us\n", g_devio.median - g_plain.median,
        g_devio.p99 - g_plain.p99);
    return 0;
}
