// The internal upgrade page and the test page on a fake device: the IMU
// image walked command by command against a simulated IMU boot loader, its
// end, its time-out and its abandonment; the file upgrades handed to the
// engine; the raw commands; and the test page's replies.
#include "upgrade/PageTestRig.h"
#include "upgrade/pages/qExampleTovan.h"
#include "upgrade/pages/qInternalPage.h"

#include "app/config/GlobalCfg.h"
#include "console/DevConsole.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <thread>

using kzo::test::ackRecord;
using kzo::test::FakeDevIo;
using kzo::test::PageRig;
using kzo::test::WrittenFrame;
using kzo::test::words;
using Bytes = std::vector<uint8_t>;

namespace {

// The IMU boot loader as the device simulator plays it: 0x02B0 enters it
// (0x02B1), the length is acknowledged (0x02B3), every 128-byte block too
// (0x02B5), and after the last block it reports the image stored (0x02B6).
// Replies go out from the event loop, never from inside the write.
class ImuLoaderSim {
public:
    explicit ImuLoaderSim(FakeDevIo& io) : io(io)
    {
        io.onWrite = [this](const WrittenFrame& f) { onFrame(f); };
    }
    ~ImuLoaderSim() { io.onWrite = nullptr; }
    ImuLoaderSim(const ImuLoaderSim&) = delete;
    ImuLoaderSim& operator=(const ImuLoaderSim&) = delete;

    // Blocks answered before the loader falls silent (-1: all).
    int answerBlocks = -1;
    // Answers delivered on a thread of their own, as the serial listener does.
    bool fromOtherThread = false;
    uint32_t length = 0;
    Bytes image;
    std::vector<uint16_t> blockIds;

private:
    void onFrame(const WrittenFrame& f)
    {
        switch (f.id()) {
        case orb::cmdid::ImuStart: reply(orb::cmdid::ImuLoaderReady); break;
        case orb::cmdid::ImuLength:
            length = kzo::frame::readU32(f.payload());
            reply(orb::cmdid::ImuLengthAck);
            break;
        case orb::cmdid::ImuBlock:
        case orb::cmdid::ImuBlockAlt: {
            blockIds.push_back(f.id());
            image.insert(image.end(), f.payload(), f.payload() + 128);
            if (answerBlocks >= 0 && static_cast<int>(blockIds.size()) > answerBlocks)
                return;
            reply(orb::cmdid::ImuBlockAck);
            if (image.size() >= length)
                reply(orb::cmdid::ImuDone);
            break;
        }
        default: break;
        }
    }
    void reply(uint16_t id)
    {
        FakeDevIo* target = &io;
        const bool threaded = fromOtherThread;
        // Dropped, not delivered, once this simulator is gone.
        QMetaObject::invokeMethod(
            &context,
            [target, id, threaded] {
                if (!threaded) {
                    target->deliver(ackRecord(id, {0}));
                    return;
                }
                std::thread listener([target, id] { target->deliver(ackRecord(id, {0})); });
                listener.join();
            },
            Qt::QueuedConnection);
    }

    FakeDevIo& io;
    QObject context;
};

struct InternalUnderTest {
    explicit InternalUnderTest(PageRig& rig) : rig(rig)
    {
        rig.io.addListener(&page);
        page.setFileChooser([this](const QString& title, const QString& dir, const QString& filter) {
            asked << (title + QLatin1Char('|') + dir + QLatin1Char('|') + filter);
            return chosen;
        });
    }
    ~InternalUnderTest() { rig.io.removeListener(&page); }

    std::vector<uint16_t> writtenOf(std::initializer_list<uint16_t> ids)
    {
        std::vector<uint16_t> out;
        for (uint16_t id : rig.io.writtenIds())
            if (std::find(ids.begin(), ids.end(), id) != ids.end())
                out.push_back(id);
        return out;
    }

    PageRig& rig;
    qInternalPage page;
    QString chosen;
    QStringList asked;
};

Bytes pattern(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 7 + 3);
    return b;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

QSettings userSettings() { return QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp); }

class DumpCountingIo : public FakeDevIo {
public:
    void toggleDump() override { ++dumps; }
    int dumps = 0;
};

} // namespace

class TestInternalPage : public QObject {
    Q_OBJECT

    // A fresh rig and internal page for every test function.
    std::unique_ptr<PageRig> rig;
    std::unique_ptr<InternalUnderTest> t;

private slots:
    void init()
    {
        rig = std::make_unique<PageRig>();
        t = std::make_unique<InternalUnderTest>(*rig);
    }
    void cleanup()
    {
        t.reset();
        rig.reset();
    }

    void theImuListRunsToItsEndAndStops_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("dataId");
        QTest::addColumn<bool>("threaded");
        QTest::newRow("plain") << QStringLiteral("imu.bin") << int(orb::cmdid::ImuBlockAlt) << false;
        QTest::newRow("enciphered") << QStringLiteral("imu.ENC") << int(orb::cmdid::ImuBlock) << false;
        QTest::newRow("answers on another thread") << QStringLiteral("imu.bin") << int(orb::cmdid::ImuBlockAlt) << true;
    }
    void theImuListRunsToItsEndAndStops()
    {
        QFETCH(QString, name);
        QFETCH(int, dataId);
        QFETCH(bool, threaded);
        QTemporaryDir dir;
        const Bytes file = pattern(300); // two whole blocks and a short one
        ImuLoaderSim loader(rig->io);
        loader.fromOtherThread = threaded;
        kzo::test::LogCapture log;
        t->chosen = writeFile(dir, name, file);
        userSettings().setValue(QStringLiteral("path/firmware"), QStringLiteral("/images/imu"));

        t->page.widgets().BTN_GIMBAL->click();
        QCOMPARE(t->asked, QStringList{QStringLiteral("IMU|/images/imu|Firmware (*.bin *.enc)")});
        QCOMPARE(appModel().status(), int(AppUpgrading));
        QVERIFY(t->page.widgets().progressBar->isVisibleTo(&t->page));
        QCOMPARE(t->page.widgets().progressBar->maximum(), 0); // busy until the loader answers
        QCOMPARE(userSettings().value(QStringLiteral("path/firmware")).toString(), dir.path());

        QTRY_VERIFY(t->page.gimbalRun().done());
        QVERIFY(!t->page.gimbalRun().running());
        QCOMPARE(loader.length, uint32_t(300));
        QCOMPARE(loader.blockIds, (std::vector<uint16_t>(3, static_cast<uint16_t>(dataId))));
        Bytes expected = file;
        expected.resize(3 * 128, 0); // the short block is zero-filled
        QCOMPARE(loader.image, expected);
        QCOMPARE(appModel().status(), int(AppIdle));
        QVERIFY(!t->page.isAckTimerActive());
        QTRY_VERIFY(!t->page.widgets().progressBar->isVisibleTo(&t->page));
        QVERIFY(log.text().contains(QStringLiteral("CMD_ID_GIMBAL_UPGRADE_LOADER_ACK!!!")));
        QVERIFY(log.text().contains(QStringLiteral("Upgrade success!")));

        // Late answers after the end send nothing more.
        const int writes = rig->io.writeCount();
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        rig->io.deliver(ackRecord(orb::cmdid::ImuLoaderReady, {0}));
        QCoreApplication::processEvents();
        QCOMPARE(rig->io.writeCount(), writes);
    }

    void theListAdvancesOnlyOnAnswersAndShowsItsProgress()
    {
        QTemporaryDir dir;
        t->chosen = writeFile(dir, QStringLiteral("imu.bin"), pattern(256)); // length + 2 blocks
        const auto listIds = {orb::cmdid::ImuLength, orb::cmdid::ImuBlockAlt, orb::cmdid::ImuBlock};

        t->page.widgets().BTN_GIMBAL->click();
        QCOMPARE(rig->io.takeCommands(), std::vector<uint16_t>{orb::cmdid::ImuStart});
        QVERIFY(t->writtenOf(listIds).empty());
        // Acknowledgements before the loader's answer move nothing.
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        QCoreApplication::processEvents();
        QVERIFY(t->writtenOf(listIds).empty());

        // The loader repeats its answer: the list starts once.
        rig->io.deliver(ackRecord(orb::cmdid::ImuLoaderReady, {0}));
        rig->io.deliver(ackRecord(orb::cmdid::ImuLoaderReady, {0}));
        QTRY_COMPARE(t->writtenOf(listIds), std::vector<uint16_t>{orb::cmdid::ImuLength});
        QCoreApplication::processEvents();
        QCOMPARE(t->writtenOf(listIds).size(), size_t(1));
        QTRY_COMPARE(t->page.widgets().progressBar->value(), 33);
        QCOMPARE(t->page.widgets().progressBar->maximum(), 100);

        rig->io.deliver(ackRecord(orb::cmdid::ImuLengthAck, {0}));
        QTRY_COMPARE(t->writtenOf(listIds).size(), size_t(2));
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        QTRY_COMPARE(t->writtenOf(listIds).size(), size_t(3));
        QTRY_COMPARE(t->page.widgets().progressBar->value(), 100);
        // The last block acknowledged: nothing left to send, waiting for done.
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        QCoreApplication::processEvents();
        QCOMPARE(t->writtenOf(listIds).size(), size_t(3));
        QVERIFY(t->page.gimbalRun().running());
        QVERIFY(t->page.isAckTimerActive());
        QCOMPARE(t->page.widgets().label_ID->text(), QStringLiteral("0x02B5"));

        rig->io.deliver(ackRecord(orb::cmdid::ImuDone, {0}));
        QTRY_VERIFY(t->page.gimbalRun().done());
        QCOMPARE(appModel().status(), int(AppIdle));
    }

    void aSilentLoaderEndsTheRun_data()
    {
        QTest::addColumn<int>("answeredBlocks");
        QTest::addColumn<QString>("line");
        QTest::newRow("never enters its loader") << -2 << QStringLiteral("IMU upgrade timeout: no answer after 0 of 4 commands.");
        QTest::newRow("silent after the first block") << 1 << QStringLiteral("IMU upgrade timeout: no answer after 3 of 4 commands.");
    }
    void aSilentLoaderEndsTheRun()
    {
        QFETCH(int, answeredBlocks);
        QFETCH(QString, line);
        QTemporaryDir dir;
        std::unique_ptr<ImuLoaderSim> loader;
        if (answeredBlocks >= 0) {
            loader = std::make_unique<ImuLoaderSim>(rig->io);
            loader->answerBlocks = answeredBlocks;
        }
        kzo::test::LogCapture log;
        t->page.setAckTimeout(150);
        t->chosen = writeFile(dir, QStringLiteral("imu.bin"), pattern(3 * 128));
        t->page.widgets().BTN_GIMBAL->click();
        QVERIFY(t->page.gimbalRun().running());
        QTRY_VERIFY(!t->page.gimbalRun().running());
        QVERIFY(!t->page.gimbalRun().done());
        QCOMPARE(appModel().status(), int(AppIdle));
        QVERIFY(!t->page.widgets().progressBar->isVisibleTo(&t->page));
        QVERIFY(log.hasLine(QStringLiteral("Upgrade"), line));

        // An answer after the time-out sends nothing.
        const int writes = rig->io.writeCount();
        rig->io.deliver(ackRecord(orb::cmdid::ImuBlockAck, {0}));
        QCoreApplication::processEvents();
        QCOMPARE(rig->io.writeCount(), writes);
        // And a new run can start.
        t->page.widgets().BTN_GIMBAL->click();
        QVERIFY(t->page.gimbalRun().running());
        t->page.PageLeave();
    }

    void leavingThePageAbandonsTheRun()
    {
        QTemporaryDir dir;
        t->page.PageEnter();
        QVERIFY(rig->connector.isLoaderMode().load());
        t->chosen = writeFile(dir, QStringLiteral("imu.bin"), pattern(200));
        t->page.widgets().BTN_GIMBAL->click();
        rig->io.deliver(ackRecord(orb::cmdid::ImuLoaderReady, {0}));
        QTRY_VERIFY(t->page.gimbalRun().started());

        t->page.PageLeave();
        QVERIFY(!rig->connector.isLoaderMode().load());
        QVERIFY(!t->page.gimbalRun().running());
        QVERIFY(!t->page.isAckTimerActive());
        QCOMPARE(appModel().status(), int(AppIdle));
        QVERIFY(!t->page.widgets().progressBar->isVisibleTo(&t->page));
        const int writes = rig->io.writeCount();
        rig->io.deliver(ackRecord(orb::cmdid::ImuLengthAck, {0}));
        QCoreApplication::processEvents();
        QCOMPARE(rig->io.writeCount(), writes);

        // Leaving without a run of its own leaves the window's read-all alone.
        appModel().setStatus(AppLoadingAll);
        t->page.PageEnter();
        t->page.PageLeave();
        QCOMPARE(appModel().status(), int(AppLoadingAll));
    }

    void noImuRunForABusyLinkOrABadFile()
    {
        QTemporaryDir dir;
        t->chosen = writeFile(dir, QStringLiteral("imu.bin"), pattern(200));
        appModel().setStatus(AppUpgrading);
        t->page.widgets().BTN_GIMBAL->click();
        QVERIFY(t->asked.isEmpty());
        QVERIFY(rig->io.takeCommands().empty());
        QVERIFY(!t->page.gimbalRun().running());
        // Cancelled or unreadable files start nothing either.
        appModel().setStatus(AppIdle);
        t->chosen.clear();
        t->page.widgets().BTN_GIMBAL->click();
        t->chosen = dir.filePath(QStringLiteral("missing.bin"));
        t->page.widgets().BTN_GIMBAL->click();
        t->chosen = writeFile(dir, QStringLiteral("empty.bin"), {});
        t->page.widgets().BTN_GIMBAL->click();
        // Far larger than any image: refused before it is read.
        t->chosen = dir.filePath(QStringLiteral("huge.bin"));
        {
            QFile huge(t->chosen);
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize((16LL << 20) + 1));
        }
        kzo::test::LogCapture log;
        t->page.widgets().BTN_GIMBAL->click();
        QVERIFY(log.hasLine(QStringLiteral("Upgrade"),
                            QStringLiteral("Image file too large (16777217 bytes): ") + t->chosen));
        QCOMPARE(t->asked.size(), 4);
        QVERIFY(rig->io.takeCommands().empty());
        QCOMPARE(appModel().status(), int(AppIdle));
    }

    void writeSendsOnlyHexadecimalIds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("sent"); // -1: refused
        QTest::newRow("lower case") << QStringLiteral("02c0") << 0x02C0;
        QTest::newRow("upper case, spaces") << QStringLiteral(" 1245 ") << 0x1245;
        QTest::newRow("largest") << QStringLiteral("FFFF") << 0xFFFF;
        QTest::newRow("zero typed") << QStringLiteral("0") << 0;
        QTest::newRow("not hex") << QStringLiteral("zz") << -1;
        QTest::newRow("decimal word") << QStringLiteral("12g") << -1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("too wide") << QStringLiteral("10000") << -1;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
    }
    void writeSendsOnlyHexadecimalIds()
    {
        QFETCH(QString, text);
        QFETCH(int, sent);
        kzo::test::LogCapture log;
        rig->io.takeCommands();
        t->page.widgets().lineEdit_ID->setText(text);
        t->page.widgets().BTN_WRITE->click();
        if (sent < 0) {
            QVERIFY(rig->io.takeCommands().empty());
            QVERIFY(rig->io.written().empty());
            QVERIFY(log.hasLine(QStringLiteral("Write"),
                                QStringLiteral("Not a hexadecimal command id: \"%1\"").arg(text.trimmed())));
        } else {
            QCOMPARE(rig->io.takeCommands(), std::vector<uint16_t>{static_cast<uint16_t>(sent)});
            QVERIFY(log.hasLine(QStringLiteral("Write"), QString::asprintf("CMDID = 0x%.4x", sent)));
        }
    }

    void testButtonsSendTheirCommands()
    {
        kzo::test::LogCapture log;
        rig->io.takeCommands();
        for (QPushButton* b : t->page.widgets().testButtons)
            b->click();
        QCOMPARE(rig->io.takeCommands(),
                 (std::vector<uint16_t>{0x02E0, 0x02E1, 0x02E2, 0x02E3, 0x02E4, 0x02E5, 0x02E6, 0x02E7}));
        QCOMPARE(log.text().count(QStringLiteral("Button Clicked\n")), 8);
        QCOMPARE(t->page.widgets().testButtons[7]->text(), QStringLiteral("H"));

        DumpCountingIo dumpIo;
        dumpIo.addListener(&t->page);
        t->page.widgets().BTN_DUMP->click();
        QCOMPARE(dumpIo.dumps, 1);
        dumpIo.removeListener(&t->page);
    }

    void theLastFrameIdIsShown()
    {
        rig->io.deliver(kzo::test::payloadRecord(0x1245, {0}));
        QTRY_COMPARE(t->page.widgets().label_ID->text(), QStringLiteral("0x1245"));
        rig->io.deliver(kzo::test::payloadRecord(0x0FB2, {0}));
        QTRY_COMPARE(t->page.widgets().label_ID->text(), QStringLiteral("0x0FB2"));
    }

    void fileUpgradesAskForTheirFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("filter");
        QTest::newRow("CMU") << "BTN_CMU" << "CMU" << "path/firmware_CMU" << "Firmware (*.bin *.enc)";
        QTest::newRow("PITCH") << "BTN_PITCH" << "PITCH" << "path/firmware_PITCH" << "Firmware (*.hex *.enc)";
        QTest::newRow("ROLL") << "BTN_ROLL" << "ROLL" << "path/firmware_ROLL" << "Firmware (*.hex *.enc)";
        QTest::newRow("YAW") << "BTN_YAW" << "YAW" << "path/firmware_YAW" << "Firmware (*.hex *.enc)";
    }
    void fileUpgradesAskForTheirFile()
    {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, key);
        QFETCH(QString, filter);
        userSettings().setValue(key, QStringLiteral("/images/") + title);
        auto* b = t->page.findChild<QPushButton*>(button);
        QVERIFY(b);
        // Cancelled: nothing starts.
        b->click();
        QCOMPARE(t->asked, QStringList{title + QStringLiteral("|/images/") + title + QLatin1Char('|') + filter});
        QVERIFY(rig->engine.isIdle());
        QVERIFY(rig->io.written().empty());
    }

    void fileUpgradesReachTheEngine()
    {
        QTemporaryDir dir;
        kzo::test::LogCapture log;
        t->chosen = writeFile(dir, QStringLiteral("cmu.bin"), pattern(600));
        t->page.widgets().BTN_CMU->click();
        QVERIFY(!rig->engine.isIdle());
        QCOMPARE(appModel().status(), int(AppUpgrading));
        QVERIFY(!rig->io.written().empty());
        QCOMPARE(userSettings().value(QStringLiteral("path/firmware_CMU")).toString(), dir.path());
        rig->engine.reset();
        appModel().setStatus(AppIdle);

        // A file the engine refuses is reported.
        rig->io.clearWritten();
        t->chosen = writeFile(dir, QStringLiteral("pitch.hex"), Bytes{'n', 'o', 't', ' ', 'h', 'e', 'x', '\n'});
        t->page.widgets().BTN_PITCH->click();
        QVERIFY(rig->engine.isIdle());
        QVERIFY(log.hasLine(QStringLiteral("Upgrade"), QStringLiteral("PITCH upgrade not started: ") + t->chosen));
    }

    void theMainControllerUpgradeRunsTheConsoleCommand()
    {
        DevConsole console;
        console.setupCommands(nullptr, nullptr);
        QStringList asked;
        QStringList started;
        console.openFileDialog = [&](const QString& title, const QString&, const QString& filter) {
            asked << title + QLatin1Char('|') + filter;
            return QStringLiteral("/images/mc.bin");
        };
        console.upgradeMcFile = [&](const QString& path) {
            started << path;
            return true;
        };
        t->page.widgets().BTN_UPGRADE->click();
        QCOMPARE(asked, QStringList{QStringLiteral("GCU|Firmware (*.bin *.enc)")});
        QCOMPARE(started, QStringList{QStringLiteral("/images/mc.bin")});
    }

    void theTestPageShowsItsReplies()
    {
        PageRig bench; // the test page alone, without the internal page
        qExampleTovan page;
        bench.io.addListener(&page);
        kzo::test::LogCapture log;
        bench.io.takeCommands();
        page.test1Button()->click();
        page.test2Button()->click();
        page.broadcastHook1();
        QCOMPARE(bench.io.takeCommands(), (std::vector<uint16_t>{0x02A8, 0x02AA, 0x02C0}));

        bench.io.deliver(ackRecord(0x02A9, words({7, 9})));
        bench.io.deliver(ackRecord(0x02AB, words({70000, 4294967295u})));
        bench.io.deliver(ackRecord(0x02C1, words({0x01020304, 0xDEADBEEF, 0, 0xA})));
        QTRY_COMPARE(page.versionText()->text(), QStringLiteral("01020304 DEADBEEF 00000000 0000000A"));
        QCOMPARE(page.result1Label()->text(), QStringLiteral("7, 9"));
        QCOMPARE(page.result2Label()->text(), QStringLiteral("70000, 4294967295"));

        // Wrong lengths are logged and change nothing.
        bench.io.deliver(ackRecord(0x02C1, words({1, 2, 3, 4}), -1));
        bench.io.deliver(ackRecord(0x02A9, words({1, 2}), 2));
        QCoreApplication::processEvents();
        QVERIFY(log.hasLine(QStringLiteral("Protocol"), QStringLiteral("Ack Len:46,desire Len:47 ,ID = 0x02c1")));
        QVERIFY(log.hasLine(QStringLiteral("Protocol"), QStringLiteral("Ack Len:41,desire Len:39 ,ID = 0x02a9")));
        QCOMPARE(page.versionText()->text(), QStringLiteral("01020304 DEADBEEF 00000000 0000000A"));
        QCOMPARE(page.result1Label()->text(), QStringLiteral("7, 9"));
        bench.io.removeListener(&page);
    }

    void renderedPages()
    {
        const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR);
        t->page.resize(850, 560);
        t->page.show();
        QVERIFY(t->page.grab().save(dir + QStringLiteral("/internal-page.png")));
        for (QAbstractButton* b : t->page.findChildren<QAbstractButton*>())
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        QVERIFY(!t->page.widgets().lineEdit_ID->accessibleName().isEmpty());

        qExampleTovan tovan;
        rig->io.addListener(&tovan);
        rig->io.deliver(ackRecord(0x02C1, words({0x01020304, 0xDEADBEEF, 0, 0xA})));
        QTRY_VERIFY(!tovan.versionText()->text().isEmpty());
        tovan.resize(850, 560);
        tovan.show();
        QVERIFY(tovan.grab().save(dir + QStringLiteral("/internal-test-page.png")));
        for (QAbstractButton* b : tovan.findChildren<QAbstractButton*>())
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
        rig->io.removeListener(&tovan);
    }
};

QTEST_MAIN(TestInternalPage)
#include "test_internal_page.moc"
