// Discovery through libudev, with sysfs, udev and the tty nodes mocked
// (umockdev): ports found at start and by uevent, other serial devices left
// alone, unplug and re-plug, two gimbals, a node the user may not open, and
// the link speaking over a mocked node exactly as over a plain pty.
#include "MockUdev.h"
#include "app/ConnectWatch.h"
#include "commands/CommandCatalogue.h"
#include "commands/qConnector.h"
#include "link/DeviceFinder.h"
#include "link/PathText.h"
#include "link/PtyPair.h"
#include "link/SimpleDevIo.h"
#include "link/UdevPorts.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

using kzo::test::MockUdev;
using kzo::test::UsbSerial;

namespace {

constexpr int waitMs = 5000;

struct Report {
    char kind; // 'A' arrival, 'R' removal
    std::string port;
    std::thread::id thread;
};

// "A /dev/ttyACM0", "R /dev/ttyACM0", … in report order.
QStringList texts(const std::vector<Report>& reports)
{
    QStringList out;
    for (const Report& r : reports)
        out << QString::fromLatin1(&r.kind, 1) + ' ' + QString::fromStdString(r.port);
    return out;
}

QString arrival(const kzo::test::UsbSerial& d) { return "A " + QString::fromStdString(d.node()); }
QString removal(const kzo::test::UsbSerial& d) { return "R " + QString::fromStdString(d.node()); }

// Stands first in the finder's chain: passes each report on, then records
// it, so a recorded report has been acted upon.
class ReportTee : public CommDeviceChangeListener {
public:
    explicit ReportTee(CommDeviceChangeListener& next) : next_(next) {}
    void onCommDeviceArrival(const std::wstring& p) override
    {
        next_.onCommDeviceArrival(p);
        add('A', p);
    }
    void onCommDeviceRemoval(const std::wstring& p) override
    {
        next_.onCommDeviceRemoval(p);
        add('R', p);
    }
    std::vector<Report> reports() const
    {
        std::lock_guard lock(m_);
        return list_;
    }

private:
    void add(char k, const std::wstring& p)
    {
        std::lock_guard lock(m_);
        list_.push_back({k, kzo::link::toPath(p), std::this_thread::get_id()});
    }
    CommDeviceChangeListener& next_;
    mutable std::mutex m_;
    std::vector<Report> list_;
};

// What the device I/O hands its listeners.
class Recorder : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* e) override
    {
        std::lock_guard lock(m_);
        kinds_.push_back(e->kind);
        if (e->kind == EvFrame)
            records_.emplace_back(e->data, e->data + kzo::frame::recordLength(e->data));
    }
    std::vector<int> kinds() const
    {
        std::lock_guard lock(m_);
        return kinds_;
    }
    int count(int kind) const
    {
        const std::vector<int> k = kinds();
        return static_cast<int>(std::count(k.begin(), k.end(), kind));
    }
    std::vector<std::vector<uint8_t>> records() const
    {
        std::lock_guard lock(m_);
        return records_;
    }

private:
    mutable std::mutex m_;
    std::vector<int> kinds_;
    std::vector<std::vector<uint8_t>> records_;
};

// The program's chain: finder → (tee) → connect watch → serial device I/O
// with its listeners (a recorder and the connection manager).
struct Rig {
    orb::SimpleDevIo io;
    Recorder recorder;
    qConnector connector;
    kzo::app::ConnectWatch watch{io, [this] { return !io.connectedPort().empty(); },
        [this](QString hint) {
            std::lock_guard lock(hintLock);
            hints.push_back(hint);
        }};
    ReportTee tee{watch};
    mutable std::mutex hintLock;
    std::vector<QString> hints;

    Rig()
    {
        io.addListener(&recorder);
        io.addListener(&connector);
    }
    ~Rig()
    {
        // The listeners go before the device I/O: nothing may still be
        // delivering to them.
        io.removeListener(&recorder);
        io.removeListener(&connector);
    }
    std::vector<QString> failures() const
    {
        std::lock_guard lock(hintLock);
        return hints;
    }
    std::string connected() const { return kzo::link::toPath(io.connectedPort()); }
};

UsbSerial gimbal(int usbPort, const char* product, const char* tty)
{
    UsbSerial d;
    d.usbPort = usbPort;
    d.product = product;
    d.tty = tty;
    return d;
}

UsbSerial ftdiAdapter()
{
    UsbSerial d;
    d.usbPort = 5;
    d.product = "FT232R USB UART";
    d.vendorId = "0403";
    d.productId = "6001";
    d.tty = "ttyUSB0";
    return d;
}

UsbSerial platformSerial()
{
    UsbSerial d;
    d.usbPort = 0;
    d.tty = "ttyS0";
    return d;
}

// A frame as the device puts it on the wire.
std::vector<uint8_t> deviceFrame(uint16_t commandId, const std::vector<uint8_t>& payload)
{
    const int size = kzo::frame::minFrameSize + static_cast<int>(payload.size());
    std::vector<uint8_t> f(static_cast<size_t>(size), 0);
    kzo::frame::buildHeader(f.data(), size, commandId);
    std::copy(payload.begin(), payload.end(), f.begin() + kzo::frame::syncSize + kzo::frame::offPayload);
    sealFrame(f.data(), size);
    return f;
}

// Every byte value once: terminal settings left cooked would swallow,
// translate or act on some of them.
std::vector<uint8_t> everyByte()
{
    std::vector<uint8_t> v(256);
    for (int i = 0; i < 256; ++i)
        v[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return v;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                return false;
            continue;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Exactly `count` bytes from the device side (fewer when they do not come).
std::vector<uint8_t> readBytes(int fd, size_t count)
{
    std::vector<uint8_t> out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN))
            continue;
        uint8_t buf[1024];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - out.size()));
        if (n > 0)
            out.insert(out.end(), buf, buf + n);
    }
    return out;
}

// Reads until what arrived ends with `tail`.
bool endsWith(int fd, const std::vector<uint8_t>& tail)
{
    std::vector<uint8_t> seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < end) {
        if (seen.size() >= tail.size() && std::equal(tail.begin(), tail.end(), seen.end() - tail.size()))
            return true;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN))
            continue;
        uint8_t buf[1024];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            seen.insert(seen.end(), buf, buf + n);
    }
    return false;
}

// Nobody holds the node: it opens and its lock is free (the link takes
// the lock on every port it opens).
bool nodeFree(const std::string& node)
{
    const int fd = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

bool nodeHeld(const std::string& node)
{
    const int fd = ::open(node.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY; // refused outright: held exclusively
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool readable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

// What one connection carried, seen from the device side.
struct Exchange {
    std::vector<uint8_t> onConnect; // what the program sent when the link came up
    std::vector<std::vector<uint8_t>> delivered; // records the listeners got
    std::vector<uint8_t> written; // a frame the program wrote, as it arrived
};

} // namespace

#define CHECK_LINK(master)                                                                                      \
    do {                                                                                                        \
        linkWorks(master);                                                                                      \
        if (QTest::currentTestFailed())                                                                         \
            return;                                                                                             \
    } while (false)

class UdevDiscoveryTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void monitorHearsTheTestBed();
    void portFoundAtStart_data();
    void portFoundAtStart();
    void otherSerialDevicesAreLeftAlone();
    void arrivalAndRemovalByUevent();
    void removalAndReplugWithinOneScan();
    void twoGimbalsAtOnce();
    void nodeTheUserMayNotOpen();
    void linkSpeaksAsOverAPlainPty();

private:
    void startFinder(FinderOptions options = FinderOptions{{}, true});
    void stopFinder();
    // Talks through `master` as the device does once the link is up.
    Exchange talk(int master);
    // The link carries frames both ways between the program and `master`
    // (use through CHECK_LINK).
    void linkWorks(int master);

    std::unique_ptr<MockUdev> bed_;
    std::unique_ptr<Rig> rig_;
};

void UdevDiscoveryTest::initTestCase()
{
    QVERIFY2(MockUdev().active(), "run this test under umockdev-wrapper (ctest does)");
    frameCrcSeed = 0x0013;
    frameCrcEnabled = true;
}

void UdevDiscoveryTest::init()
{
    bed_ = std::make_unique<MockUdev>();
    QVERIFY(bed_->active());
    rig_ = std::make_unique<Rig>();
}

void UdevDiscoveryTest::cleanup()
{
    stopFinder();
    rig_.reset();
    bed_.reset();
    // The finder keeps its last list across runs: an empty run forgets this
    // test's ports before the next test bed reuses their names.
    setFinderOptions(FinderOptions{{}, false});
    startDeviceFinder();
    QTRY_VERIFY_WITH_TIMEOUT(currentComDevices().empty(), waitMs);
    stopDeviceFinder();
}

void UdevDiscoveryTest::startFinder(FinderOptions options)
{
    setFinderOptions(options);
    setDeviceListener(&rig_->tee);
    startDeviceFinder();
}

void UdevDiscoveryTest::stopFinder()
{
    stopDeviceFinder();
    setDeviceListener(nullptr);
}

void UdevDiscoveryTest::linkWorks(int master)
{
    QVERIFY(master >= 0);
    const size_t before = rig_->recorder.records().size();
    const std::vector<uint8_t> in = deviceFrame(orb::cmdid::GimbalChannelsAck, {1, 2, 3, 4});
    QVERIFY(writeAll(master, in));
    QTRY_VERIFY_WITH_TIMEOUT(rig_->recorder.records().size() > before, waitMs);
    QCOMPARE(rig_->recorder.records().back(), std::vector<uint8_t>(in.begin() + kzo::frame::syncSize, in.end()));
    std::vector<uint8_t> out = deviceFrame(orb::cmdid::GimbalChannelsRead, {});
    QVERIFY(rig_->io.write(out.data(), static_cast<int>(out.size())));
    // Whatever the program sent before (its greeting) comes first.
    QVERIFY(endsWith(master, out));
}

Exchange UdevDiscoveryTest::talk(int master)
{
    Exchange x;
    // The connection manager greets the device as soon as the link is up:
    // the handshake (36 bytes) and the status request (34 bytes).
    x.onConnect = readBytes(master, 36 + 34);

    const std::vector<uint8_t> ack = deviceFrame(orb::cmdid::HandshakeAck, {0});
    const std::vector<uint8_t> data = deviceFrame(orb::cmdid::GimbalChannelsAck, everyByte());
    const std::vector<uint8_t> status = deviceFrame(orb::cmdid::StatusReport, {0});
    std::vector<uint8_t> stream = ack;
    stream.insert(stream.end(), data.begin(), data.end());
    stream.insert(stream.end(), status.begin(), status.end());
    if (!writeAll(master, stream))
        return x;
    // What did not come shows in the comparisons.
    [[maybe_unused]] const bool all = QTest::qWaitFor(
        [&] { return rig_->connector.isConnected() && rig_->recorder.records().size() >= 3; }, waitMs);
    x.delivered = rig_->recorder.records();

    std::vector<uint8_t> out = deviceFrame(orb::cmdid::GimbalRecord1Write, everyByte());
    if (rig_->io.write(out.data(), static_cast<int>(out.size())))
        x.written = readBytes(master, out.size());
    return x;
}

void UdevDiscoveryTest::monitorHearsTheTestBed()
{
    kzo::link::UdevPorts ports;
    // Hot-plug is heard, not polled for.
    QVERIFY(ports.monitorFd() >= 0);
    QVERIFY(ports.enumerate().empty());

    const UsbSerial g = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    bed_->announce(g, "add");
    QVERIFY(readable(ports.monitorFd(), waitMs));
    ports.drainMonitor();
    QVERIFY(!readable(ports.monitorFd(), 0));

    const std::vector<ComDevice> found = ports.enumerate();
    QCOMPARE(found.size(), size_t(1));
    QCOMPARE(kzo::link::toPath(found[0].portName), g.node());
    QCOMPARE(kzo::link::toPath(found[0].symbolicName), "/sys" + g.ttyPath());

    // Any tty's uevent wakes the finder; the rescan decides what it means.
    const UsbSerial other = ftdiAdapter();
    QVERIFY(bed_->plug(other));
    bed_->announce(other, "add");
    QVERIFY(readable(ports.monitorFd(), waitMs));
    ports.drainMonitor();
    QCOMPARE(ports.enumerate().size(), size_t(1));
}

void UdevDiscoveryTest::portFoundAtStart_data()
{
    QTest::addColumn<QString>("product");
    QTest::newRow("maker's product string") << "KZO USB Virtual COM";
    QTest::newRow("generic product string") << "USB Virtual COM";
}

void UdevDiscoveryTest::portFoundAtStart()
{
    QFETCH(QString, product);
    const UsbSerial g = gimbal(1, product.toUtf8().constData(), "ttyACM0");
    const UsbSerial ftdi = ftdiAdapter();
    // Same driver, another product: the text must match exactly.
    const UsbSerial lookAlike = gimbal(2, product.toLower().toUtf8().constData(), "ttyACM1");
    const UsbSerial builtIn = platformSerial();
    for (const UsbSerial& d : {g, ftdi, lookAlike, builtIn})
        QVERIFY(bed_->plug(d));

    startFinder();
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    QCOMPARE(rig_->connected(), g.node());
    const std::vector<ComDevice> listed = currentComDevices();
    QCOMPARE(listed.size(), size_t(1));
    QCOMPARE(kzo::link::toPath(listed[0].portName), g.node());

    const std::vector<Report> reports = rig_->tee.reports();
    QCOMPARE(texts(reports), QStringList{arrival(g)});
    QVERIFY(reports[0].thread != std::this_thread::get_id());
    QVERIFY(rig_->failures().empty());

    QVERIFY(nodeHeld(g.node()));
    for (const UsbSerial& d : {ftdi, lookAlike, builtIn})
        QVERIFY2(nodeFree(d.node()), d.node().c_str());
    CHECK_LINK(bed_->master(g));
}

void UdevDiscoveryTest::otherSerialDevicesAreLeftAlone()
{
    startFinder();
    const UsbSerial ftdi = ftdiAdapter();
    const UsbSerial lookAlike = gimbal(2, "USB Virtual COM ", "ttyACM1");
    for (const UsbSerial& d : {ftdi, lookAlike}) {
        QVERIFY(bed_->plug(d));
        bed_->announce(d, "add");
    }
    bed_->unplug(ftdi, true, true);

    // Uevents are handled in order: once the gimbal's arrival is reported,
    // the others have been looked at.
    const UsbSerial g = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    bed_->announce(g, "add");
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    QCOMPARE(texts(rig_->tee.reports()), QStringList{arrival(g)});
    QCOMPARE(currentComDevices().size(), size_t(1));
    QCOMPARE(rig_->connected(), g.node());
    QVERIFY(nodeFree(lookAlike.node()));
}

void UdevDiscoveryTest::arrivalAndRemovalByUevent()
{
    startFinder();
    const UsbSerial g = gimbal(1, "USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    bed_->announce(g, "add");
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    QCOMPARE(rig_->connected(), g.node());
    QCOMPARE(texts(rig_->tee.reports()), QStringList{arrival(g)});
    CHECK_LINK(bed_->master(g));

    // The node stays open on the device side: only the uevent can tell.
    bed_->unplug(g, false, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvDisconnected), 1, waitMs);
    QCOMPARE(texts(rig_->tee.reports()), (QStringList{arrival(g), removal(g)}));
    QVERIFY(rig_->connected().empty());
    QVERIFY(currentComDevices().empty());
    std::vector<uint8_t> out = deviceFrame(orb::cmdid::GimbalChannelsRead, {});
    QVERIFY(!rig_->io.write(out.data(), static_cast<int>(out.size())));
    QCOMPARE(rig_->recorder.kinds(), (std::vector<int>{EvConnected, EvFrame, EvDisconnected}));
}

void UdevDiscoveryTest::removalAndReplugWithinOneScan()
{
    const UsbSerial g = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    startFinder();
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    const int oldMaster = bed_->master(g);

    // Out and in again at the same node before anyone looks: the node is
    // new, the old tty hangs up only afterwards, then one uevent.
    QVERIFY(bed_->replugQuietly(g));
    QVERIFY(bed_->master(g) != oldMaster);
    bed_->announce(g, "add");

    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 2, waitMs);
    CHECK_LINK(bed_->master(g));
    QCOMPARE(rig_->connected(), g.node());
    // The old link went before the new one came, once.
    std::vector<int> links = rig_->recorder.kinds();
    links.erase(std::remove(links.begin(), links.end(), int(EvFrame)), links.end());
    QCOMPARE(links, (std::vector<int>{EvConnected, EvDisconnected, EvConnected}));
    QCOMPARE(texts(rig_->tee.reports()).last(), arrival(g));
    QCOMPARE(currentComDevices().size(), size_t(1));
}

void UdevDiscoveryTest::twoGimbalsAtOnce()
{
    const UsbSerial first = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    const UsbSerial second = gimbal(2, "USB Virtual COM", "ttyACM1");
    QVERIFY(bed_->plug(first));
    QVERIFY(bed_->plug(second));
    startFinder();
    QTRY_COMPARE_WITH_TIMEOUT(rig_->tee.reports().size(), size_t(2), waitMs);
    QCOMPARE(currentComDevices().size(), size_t(2));

    // Both reported, in enumeration order; the link is on the last one.
    const std::vector<Report> reports = rig_->tee.reports();
    QCOMPARE(reports[0].kind, 'A');
    QCOMPARE(reports[1].kind, 'A');
    QVERIFY(reports[0].port != reports[1].port);
    const UsbSerial& linked = reports[1].port == first.node() ? first : second;
    const UsbSerial& idle = reports[1].port == first.node() ? second : first;
    QCOMPARE(rig_->connected(), linked.node());
    QVERIFY(nodeFree(idle.node()));
    CHECK_LINK(bed_->master(linked));

    // The other one going leaves the link alone.
    const int disconnects = rig_->recorder.count(EvDisconnected);
    bed_->unplug(idle, true, true);
    QTRY_COMPARE_WITH_TIMEOUT(rig_->tee.reports().size(), size_t(3), waitMs);
    QCOMPARE(texts(rig_->tee.reports()).at(2), removal(idle));
    QCOMPARE(rig_->recorder.count(EvDisconnected), disconnects);
    QCOMPARE(rig_->connected(), linked.node());
    CHECK_LINK(bed_->master(linked));

    bed_->unplug(linked, true, true);
    QTRY_VERIFY_WITH_TIMEOUT(currentComDevices().empty(), waitMs);
    QTRY_VERIFY_WITH_TIMEOUT(rig_->connected().empty(), waitMs);
    QCOMPARE(rig_->recorder.count(EvDisconnected), disconnects + 1);
}

void UdevDiscoveryTest::nodeTheUserMayNotOpen()
{
    // The test runs unprivileged (main() leaves root), as the program does.
    if (::geteuid() == 0)
        QSKIP("running as root, which opens every node, and root could not be left");
    const UsbSerial g = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    QVERIFY(bed_->setNodeMode(g, 0));
    startFinder();

    QTRY_COMPARE_WITH_TIMEOUT(rig_->failures().size(), size_t(1), waitMs);
    const QString hint = rig_->failures()[0];
    QVERIFY2(hint.startsWith("No permission to open /dev/ttyACM0."), qPrintable(hint));
    QVERIFY(hint.contains("70-kzo-assistant.rules"));
    QVERIFY(hint.contains("dialout"));
    QCOMPARE(hint, kzo::app::permissionHint(QString::fromStdString(g.node())));
    QCOMPARE(rig_->recorder.count(EvConnected), 0);
    QVERIFY(rig_->connected().empty());
    QVERIFY(rig_->io.broken());

    // Re-plugged after the rules were installed: the new node opens, and no
    // advice follows.
    bed_->unplug(g, true, true);
    QVERIFY(bed_->plug(g));
    bed_->announce(g, "add");
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    QVERIFY(!rig_->io.broken());
    QCOMPARE(rig_->failures().size(), size_t(1));
    CHECK_LINK(bed_->master(g));
}

void UdevDiscoveryTest::linkSpeaksAsOverAPlainPty()
{
    // Over a plain pty, named by path, with no test bed around (under one,
    // every node under /dev counts as mocked).
    bed_.reset();
    Exchange plain;
    {
        PtyPair pty;
        QVERIFY(pty.ok());
        startFinder(FinderOptions{{pty.path()}, false});
        QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
        plain = talk(pty.master());
        stopFinder();
        rig_ = std::make_unique<Rig>();
        setFinderOptions(FinderOptions{{}, false});
        startDeviceFinder();
        QTRY_VERIFY_WITH_TIMEOUT(currentComDevices().empty(), waitMs);
        stopDeviceFinder();
    }
    // Over the mocked node, found through udev.
    bed_ = std::make_unique<MockUdev>();
    QVERIFY(bed_->active());
    const UsbSerial g = gimbal(1, "KZO USB Virtual COM", "ttyACM0");
    QVERIFY(bed_->plug(g));
    startFinder();
    QTRY_COMPARE_WITH_TIMEOUT(rig_->recorder.count(EvConnected), 1, waitMs);
    const Exchange mocked = talk(bed_->master(g));

    // The greeting: handshake 0x0FB1 with 01 00, then the status request.
    QCOMPARE(mocked.onConnect.size(), size_t(70));
    QCOMPARE(kzo::frame::readU16(mocked.onConnect.data() + 4 + kzo::frame::offCommandId), orb::cmdid::Handshake);
    QCOMPARE(mocked.onConnect[4 + kzo::frame::offPayload], uint8_t(1));
    QCOMPARE(mocked.onConnect[4 + kzo::frame::offPayload + 1], uint8_t(0));
    QCOMPARE(kzo::frame::readU16(mocked.onConnect.data() + 36 + 4 + kzo::frame::offCommandId),
        orb::cmdid::DeviceStatus);
    QCOMPARE(mocked.onConnect, plain.onConnect);

    // The device's frames reach the listeners byte for byte, and the status
    // report connects the application.
    QVERIFY(rig_->connector.isConnected());
    QCOMPARE(mocked.delivered.size(), size_t(3));
    const std::vector<uint8_t> data = deviceFrame(orb::cmdid::GimbalChannelsAck, everyByte());
    QCOMPARE(mocked.delivered[1], std::vector<uint8_t>(data.begin() + kzo::frame::syncSize, data.end()));
    QCOMPARE(plain.delivered.size(), mocked.delivered.size());
    for (size_t i = 0; i < mocked.delivered.size(); ++i)
        QCOMPARE(mocked.delivered[i], plain.delivered[i]);

    // And the program's frames reach the device unchanged.
    QCOMPARE(mocked.written, deviceFrame(orb::cmdid::GimbalRecord1Write, everyByte()));
    QCOMPARE(mocked.written, plain.written);
}

// The program runs as an ordinary user; root opens any node whatever its
// mode, so a run as root goes on as "nobody" for the permission case to mean
// what it says. Nothing here needs more. (Where root cannot be left, that
// case is skipped.)
int main(int argc, char** argv)
{
    if (::geteuid() == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            std::perror("staying root");
    }
    QCoreApplication app(argc, argv);
    UdevDiscoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UdevDiscoveryTest.moc"
