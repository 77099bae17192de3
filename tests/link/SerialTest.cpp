// The serial port and its listener thread, against pseudo-terminals.
#include "PtyPair.h"
#include "link/SerialEx.h"

#include <QtTest>

#include <atomic>
#include <cerrno>
#include <future>
#include <memory>
#include <mutex>

namespace {

class RecordingSerial : public CSerialEx {
public:
    ~RecordingSerial() override { stopListener(); }
    void onEvent(uint32_t events, uint32_t errors) override
    {
        ++calls;
        std::lock_guard lock(m);
        seenEvents |= events;
        seenErrors |= errors;
        // Consume what arrived, as a real handler does.
        uint8_t buf[256];
        uint32_t got = 0;
        read(buf, sizeof buf, &got, 100);
        bytes.insert(bytes.end(), buf, buf + got);
    }
    void onListenerEnded(int32_t error) override
    {
        endError.store(error);
        ended.store(true);
    }
    std::vector<uint8_t> received()
    {
        std::lock_guard lock(m);
        return bytes;
    }

    std::atomic<int> calls{0};
    std::atomic<bool> ended{false};
    std::atomic<int32_t> endError{0};
    std::mutex m;
    uint32_t seenEvents = 0;
    uint32_t seenErrors = 0;
    std::vector<uint8_t> bytes;
};

// A port whose tty refuses the raw-mode set-up.
class RefusingSerial : public CSerial {
protected:
    int32_t setRawMode(int) override { return EIO; }
};

} // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    // Every test talks to a fresh pseudo-terminal playing the device.
    void init()
    {
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->ok());
    }
    void cleanup() { pty.reset(); }
    void openTwiceKeepsTheFirstConnection();
    void aTtyThatRefusesRawModeIsNotOpened();
    void operationsOnAClosedPortReportInvalidHandle();
    void finiteTimeoutNeedsEventSupport();
    void outOfRangeSelectorsChangeNothing();
    void writeThatCannotCompleteTimesOut();
    void readModes();
    void eventWaitSeesDataAndIsCompletedByMaskChange();
    void listenerDeliversDataAndStopsWhileWaiting();
    void hangUpEndsTheListenerWithoutSpinning();

private:
    std::unique_ptr<PtyPair> pty;
};

void SerialTest::openTwiceKeepsTheFirstConnection()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath()), 0);
    QVERIFY(port.isOpen());
    QCOMPARE(port.open(pty->widePath()), serial_error::alreadyInitialized);
    QCOMPARE(port.lastError(), serial_error::alreadyInitialized);
    QCOMPARE(port.eventMask(), serial_event::defaultMask);

    // Still the same working connection.
    uint32_t written = 0;
    QCOMPARE(port.write("abc", 3, &written, 500), 0);
    QCOMPARE(written, 3u);
    const auto got = pty->receive();
    QCOMPARE(std::string(got.begin(), got.end()), std::string("abc"));

    // The port is held exclusively: a second object cannot take it.
    CSerial other;
    const int32_t rc = other.open(pty->widePath());
    QVERIFY(rc != 0);
    QVERIFY(!other.isOpen());

    QCOMPARE(port.close(), 0);
    QVERIFY(!port.isOpen());
    QCOMPARE(other.open(pty->widePath()), 0); // free again after close

    CSerial missing;
    QCOMPARE(missing.open(L"/nonexistent/tty-for-link-test"), ENOENT);
    QVERIFY(!missing.isOpen());
}

void SerialTest::aTtyThatRefusesRawModeIsNotOpened()
{
    RefusingSerial port;
    QCOMPARE(port.open(pty->widePath()), EIO);
    QVERIFY(!port.isOpen());
    QCOMPARE(port.lastError(), EIO);
    // Nothing of it stays behind: the port is free for the next open.
    CSerial other;
    QCOMPARE(other.open(pty->widePath()), 0);
}

void SerialTest::operationsOnAClosedPortReportInvalidHandle()
{
    CSerial port;
    uint32_t written = 99;
    QCOMPARE(port.write("abc", 3, &written, 500), serial_error::invalidHandle);
    QCOMPARE(written, 0u);
    uint8_t buf[8];
    uint32_t got = 99;
    QCOMPARE(port.read(buf, sizeof buf, &got, 100), serial_error::invalidHandle);
    QCOMPARE(got, 0u);
    QCOMPARE(port.waitForEvent(10), serial_error::invalidHandle);
    QCOMPARE(port.eventMask(), 0u);
    QCOMPARE(port.lastError(), serial_error::invalidHandle);
    QCOMPARE(port.setEventMask(1), serial_error::invalidHandle);
    QCOMPARE(port.close(), 0);

    // Opened and closed again: still nothing goes out.
    QCOMPARE(port.open(pty->widePath()), 0);
    QCOMPARE(port.close(), 0);
    QCOMPARE(port.write("abc", 3, &written, 500), serial_error::invalidHandle);
    QCOMPARE(written, 0u);
    // What the device sees first is what is written after the next open.
    QCOMPARE(port.open(pty->widePath()), 0);
    QCOMPARE(port.write("xyz", 3, &written, 500), 0);
    const auto seen = pty->receive();
    QCOMPARE(std::string(seen.begin(), seen.end()), std::string("xyz"));
}

void SerialTest::finiteTimeoutNeedsEventSupport()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath(), 0, 0, false), 0);
    uint32_t written = 0;
    QCOMPARE(port.write("x", 1, &written, 100), serial_error::invalidFunction);
    QCOMPARE(port.waitForEvent(100), serial_error::invalidFunction);
    QCOMPARE(port.write("x", 1, &written, -1), 0); // no limit is allowed
    QCOMPARE(written, 1u);
}

void SerialTest::outOfRangeSelectorsChangeNothing()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath()), 0);
    QCOMPARE(port.setHandshaking(2), 0);
    QCOMPARE(port.handshaking(), 2);
    QCOMPARE(port.setHandshaking(3), serial_error::invalidArgument);
    QCOMPARE(port.handshaking(), 2);
    QCOMPARE(port.setHandshaking(0), 0);
    QCOMPARE(port.handshaking(), 0);

    QCOMPARE(port.setReadMode(2), serial_error::invalidArgument);
    // Still mode 0: a read returns at once with what is queued.
    uint8_t buf[4];
    uint32_t got = 9;
    QCOMPARE(port.read(buf, sizeof buf, &got, 200), 0);
    QCOMPARE(got, 0u);

    // A pty keeps 8 data bits without parity whatever is asked; the rate
    // and stop bits it stores.
    QCOMPARE(port.configure(57600, 8, 0, 2), 0);
    QCOMPARE(port.baudRate(), 57600u);
    QCOMPARE(port.stopBits(), uint8_t(2));
    QCOMPARE(port.dataBits(), uint8_t(8));
    QCOMPARE(port.parity(), uint8_t(0));
    QCOMPARE(port.configure(115200, 9, 0, 0), serial_error::invalidArgument);
    QCOMPARE(port.baudRate(), 57600u);
}

void SerialTest::writeThatCannotCompleteTimesOut()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath()), 0);
    // Nobody reads the master: the pty's buffers fill and the write stalls.
    std::vector<uint8_t> big(4 << 20, 0x5A);
    uint32_t written = 0;
    QCOMPARE(port.write(big.data(), static_cast<uint32_t>(big.size()), &written, 500), serial_error::timeout);
    QCOMPARE(port.lastError(), serial_error::timeout);
    QVERIFY(written > 0);
    QVERIFY(written < big.size());
}

void SerialTest::readModes()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath()), 0);
    QVERIFY(pty->send({1, 2, 3}));
    QTRY_COMPARE_WITH_TIMEOUT(port.queuedBytes(), 3, 5000);
    uint8_t buf[8] = {};
    uint32_t got = 0;
    QCOMPARE(port.read(buf, sizeof buf, &got, 200), 0); // mode 0: what is queued
    QCOMPARE(got, 3u);
    QCOMPARE(buf[2], uint8_t(3));

    QCOMPARE(port.setReadMode(1), 0);
    QVERIFY(pty->send({7, 8}));
    QCOMPARE(port.read(buf, 4, &got, 1000), serial_error::timeout); // mode 1 waits for all four
    QCOMPARE(got, 2u);
    QCOMPARE(buf[0], uint8_t(7));
    QCOMPARE(buf[1], uint8_t(8));
}

void SerialTest::eventWaitSeesDataAndIsCompletedByMaskChange()
{
    CSerial port;
    QCOMPARE(port.open(pty->widePath()), 0);
    QCOMPARE(port.waitForEvent(100), serial_error::timeout);
    QVERIFY(pty->send({0x42}));
    QCOMPARE(port.waitForEvent(5000), 0);
    QCOMPARE(port.takeEvents(), serial_event::rxChar);
    QCOMPARE(port.takeEvents(), 0u); // taken
    QCOMPARE(port.takeErrors(), 0u);
    uint8_t b = 0;
    uint32_t got = 0;
    QCOMPARE(port.read(&b, 1, &got, 100), 0);

    // A mask change from another thread completes a wait without limit.
    auto waiting = std::async(std::launch::async, [&] { return port.waitForEvent(-1); });
    QVERIFY(waiting.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout);
    QCOMPARE(port.setEventMask(serial_event::defaultMask), 0);
    QVERIFY(waiting.wait_for(std::chrono::seconds(10)) == std::future_status::ready);
    QCOMPARE(waiting.get(), 0);
    QCOMPARE(port.takeEvents(), 0u);

    // With character events masked out, queued data does not end a wait.
    QVERIFY(pty->send({0x43}));
    QCOMPARE(port.setEventMask(serial_event::breakSeen), 0);
    QCOMPARE(port.waitForEvent(200), serial_error::timeout);
}

void SerialTest::listenerDeliversDataAndStopsWhileWaiting()
{
    RecordingSerial port;
    QCOMPARE(port.open(pty->widePath(), 0, 0, true), 0);
    QVERIFY(port.listenerRunning());
    QVERIFY(pty->send({9, 8, 7}));
    QTRY_COMPARE_WITH_TIMEOUT(port.received().size(), size_t(3), 5000);
    QCOMPARE(port.seenEvents, serial_event::rxChar);

    // Waiting for an event with nothing to come: the stop wakes it.
    const int callsBefore = port.calls.load();
    QCOMPARE(port.stopListener(1000), 0);
    QVERIFY(!port.listenerRunning());
    QVERIFY(!port.ended.load()); // a requested stop is not a failure
    QCOMPARE(port.listenerExitCode(), 0);
    QCOMPARE(port.calls.load(), callsBefore);

    // Stopped: data waits in the port until a listener runs again.
    QVERIFY(pty->send({6}));
    QTRY_COMPARE_WITH_TIMEOUT(port.queuedBytes(), 1, 5000);
    QCOMPARE(port.received().size(), size_t(3));
    QCOMPARE(port.startListener(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(port.received().size(), size_t(4), 5000);
    QCOMPARE(port.close(), 0);
    QVERIFY(!port.listenerRunning());
    QVERIFY(!port.isOpen());
}

void SerialTest::hangUpEndsTheListenerWithoutSpinning()
{
    RecordingSerial port;
    QCOMPARE(port.open(pty->widePath(), 0, 0, true), 0);
    pty->closeSlave();
    QVERIFY(pty->send({1, 2}));
    QTRY_COMPARE_WITH_TIMEOUT(port.received().size(), size_t(2), 5000);
    pty->closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(port.ended.load(), 5000);
    QCOMPARE(port.endError.load(), EIO);
    QVERIFY(!port.listenerRunning());
    const int calls = port.calls.load();
    QVERIFY2(calls <= 3, qPrintable(QString::number(calls)));
    QCOMPARE(port.close(), 0);
}

QTEST_GUILESS_MAIN(SerialTest)
#include "SerialTest.moc"
