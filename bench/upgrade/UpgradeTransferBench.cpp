// Flashing a 1 MiB main-controller image through the engine and the serial
// device I/O into kzo-devsim over a pty, against the same request /
// acknowledgement exchanges (same frame sizes, same simulator, same pty kind)
// done by a minimal blocking loop. Both transfer phases are reported; the
// benchmark's own time is the engine's.
#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"
#include "protocol/DevListener.h"
#include "protocol/ReceiveAssembler.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/ImagePackets.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int imageSize = 1024 * 1024;

std::vector<uint8_t> makeImage()
{
    std::vector<uint8_t> v(imageSize);
    uint32_t x = 12345;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

// One request, one acknowledgement, blocking, on the raw pty.
class MinimalLoop {
public:
    explicit MinimalLoop(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY))
    {
        termios t{};
        if (fd >= 0 && tcgetattr(fd, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd, TCSANOW, &t);
        }
    }
    ~MinimalLoop()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool exchange(orb::cmd_base_t& packet, uint16_t ackId)
    {
        std::vector<uint8_t> frame(packet.frame(), packet.frame() + packet.frameSize());
        sealFrame(frame.data(), static_cast<int>(frame.size()));
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()))
            return false;
        bool got = false;
        uint8_t buf[1024];
        while (!got) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                return false;
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                return false;
            rx.feed(std::span<const uint8_t>(buf, static_cast<size_t>(n)), [&](const uint8_t* record) {
                if (kzo::frame::recordCommandId(record) == ackId)
                    got = true;
            });
        }
        return true;
    }
    int fd;
    kzo::frame::ReceiveAssembler rx;
};

// Times the engine's transfer: the start packet's write to the end packet's acknowledgement.
class TransferClock : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* e) override
    {
        if (e->kind == EvConnected)
            connected = true;
        else if (e->kind == EvDisconnected)
            connected = false;
        else if (e->kind == EvFrame && kzo::frame::recordCommandId(e->data) == orb::cmdid::LoadEndAck)
            end = Clock::now();
    }
    std::atomic<bool> connected{false};
    Clock::time_point end;
};

class StartStamp : public orb::DevIo {
public:
    explicit StartStamp(orb::DevIo& inner) : inner(inner) {}
    void onCommDeviceArrival(const std::wstring& p) override { inner.onCommDeviceArrival(p); }
    void onCommDeviceRemoval(const std::wstring& p) override { inner.onCommDeviceRemoval(p); }
    void addListener(orb::DevListener* l) override { inner.addListener(l); }
    void removeListener(orb::DevListener* l) override { inner.removeListener(l); }
    void sendCommand(uint16_t id) override { inner.sendCommand(id); }
    bool write(const uint8_t* frame, int size) override
    {
        if (!started && kzo::frame::recordCommandId(frame + 4) == orb::cmdid::LoadStart) {
            start = Clock::now();
            started = true;
        }
        return inner.write(frame, size);
    }
    void close() override { inner.close(); }
    bool reconnect() override { return inner.reconnect(); }
    orb::DevIo& inner;
    bool started = false;
    Clock::time_point start;
};

// The engine's packets, exchanged by the simplest loop possible. With
// enterLoader the controller is first asked into its loader (not timed).
bool runBaseline(const std::string& link, const std::vector<uint8_t>& image, bool enterLoader, double& seconds)
{
    orb::upgrade::BuiltImage built =
        orb::upgrade::buildDirectImage(image, 0, *orb::upgrade::directLoaderIds(orb::module::Mc));
    MinimalLoop loop(link);
    if (enterLoader) {
        orb::cmd_t<kzo::tagNoneParm> enter(orb::cmdid::EnterLoader);
        if (!loop.exchange(enter, orb::cmdid::EnterLoaderAck))
            return false;
    }
    uint16_t seq = 1;
    const auto t0 = Clock::now();
    for (auto& p : built.packets) {
        p->setSequence(seq++);
        if (!loop.exchange(*p, static_cast<uint16_t>(p->commandId() + 1)))
            return false;
    }
    seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    return true;
}

bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return done();
}

void BM_McImage1MiB(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString link = dir.filePath("tty");
    QProcess sim;
    sim.setStandardOutputFile(dir.filePath("sim.log"));
    sim.start(QStringLiteral(KZO_BIN_DIR "/kzo-devsim"), {"--exit-with-parent", "--link", link, "--loader", "mc"});
    if (!sim.waitForStarted() || !waitFor([&] { return QFile::exists(link); }, 10000)) {
        state.SkipWithError("kzo-devsim did not start");
        return;
    }

    GlobalCfg cfg;
    frameCrcSeed = cfg.crcSeed;
    frameCrcEnabled = cfg.crcEnabled;
    const auto image = makeImage();

    for (auto _ : state) {
        double baseline = 0;
        if (!runBaseline(link.toStdString(), image, false, baseline)) {
            state.SkipWithError("baseline exchange failed");
            return;
        }
        // The engine through the serial device I/O (the simulated controller now
        // runs its new firmware, so the engine brings it into the loader first).
        orb::SimpleDevIo& serial = orb::simpleDevIo();
        StartStamp stamp(serial);
        currentDevIo = &serial;
        orb::DevUpgrade engine;
        TransferClock clock;
        serial.addListener(&engine);
        serial.addListener(&clock);
        engine.io = &stamp;
        setFinderOptions(FinderOptions{{link.toStdString()}, false});
        setDeviceListener(&serial);
        startDeviceFinder();
        if (!waitFor([&] { return clock.connected.load(); }, 10000)) {
            state.SkipWithError("port not opened");
            return;
        }
        engine.setTarget(orb::module::Mc, 0, 1);
        engine.upgradeImage(image.data(), imageSize, 0);
        waitFor([&] { return engine.isIdle(); }, 120000);
        const bool ok = engine.upgradeResult();
        waitFor([&] { return !clock.connected.load(); }, 3000);
        stopDeviceFinder();
        setDeviceListener(nullptr);
        serial.removeListener(&engine);
        serial.removeListener(&clock);
        if (!ok || !stamp.started) {
            state.SkipWithError("engine upgrade failed");
            return;
        }
        // A second baseline after the engine, so a change of machine load
        // during the run weighs on both sides alike.
        double baselineAfter = 0;
        if (!runBaseline(link.toStdString(), image, true, baselineAfter)) {
            state.SkipWithError("second baseline exchange failed");
            return;
        }
        baseline = (baseline + baselineAfter) / 2;
        const int exchanges = static_cast<int>(image.size() / 256 + 2);
        const double engineTime = std::chrono::duration<double>(clock.end - stamp.start).count();
        state.SetIterationTime(engineTime);
        state.counters["exchanges"] = exchanges;
        state.counters["baseline_ms"] = baseline * 1000;
        state.counters["engine_ms"] = engineTime * 1000;
        state.counters["ratio"] = engineTime / baseline;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * imageSize);
    sim.terminate();
    sim.waitForFinished(5000);
}
BENCHMARK(BM_McImage1MiB)->UseManualTime()->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The engine's log and progress bar go to the null device, not the table.
    const int devNull = ::open("/dev/null", O_WRONLY);
    kzo::log::setOutputFd(devNull);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
