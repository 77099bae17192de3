// Connection manager: link-up handshake, connection on the first status
// report, and the loader-mode analysis of status reports.
#include "support/EagerDevIo.h"
#include "commands/CommandCatalogue.h"
#include "commands/qConnector.h"
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"

#include <QSignalSpy>
#include <QTest>
#include <thread>

using kzo::test::EagerDevIo;
using kzo::test::FakeDevIo;
using Bytes = FakeDevIo::Bytes;

class TestConnector : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        io = std::make_unique<FakeDevIo>();
        conn = std::make_unique<qConnector>();
        io->addListener(conn.get());
        abnormal = std::make_unique<QSignalSpy>(conn.get(), &qConnector::deviceAbnormal);
        changed = std::make_unique<QSignalSpy>(conn.get(), &qConnector::connectionChanged);
        // One list of both signals, to check their order. Signals emitted on
        // other threads in the previous test arrive as queued calls: deliver
        // them before the list starts.
        QCoreApplication::sendPostedEvents();
        order.clear();
        connect(conn.get(), &qConnector::deviceAbnormal, this, [this](int c) { order << QString("abnormal %1").arg(c); });
        connect(conn.get(), &qConnector::connectionChanged, this,
            [this](bool b) { order << QString("connection %1").arg(b ? 1 : 0); });
    }
    void cleanup()
    {
        abnormal.reset();
        changed.reset();
        conn.reset();
        io.reset();
    }

    void linkUpSendsHandshakeAndStatusRequest()
    {
        QCOMPARE(qConnector::instance(), conn.get());
        QCOMPARE(conn->loaderDevice(), -1);
        io->onCommDeviceArrival(L"ttyACM0");
        const auto frames = io->written();
        QCOMPARE(frames.size(), size_t(2));
        // Handshake: 36 bytes, identifier 0x0FB1, payload 01 00.
        Bytes expected(36, 0);
        kzo::frame::buildHeader(expected.data(), 36, 0x0FB1);
        expected[30] = 1;
        expected[31] = 0;
        QCOMPARE(frames[0], expected);
        QCOMPARE(int(frames[0][4]), 32); // record length
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x0FB1, 0x0101}));
        QCOMPARE(frames[1].size(), size_t(34));
        QVERIFY(conn->handshakePending());
        QVERIFY(!conn->isConnected());
        QCOMPARE(changed->count(), 0);

        conn->sendHandshake(2, 0);
        QCOMPARE(io->written().back()[30], uint8_t(2));
    }

    void firstStatusReportConnectsOnce()
    {
        QSignalSpy transfer(conn.get(), &qConnector::dataTransfer);
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0FB2);
        QVERIFY(!conn->handshakePending());
        QCOMPARE(changed->count(), 0);
        std::thread([&] { io->deliverId(0x0102, {0x00}); }).join();
        QVERIFY(conn->isConnected());
        QCOMPARE(changed->count(), 1);
        QCOMPARE(changed->at(0).at(0).toBool(), true);
        io->deliverId(0x0102, {0x00});
        QCOMPARE(changed->count(), 1);
        // Every frame marks activity.
        QCOMPARE(transfer.count(), 3);
        for (const auto& a : transfer)
            QCOMPARE(a.at(0).toBool(), false);

        io->onCommDeviceRemoval(L"ttyACM0");
        QVERIFY(!conn->isConnected());
        QCOMPARE(changed->count(), 2);
        QCOMPARE(changed->at(1).at(0).toBool(), false);
        // The next link-up connects again.
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {0x00});
        QCOMPARE(changed->count(), 3);
    }

    // A lost status request or report must not leave the device unconnected
    // for good: the request is repeated, a few times, until the first report.
    void lostStatusReportIsAskedAgain()
    {
        io->onCommDeviceArrival(L"ttyACM0");
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x0FB1, 0x0101}));
        conn->repeatStatusRequest();
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x0FB1, 0x0101, 0x0101}));
        io->deliverId(0x0102, {0x00});
        QVERIFY(conn->isConnected());
        conn->repeatStatusRequest(); // connected: nothing more to ask
        QCOMPARE(io->writtenIds().size(), size_t(3));

        // Bounded: a device that never reports is not asked for ever.
        io->onCommDeviceRemoval(L"ttyACM0");
        io->onCommDeviceArrival(L"ttyACM0");
        const size_t before = io->writtenIds().size();
        for (int i = 0; i < 20; ++i)
            conn->repeatStatusRequest();
        const size_t repeats = io->writtenIds().size() - before - 2;
        QVERIFY2(repeats >= 3 && repeats <= 10, qPrintable(QString::number(repeats)));
        // After the link goes down nothing is asked either.
        io->onCommDeviceRemoval(L"ttyACM0");
        io->onCommDeviceArrival(L"ttyACM0");
        io->onCommDeviceRemoval(L"ttyACM0");
        const size_t down = io->writtenIds().size();
        conn->repeatStatusRequest();
        QCOMPARE(io->writtenIds().size(), down);
    }

    // The repeat runs on the connection manager's own timer.
    void statusRepeatRunsOnItsTimer()
    {
        io->onCommDeviceArrival(L"ttyACM0");
        QTRY_VERIFY_WITH_TIMEOUT(io->writtenIds().size() >= 3, 5000);
        QCOMPARE(io->writtenIds()[2], uint16_t(0x0101));
        io->deliverId(0x0102, {0x00});
        const size_t settled = io->writtenIds().size();
        QTest::qWait(1500);
        QCOMPARE(io->writtenIds().size(), settled);
    }

    void mainControllerLoaderOverUsb()
    {
        kzo::test::LogCapture log;
        const int seq = kzo::log::sequence();
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {0xFE});
        QCOMPARE(conn->loaderDevice(), 1);
        QVERIFY(conn->isLoaderMode().load());
        QCOMPARE(order, (QStringList{"abnormal 1", "connection 1"}));
        QCOMPARE(log.bytes(),
            kzo::test::logHeader("CONNECT", seq) + "Main Controller is in loader mode. Connect type :USB\n\n");
    }

    void cmuLoaderOverUsbAndPlainUsbDevice_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("device");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("cmu") << 0xFD << 12 << QByteArray("CMU is in loader mode. Connect type :USB\n");
        QTest::newRow("running") << 0x00 << 0 << QByteArray();
        QTest::newRow("other byte") << 0x40 << 0 << QByteArray();
    }
    void cmuLoaderOverUsbAndPlainUsbDevice()
    {
        QFETCH(int, status);
        QFETCH(int, device);
        QFETCH(QByteArray, line);
        kzo::test::LogCapture log;
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {static_cast<uint8_t>(status)});
        QCOMPARE(conn->loaderDevice(), device);
        QCOMPARE(conn->isLoaderMode().load(), device != 0);
        QCOMPARE(abnormal->count(), device != 0 ? 1 : 0);
        if (device)
            QCOMPARE(abnormal->at(0).at(0).toInt(), device);
        if (line.isEmpty())
            QVERIFY(log.bytes().isEmpty());
        else
            QVERIFY(log.bytes().endsWith(line + "\n"));
    }

    // After the handshake answer, the status byte names a module on CAN with
    // its nibbles swapped.
    void modulesBehindTheController_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("signalled");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("main controller") << 0x10 << 1 << 1
                                         << QByteArray("Main Controller is in loader mode. Connect type :CAN\n");
        QTest::newRow("led") << 0x40 << 4 << 4 << QByteArray("LED is in loader mode.\n");
        QTest::newRow("gps") << 0x30 << 3 << 0 << QByteArray("In loader mode. deviceID = 0x03\n");
        QTest::newRow("cmu") << 0xC0 << 12 << 0 << QByteArray("In loader mode. deviceID = 0x0c\n");
        QTest::newRow("swapped") << 0x21 << 0x12 << 0 << QByteArray("In loader mode. deviceID = 0x12\n");
    }
    void modulesBehindTheController()
    {
        QFETCH(int, status);
        QFETCH(int, device);
        QFETCH(int, signalled);
        QFETCH(QByteArray, line);
        kzo::test::LogCapture log;
        const int seq = kzo::log::sequence();
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0FB2);
        io->deliverId(0x0102, {static_cast<uint8_t>(status)});
        QCOMPARE(conn->loaderDevice(), device);
        QVERIFY(conn->isLoaderMode().load());
        QCOMPARE(log.bytes(), kzo::test::logHeader("CONNECT", seq) + line + "\n");
        if (signalled) {
            QCOMPARE(abnormal->count(), 1);
            QCOMPARE(abnormal->at(0).at(0).toInt(), signalled);
        } else {
            QCOMPARE(abnormal->count(), 0);
        }
        QCOMPARE(changed->count(), 1);

        // Once in loader mode, later reports change nothing.
        io->deliverId(0x0102, {0x40});
        io->deliverId(0x02B1);
        QCOMPARE(conn->loaderDevice(), device);
        QCOMPARE(abnormal->count(), signalled ? 1 : 0);
        QCOMPARE(log.bytes(), kzo::test::logHeader("CONNECT", seq) + line + "\n");
    }

    void noLoaderModeKeepsAnalysing()
    {
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0FB2);
        io->deliverId(0x0102, {0x00});
        QCOMPARE(conn->loaderDevice(), 0);
        QVERIFY(!conn->isLoaderMode().load());
        io->deliverId(0x0102, {0x40});
        QCOMPARE(conn->loaderDevice(), 4);
        QCOMPARE(abnormal->count(), 1);
    }

    void imuBootLoader()
    {
        kzo::test::LogCapture log;
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x02B1);
        QCOMPARE(conn->loaderDevice(), 2);
        QCOMPARE(abnormal->count(), 1);
        QCOMPARE(abnormal->at(0).at(0).toInt(), 2);
        QVERIFY(log.bytes().endsWith("] IMU is in loader mode. Connect type :USB\n\n"));
        QCOMPARE(changed->count(), 0); // not a status report
    }

    // The internal page switches the analysis off and on through this flag.
    void loaderModeFlagGatesTheAnalysis()
    {
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0FB2);
        conn->isLoaderMode() = true;
        io->deliverId(0x0102, {0x40});
        QCOMPARE(conn->loaderDevice(), -1);
        QCOMPARE(abnormal->count(), 0);
        QCOMPARE(changed->count(), 1); // the connection is still reported
        conn->isLoaderMode() = false;
        io->deliverId(0x0102, {0x40});
        QCOMPARE(conn->loaderDevice(), 4);
    }

    void linkDownKeepsLoaderStateUntilNextLinkUp()
    {
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {0xFE});
        io->onCommDeviceRemoval(L"ttyACM0");
        QCOMPARE(conn->loaderDevice(), 1);
        QVERIFY(conn->isLoaderMode().load());
        io->onCommDeviceArrival(L"ttyACM0");
        QCOMPARE(conn->loaderDevice(), -1);
        QVERIFY(!conn->isLoaderMode().load());
        QVERIFY(conn->handshakePending());
    }

    // A peer that answers the handshake and the status request before their
    // writes return, from another thread: the link-up state must already be
    // in place, so the answers are analysed as answers to this link.
    void answersBeforeTheWritesReturn_data()
    {
        QTest::addColumn<bool>("handshakeAnswered");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("signalled");
        QTest::newRow("running") << true << 0x00 << 0 << 0;
        QTest::newRow("main controller loader, usb") << false << 0xFE << 1 << 1;
        QTest::newRow("cmu loader, usb") << false << 0xFD << 12 << 12;
        QTest::newRow("led loader behind the controller") << true << 0x40 << 4 << 4;
    }
    void answersBeforeTheWritesReturn()
    {
        QFETCH(bool, handshakeAnswered);
        QFETCH(int, status);
        QFETCH(int, device);
        QFETCH(int, signalled);
        EagerDevIo eager(EagerDevIo::AnswerOn::OtherThread, [&](const EagerDevIo::Bytes& frame, int) -> std::vector<EagerDevIo::Bytes> {
            const uint16_t id = EagerDevIo::idOf(frame);
            if (id == 0x0FB1 && handshakeAnswered)
                return {EagerDevIo::record(0x0FB2, {1, 0})};
            if (id == 0x0101)
                return {EagerDevIo::record(0x0102, {static_cast<uint8_t>(status)})};
            return {};
        });
        // A link that was up before: the new link-up must not inherit its state.
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {0xFE});
        io->onCommDeviceRemoval(L"ttyACM0");
        QCOMPARE(order.size(), 3);
        abnormal->clear();
        changed->clear();
        order.clear();

        eager.addListener(conn.get());

        eager.onCommDeviceArrival(L"ttyACM0");
        QCOMPARE(eager.writtenIds(), (std::vector<uint16_t>{0x0FB1, 0x0101}));
        QCOMPARE(conn->handshakePending(), !handshakeAnswered);
        QVERIFY(conn->isConnected());
        QCOMPARE(conn->loaderDevice(), device);
        QCOMPARE(conn->isLoaderMode().load(), device != 0);
        QStringList expected;
        if (signalled)
            expected << QString("abnormal %1").arg(signalled);
        expected << "connection 1";
        QTRY_COMPARE_WITH_TIMEOUT(order, expected, 5000);
        QCOMPARE(changed->count(), 1);
        QCOMPARE(abnormal->count(), signalled ? 1 : 0);
    }

    void transferAndConnectFailNotifications()
    {
        QSignalSpy transfer(conn.get(), &qConnector::dataTransfer);
        QSignalSpy fail(conn.get(), &qConnector::connectFail);
        io->onCommDeviceArrival(L"ttyACM0");
        io->deliverId(0x0102, {0x00});
        QVERIFY(conn->isConnected());
        io->dispatch(EvTransferStart, nullptr);
        QCOMPARE(transfer.count(), 2);
        QCOMPARE(transfer.at(1).at(0).toBool(), true);
        io->dispatch(EvConnectFail, nullptr);
        QCOMPARE(fail.count(), 1);
        QVERIFY(!conn->isConnected());
        // A later report announces the connection again.
        io->deliverId(0x0102, {0x00});
        QCOMPARE(changed->count(), 2);
    }

private:
    std::unique_ptr<FakeDevIo> io;
    std::unique_ptr<qConnector> conn;
    std::unique_ptr<QSignalSpy> abnormal, changed;
    QStringList order;
};

QTEST_MAIN(TestConnector)
#include "test_connector.moc"
