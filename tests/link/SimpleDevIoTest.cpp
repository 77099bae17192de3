// The serial device I/O against a pseudo-terminal playing the device.
#include "PtyPair.h"
#include "app/logging/Log.h"
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"
#include "support/LogCapture.h"

#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <thread>
#include <functional>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace {

struct Seen {
    int kind;
    uint16_t commandId;
    std::vector<uint8_t> record;
};

class Recorder : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* e) override
    {
        std::lock_guard lock(m);
        Seen s{e->kind, 0, {}};
        if (e->kind == EvFrame) {
            s.commandId = kzo::frame::recordCommandId(e->data);
            s.record.assign(e->data, e->data + kzo::frame::recordLength(e->data));
        }
        seen.push_back(std::move(s));
    }
    int count(int kind)
    {
        std::lock_guard lock(m);
        return static_cast<int>(std::count_if(seen.begin(), seen.end(), [kind](const Seen& s) { return s.kind == kind; }));
    }
    std::vector<uint16_t> frameIds()
    {
        std::lock_guard lock(m);
        std::vector<uint16_t> ids;
        for (const Seen& s : seen)
            if (s.kind == EvFrame)
                ids.push_back(s.commandId);
        return ids;
    }
    std::vector<Seen> events()
    {
        std::lock_guard lock(m);
        return seen;
    }

    std::mutex m;
    std::vector<Seen> seen;
};

// A sealed frame of `size` bytes on the wire with the given command id.
std::vector<uint8_t> frame(uint16_t commandId, int size = 40, uint8_t fill = 0x11)
{
    std::vector<uint8_t> f(static_cast<size_t>(size), 0);
    kzo::frame::buildHeader(f.data(), size, commandId);
    for (int i = 4 + kzo::frame::offPayload; i < size - 2; ++i)
        f[static_cast<size_t>(i)] = fill;
    sealFrame(f.data(), size);
    return f;
}

std::vector<int> kinds(const std::vector<Seen>& events)
{
    std::vector<int> out;
    for (const Seen& e : events)
        out.push_back(e.kind);
    return out;
}

// A pseudo-terminal, a device I/O and a recorder listening to it; the
// recorder outlives io, since listeners are not unregistered on destruction.
struct Linked {
    Linked() { io.addListener(&rec); }
    PtyPair pty;
    Recorder rec;
    orb::SimpleDevIo io;
};

// A device I/O whose port set-up steps a test can intercept: the moment the
// listener is started, and the tty's raw-mode set-up.
class SteppedDevIo : public orb::SimpleDevIo {
public:
    ~SteppedDevIo() override { stopListener(); }
    int32_t startListener() override
    {
        if (beforeListener) {
            if (const int32_t rc = beforeListener())
                return fail(rc); // the thread could not be created
        }
        return SimpleDevIo::startListener();
    }
    std::function<int32_t()> beforeListener;
    int32_t rawModeError = 0;

protected:
    int32_t setRawMode(int fd) override
    {
        if (rawModeError)
            return rawModeError;
        return SimpleDevIo::setRawMode(fd);
    }
};

} // namespace

class SimpleDevIoTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void nothingGoesOutBeforeAConnection();
    void connectSendsAndReportsExactly();
    void framesAreCutAcrossAndWithinArrivals();
    void listenersAreCalledOncePerEventInInsertionOrder();
    void writeTimeoutBreaksTheLinkUntilTheNextArrival();
    void removalOfAnotherPortLeavesTheConnectionAlone();
    void hangUpIsReportedAsOneRemoval();
    void closeAndReconnect();
    void secondArrivalReportsTheOldLinkDownFirst();
    void framesSentRightAfterTheOpenFollowEvConnected();
    void aPortThatCannotBeSetUpIsAFailedOpen();
    void aDeviceReplugedAtTheSamePathComesBack();
    void aThrowingListenerBreaksTheLinkButNotTheReceiver();
    void dumpLinesAreHexWithCrLf();
    void removeListenerWaitsForADeliveryUnderWay();

private:
    std::string output();
    QTemporaryDir dir_;
    std::unique_ptr<kzo::test::LogCapture> log_;
};

void SimpleDevIoTest::init()
{
    log_ = std::make_unique<kzo::test::LogCapture>();
    QVERIFY(log_->isOpen());
}

void SimpleDevIoTest::cleanup()
{
    log_.reset();
}

std::string SimpleDevIoTest::output()
{
    // Only the message texts: "[tag      @ nnnn] text".
    static const QRegularExpression head(QStringLiteral("^\\[([^ ]+) +@ +\\d+\\] "), QRegularExpression::MultilineOption);
    return log_->text().replace(head, QStringLiteral("\\1|")).toStdString();
}

void SimpleDevIoTest::nothingGoesOutBeforeAConnection()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    const auto f = frame(0x0101);
    QVERIFY(!io.write(f.data(), static_cast<int>(f.size())));
    io.sendCommand(0x02A3);
    QVERIFY(!io.reconnect()); // no port known yet
    QVERIFY(rec.events().empty());
    QCOMPARE(output(), std::string()); // refused silently

    // Connected and then removed: again nothing goes out, nothing is reported.
    io.onCommDeviceArrival(pty.widePath());
    io.onCommDeviceRemoval(pty.widePath());
    QCOMPARE(rec.count(EvDisconnected), 1);
    const size_t before = rec.events().size();
    io.sendCommand(0x02A3);
    QVERIFY(!io.write(f.data(), static_cast<int>(f.size())));
    QCOMPARE(rec.events().size(), before);
    // The next frame that does go out is the first the device sees.
    io.onCommDeviceArrival(pty.widePath());
    io.sendCommand(0x02A4);
    const auto sent = pty.receive();
    QCOMPARE(sent.size(), size_t(34));
    QCOMPARE(kzo::frame::recordCommandId(sent.data() + 4), uint16_t(0x02A4));
}

void SimpleDevIoTest::connectSendsAndReportsExactly()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    QCOMPARE(rec.io, static_cast<orb::DevIo*>(&io));
    io.onCommDeviceArrival(pty.widePath());
    pty.closeSlave();
    QVERIFY(io.isOpen());
    QVERIFY(!io.broken());
    QCOMPARE(io.portPath(), pty.widePath()); // the name itself is the path here
    QCOMPARE(rec.count(EvConnected), 1);

    io.sendCommand(0x02A3);
    const auto sent = pty.receive();
    // 34-byte parameterless command: sync, L=30, fixed fields, id, checksum.
    std::vector<uint8_t> expected(34, 0);
    const uint8_t head[] = {0x55, 0xAA, 0x55, 0xAA, 30, 0, 1, 0, 0, 0xA3, 0x02, 0x00, 0x80, 0};
    std::copy(std::begin(head), std::end(head), expected.begin());
    const uint16_t crc = crc16(expected.data() + 4, 26, frameCrcSeed.load());
    expected[32] = static_cast<uint8_t>(crc);
    expected[33] = static_cast<uint8_t>(crc >> 8);
    QCOMPARE(sent, expected);

    // write seals a copy: the caller's frame stays as it was.
    std::vector<uint8_t> unsealed = frame(0x0202);
    unsealed[unsealed.size() - 1] = unsealed[unsealed.size() - 2] = 0;
    const auto original = unsealed;
    QVERIFY(io.write(unsealed.data(), static_cast<int>(unsealed.size())));
    QCOMPARE(unsealed, original);
    QCOMPARE(pty.receive(), frame(0x0202));
    // A size that disagrees with the frame's length field is refused.
    QVERIFY(!io.write(unsealed.data(), static_cast<int>(unsealed.size()) - 1));

    io.onCommDeviceRemoval(pty.widePath());
    QVERIFY(!io.isOpen());
    QVERIFY(io.broken());
    QCOMPARE(rec.count(EvDisconnected), 1);
    const std::string name = pty.path();
    QCOMPARE(output(),
        "DevIo|Device Connected : " + name + "\n" + "Device|connect success\n" + "DevIo|Device Remove Completed : " + name
            + "\n" + "Device|disconnect\n");
}

void SimpleDevIoTest::framesAreCutAcrossAndWithinArrivals()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    io.onCommDeviceArrival(pty.widePath());

    // Split across two arrivals: delivered once complete.
    const auto f = frame(0x0301, 60, 0x3C);
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin(), f.begin() + 25)));
    QTRY_COMPARE_WITH_TIMEOUT(io.bufferedBytes(), size_t(25), 5000);
    QCOMPARE(rec.count(EvFrame), 0);
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin() + 25, f.end())));
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);
    const auto first = rec.events().back();
    QCOMPARE(first.record, std::vector<uint8_t>(f.begin() + 4, f.end())); // record starts at L

    // Three frames in one arrival, in order; noise in front and a damaged frame between are dropped.
    std::vector<uint8_t> burst = {0x00, 0x13, 0x55};
    const auto lead = frame(0x0401);
    burst.insert(burst.end(), lead.begin(), lead.end());
    auto damaged = frame(0x0499);
    damaged[30] ^= 0xFF;
    burst.insert(burst.end(), damaged.begin(), damaged.end());
    for (uint16_t id : {0x0402, 0x0403}) {
        const auto g = frame(id, 36 + id % 7);
        burst.insert(burst.end(), g.begin(), g.end());
    }
    // A frame sent after the burst marks its end: everything before it has been handled.
    const auto marker = frame(0x04FF);
    burst.insert(burst.end(), marker.begin(), marker.end());
    QVERIFY(pty.send(burst));
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds().back(), uint16_t(0x04FF), 5000);
    QCOMPARE(rec.frameIds(), (std::vector<uint16_t>{0x0301, 0x0401, 0x0402, 0x0403, 0x04FF}));

    // A partial frame does not survive a new arrival of the device when the
    // listener already took it in...
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin(), f.begin() + 30)));
    QTRY_COMPARE_WITH_TIMEOUT(io.bufferedBytes(), size_t(30), 5000);
    io.onCommDeviceArrival(pty.widePath());
    QCOMPARE(io.bufferedBytes(), size_t(0));
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin() + 30, f.end())));
    QVERIFY(pty.send(frame(0x0501)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds().back(), uint16_t(0x0501), 5000);
    QCOMPARE(rec.frameIds(), (std::vector<uint16_t>{0x0301, 0x0401, 0x0402, 0x0403, 0x04FF, 0x0501}));

    // ...nor when it still waits in the driver (no listener reads it).
    io.stopListener();
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin(), f.begin() + 30)));
    QVERIFY(pty.landed());
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin() + 30, f.end())));
    QVERIFY(pty.send(frame(0x0502)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds().back(), uint16_t(0x0502), 5000);
    QCOMPARE(rec.frameIds(), (std::vector<uint16_t>{0x0301, 0x0401, 0x0402, 0x0403, 0x04FF, 0x0501, 0x0502}));
}

void SimpleDevIoTest::listenersAreCalledOncePerEventInInsertionOrder()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    std::mutex m;
    std::vector<int> order;
    struct Tagged : orb::DevListener {
        Tagged(int t, std::mutex& m, std::vector<int>& o) : tag(t), lock(m), order(o) {}
        void onDevEvent(const DevEvent*) override
        {
            std::lock_guard g(lock);
            order.push_back(tag);
        }
        int tag;
        std::mutex& lock;
        std::vector<int>& order;
    };
    Tagged b(2, m, order), a(1, m, order), c(3, m, order);
    orb::SimpleDevIo io;
    io.addListener(&b);
    io.addListener(&a);
    io.addListener(&b); // second insertion changes nothing
    io.addListener(nullptr);
    io.addListener(&c);
    QCOMPARE(io.listenerCount(), size_t(3));
    io.onCommDeviceArrival(pty.widePath());
    QCOMPARE(order, (std::vector<int>{2, 1, 3}));

    io.removeListener(&a);
    io.removeListener(&a); // absent: nothing
    QCOMPARE(a.io, static_cast<orb::DevIo*>(&io)); // removal leaves io alone
    QVERIFY(pty.send(frame(0x0601)));
    auto calls = [&] {
        std::lock_guard g(m);
        return order;
    };
    QTRY_COMPARE_WITH_TIMEOUT(calls().size(), size_t(5), 5000);
    QCOMPARE(calls(), (std::vector<int>{2, 1, 3, 2, 3}));
}

void SimpleDevIoTest::writeTimeoutBreaksTheLinkUntilTheNextArrival()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    io.onCommDeviceArrival(pty.widePath());
    // Nobody reads the master: sooner or later a write cannot complete in 500 ms.
    const auto f = frame(0x0701, 512);
    int sent = 0;
    while (io.write(f.data(), static_cast<int>(f.size())) && sent < 100000)
        ++sent;
    QVERIFY(sent > 0);
    QVERIFY(sent < 100000);
    QVERIFY(io.broken());
    QVERIFY(io.isOpen()); // broken, not closed: frames still come in
    QVERIFY(output().find("Device|Write Timeout !\n") != std::string::npos);

    pty.drain();
    const auto small = frame(0x0702);
    QVERIFY(!io.write(small.data(), static_cast<int>(small.size())));
    QVERIFY(io.reconnect());
    QVERIFY(io.broken()); // reconnect does not mend it
    QVERIFY(!io.write(small.data(), static_cast<int>(small.size())));
    QVERIFY(pty.send(frame(0x0703)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);

    io.onCommDeviceRemoval(pty.widePath());
    pty.drain();
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(!io.broken());
    QVERIFY(io.write(small.data(), static_cast<int>(small.size())));
    QCOMPARE(pty.receive(), small);
}

void SimpleDevIoTest::removalOfAnotherPortLeavesTheConnectionAlone()
{
    PtyPair first, second;
    QVERIFY(first.ok() && second.ok());
    Recorder rec; // outlives io: listeners are not unregistered on destruction
    orb::SimpleDevIo io;
    io.addListener(&rec);
    io.onCommDeviceArrival(first.widePath());
    io.onCommDeviceArrival(second.widePath()); // the last arrival wins
    QCOMPARE(io.connectedPort(), second.widePath());
    QCOMPARE(rec.count(EvConnected), 2);
    QCOMPARE(rec.count(EvDisconnected), 1); // the move took the first link down

    io.onCommDeviceRemoval(first.widePath());
    io.onCommDeviceRemoval(L"/dev/ttyACM9");
    QCOMPARE(rec.count(EvDisconnected), 1);
    QVERIFY(io.isOpen());
    QVERIFY(!io.broken());
    QVERIFY(second.send(frame(0x0801)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);
    io.sendCommand(0x0802);
    QCOMPARE(second.receive().size(), size_t(34));
    QCOMPARE(first.drain(), size_t(0)); // written before the frame above, it would be here by now
}

void SimpleDevIoTest::hangUpIsReportedAsOneRemoval()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    io.onCommDeviceArrival(pty.widePath());
    pty.closeSlave();
    QCOMPARE(rec.count(EvConnected), 1);

    pty.closeMaster(); // the device went away
    const auto f = frame(0x0901);
    QVERIFY(!io.write(f.data(), static_cast<int>(f.size()))); // whatever the timing, it did not go out
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvDisconnected), 1, 5000);
    QVERIFY(!io.isOpen());
    QVERIFY(io.broken());
    QVERIFY(!io.listenerRunning());
    QVERIFY(output().find("DevIo|Device Remove Completed : " + pty.path() + "\n") != std::string::npos);

    // The finder noticing the same removal later reports nothing more.
    io.onCommDeviceRemoval(pty.widePath());
    QCOMPARE(rec.count(EvDisconnected), 1);

    // And the next device arrives normally.
    PtyPair next;
    QVERIFY(next.ok());
    io.onCommDeviceArrival(next.widePath());
    QVERIFY(!io.broken());
    QCOMPARE(rec.count(EvConnected), 2);
}

void SimpleDevIoTest::closeAndReconnect()
{
    Linked linked;
    auto& [pty, rec, io] = linked;
    QVERIFY(pty.ok());
    io.onCommDeviceArrival(pty.widePath());
    pty.closeSlave();

    // Partial frame, then close and reopen: reconnect keeps the received bytes.
    const auto f = frame(0x0A01);
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin(), f.begin() + 20)));
    QTRY_COMPARE_WITH_TIMEOUT(io.bufferedBytes(), size_t(20), 5000);
    io.close();
    QVERIFY(!io.isOpen());
    QCOMPARE(rec.count(EvDisconnected), 1);
    QVERIFY(!io.broken()); // close leaves it as it was
    QVERIFY(io.reconnect());
    QCOMPARE(rec.count(EvConnected), 2);
    QCOMPARE(io.bufferedBytes(), size_t(20));
    QVERIFY(pty.send(std::vector<uint8_t>(f.begin() + 20, f.end())));
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);
    QCOMPARE(rec.frameIds().front(), uint16_t(0x0A01));

    // Closed by hand: a later removal report of that port changes nothing.
    io.close();
    io.onCommDeviceRemoval(pty.widePath());
    QCOMPARE(rec.count(EvDisconnected), 2);
    QVERIFY(!io.broken());
}

void SimpleDevIoTest::secondArrivalReportsTheOldLinkDownFirst()
{
    PtyPair first, second;
    QVERIFY(first.ok() && second.ok());
    Recorder rec; // outlives io: listeners are not unregistered on destruction
    orb::SimpleDevIo io;
    io.addListener(&rec);
    io.onCommDeviceArrival(first.widePath());
    first.closeSlave();
    QVERIFY(!first.slaveClosed()); // held by the link

    io.onCommDeviceArrival(second.widePath());
    QCOMPARE(kinds(rec.events()), (std::vector<int>{EvConnected, EvDisconnected, EvConnected}));
    QCOMPARE(io.connectedPort(), second.widePath());
    QVERIFY(first.slaveClosed()); // the old port is really closed
    QVERIFY(output().find("Device|connect success\nDevIo|Device Connected : " + second.path()
                + "\nDevice|disconnect\nDevice|connect success\n")
        != std::string::npos);

    // A move to a port that cannot be opened: listeners hear the link go
    // down and nothing more; the path is kept for reconnect.
    io.onCommDeviceArrival(L"/nonexistent/ttyACM7");
    QCOMPARE(kinds(rec.events()),
        (std::vector<int>{EvConnected, EvDisconnected, EvConnected, EvDisconnected}));
    QVERIFY(!io.isOpen());
    QVERIFY(io.broken());
    QVERIFY(io.connectedPort().empty());
    QCOMPARE(io.portPath(), std::wstring(L"/nonexistent/ttyACM7"));
    QVERIFY(!io.reconnect());
    // Nothing is left to take down: neither the removal of the old port nor
    // another failed arrival reports anything more.
    io.onCommDeviceRemoval(second.widePath());
    io.onCommDeviceArrival(L"/nonexistent/ttyACM7");
    QCOMPARE(rec.count(EvDisconnected), 2);

    // Reopening the port in use is a move too: down, then up again.
    io.onCommDeviceArrival(second.widePath());
    io.onCommDeviceArrival(second.widePath());
    QCOMPARE(rec.count(EvConnected), 4);
    QCOMPARE(rec.count(EvDisconnected), 3);
    QVERIFY(io.reconnect());
    QCOMPARE(rec.count(EvConnected), 5);
    QCOMPARE(rec.count(EvDisconnected), 4);
    QVERIFY(second.send(frame(0x0C02)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);
}

void SimpleDevIoTest::framesSentRightAfterTheOpenFollowEvConnected()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    Recorder rec;
    SteppedDevIo io;
    io.addListener(&rec);
    // Stale bytes from before the open are thrown away...
    QVERIFY(pty.send(std::vector<uint8_t>{0x55, 0xAA, 0x55, 0xAA, 0x40}));
    QVERIFY(pty.landed());
    // ...but the device answering at once after the open loses nothing: its
    // frame is in the port before the listener starts.
    bool sent = false;
    auto answerAtOnce = [&](uint16_t id) {
        io.beforeListener = [&, id] {
            sent = pty.send(frame(id)) && pty.landed();
            return 0;
        };
    };
    answerAtOnce(0x0C01);
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(sent);
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 1, 5000);
    const auto events = rec.events();
    QCOMPARE(kinds(events), (std::vector<int>{EvConnected, EvFrame}));
    QCOMPARE(events[1].commandId, uint16_t(0x0C01));

    // The same holds for a reconnect.
    io.close();
    sent = false;
    answerAtOnce(0x0C03);
    QVERIFY(io.reconnect());
    QVERIFY(sent);
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvFrame), 2, 5000);
    QCOMPARE(kinds(rec.events()), (std::vector<int>{EvConnected, EvFrame, EvDisconnected, EvConnected, EvFrame}));
}

void SimpleDevIoTest::aPortThatCannotBeSetUpIsAFailedOpen()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    Recorder rec;
    SteppedDevIo io;
    io.addListener(&rec);

    // No listener thread: nothing would ever be received.
    io.beforeListener = [] { return int32_t(EAGAIN); };
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(!io.isOpen());
    QVERIFY(!io.listenerRunning());
    QVERIFY(io.broken());
    QVERIFY(io.connectedPort().empty());
    QVERIFY(!io.reconnect());
    QVERIFY(rec.events().empty());

    // The tty refuses its raw mode (a device going away during the open).
    io.beforeListener = nullptr;
    io.rawModeError = EIO;
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(!io.isOpen());
    QVERIFY(io.broken());
    QVERIFY(rec.events().empty());
    const std::string name = pty.path();
    QCOMPARE(output(), "DevIo|Device Connected : " + name + "\nDevIo|Device Connected : " + name + "\n");

    // Once the port can be set up again, it connects.
    io.rawModeError = 0;
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(io.isOpen());
    QVERIFY(!io.broken());
    QCOMPARE(kinds(rec.events()), std::vector<int>{EvConnected});
}

void SimpleDevIoTest::aDeviceReplugedAtTheSamePathComesBack()
{
    // The watched path is a link to the pty: re-plugging the device makes
    // the link point at a new pty (which may even get the old one's number).
    const std::string link = dir_.filePath(QStringLiteral("ttyKZO")).toStdString();
    const std::string staged = link + ".new";
    auto device = std::make_unique<PtyPair>();
    QVERIFY(device->ok());
    QCOMPARE(::symlink(device->path().c_str(), link.c_str()), 0);

    Recorder rec; // outlives io: listeners are not unregistered on destruction
    orb::SimpleDevIo io;
    io.addListener(&rec);
    setFinderOptions(FinderOptions{{link}, false});
    setDeviceListener(&io);
    startDeviceFinder();
    struct StopFinder {
        ~StopFinder()
        {
            stopDeviceFinder();
            setDeviceListener(nullptr);
            setFinderOptions(FinderOptions{{}, false});
        }
    } stopFinder;
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvConnected), 1, 5000);
    device->closeSlave();

    // The device resets: its port goes away and is back at the same path
    // before the finder looks again.
    device.reset();
    auto again = std::make_unique<PtyPair>();
    QVERIFY(again->ok());
    QCOMPARE(::symlink(again->path().c_str(), staged.c_str()), 0);
    QCOMPARE(::rename(staged.c_str(), link.c_str()), 0);

    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvConnected), 2, 5000);
    QCOMPARE(kinds(rec.events()), (std::vector<int>{EvConnected, EvDisconnected, EvConnected}));
    QVERIFY(!io.broken());
    again->closeSlave();
    QVERIFY(again->send(frame(0x0D01)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds(), std::vector<uint16_t>{0x0D01}, 5000);
    io.sendCommand(0x0D02);
    QCOMPARE(again->receive().size(), size_t(34));

    // Once the link has let go of the old pty, a new one usually gets the
    // same number, so the path leads to a node that looks unchanged.
    again.reset();
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvDisconnected), 2, 5000);
    auto third = std::make_unique<PtyPair>();
    QVERIFY(third->ok());
    QCOMPARE(::symlink(third->path().c_str(), staged.c_str()), 0);
    QCOMPARE(::rename(staged.c_str(), link.c_str()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(rec.count(EvConnected), 3, 5000);
    third->closeSlave();
    QVERIFY(third->send(frame(0x0D03)));
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds(), (std::vector<uint16_t>{0x0D01, 0x0D03}), 5000);
}

void SimpleDevIoTest::aThrowingListenerBreaksTheLinkButNotTheReceiver()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    struct Thrower : orb::DevListener {
        void onDevEvent(const DevEvent* e) override
        {
            if (e->kind == EvFrame && kzo::frame::recordCommandId(e->data) == 0x0B01)
                throw std::runtime_error("listener failed");
        }
    } thrower;
    Recorder rec;
    orb::SimpleDevIo io;
    io.addListener(&thrower);
    io.addListener(&rec);
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(pty.send(frame(0x0B01)));
    QTRY_VERIFY_WITH_TIMEOUT(io.broken(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(
        output().find("Device|Exception catched when Read Serial port\n") != std::string::npos, 5000);
    const auto f = frame(0x0B02);
    QVERIFY(!io.write(f.data(), static_cast<int>(f.size()))); // broken: writes refused
    QVERIFY(pty.send(f)); // frames still come in
    QTRY_COMPARE_WITH_TIMEOUT(rec.frameIds(), std::vector<uint16_t>{0x0B02}, 5000);
}

void SimpleDevIoTest::dumpLinesAreHexWithCrLf()
{
    const uint8_t bytes[] = {0x55, 0xAA, 0x00, 0x0F, 0xF0};
    QCOMPARE(orb::formatDumpLine("R:    ", bytes), std::string("R:    55 AA 00 0F F0 \r\n"));
    QCOMPARE(orb::formatDumpLine("W:    ", {}), std::string("W:    \r\n"));
    orb::SimpleDevIo io;
    QVERIFY(!io.dumping());
    io.toggleDump();
    QVERIFY(io.dumping());
    io.toggleDump();
    QVERIFY(!io.dumping());
}

// Whoever removes a listener may destroy it next: a frame being delivered to
// it on the listener thread at that moment must have finished first.
void SimpleDevIoTest::removeListenerWaitsForADeliveryUnderWay()
{
    PtyPair pty;
    QVERIFY(pty.ok());
    struct Slow : orb::DevListener {
        void onDevEvent(const DevEvent* e) override
        {
            if (e->kind != EvFrame)
                return;
            std::unique_lock lock(m);
            inside = true;
            changed.notify_all();
            changed.wait(lock, [this] { return release; });
            inside = false;
            finished = true;
        }
        std::mutex m;
        std::condition_variable changed;
        bool inside = false, release = false, finished = false;
    } slow;
    orb::SimpleDevIo io;
    io.addListener(&slow);
    io.onCommDeviceArrival(pty.widePath());
    QVERIFY(pty.send(frame(0x0B03)));
    {
        std::unique_lock lock(slow.m);
        QVERIFY(slow.changed.wait_for(lock, std::chrono::seconds(5), [&] { return slow.inside; }));
    }
    std::atomic<bool> removed{false};
    std::thread remover([&] {
        io.removeListener(&slow);
        removed = true;
    });
    // The remover is held as long as the delivery lasts...
    QTest::qWait(200);
    const bool removedEarly = removed.load();
    {
        std::lock_guard lock(slow.m);
        slow.release = true;
    }
    slow.changed.notify_all();
    remover.join();
    QVERIFY(!removedEarly);
    // ...and once it returns, the delivery is over and no other comes.
    {
        std::lock_guard lock(slow.m);
        QVERIFY(slow.finished && !slow.inside);
        slow.finished = false;
    }
    QVERIFY(pty.send(frame(0x0B04)));
    QTest::qWait(100);
    std::lock_guard lock(slow.m);
    QVERIFY(!slow.finished);
}

QTEST_GUILESS_MAIN(SimpleDevIoTest)
#include "SimpleDevIoTest.moc"
