// The upgrade engine against a recording device I/O; the timer is driven by
// calling its slot, so every expiry is counted exactly.
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"

#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "protocol/DevAckID.h"
#include "upgrade/DevUpgrade.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using kzo::test::FakeDevIo;
using kzo::test::LogCapture;
using kzo::test::WrittenFrame;

using kzo::frame::readU32;

namespace {

std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 13 + 5);
    return v;
}

} // namespace

class TestUpgradeEngine : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeDevIo> io;
    std::unique_ptr<orb::DevAckID> acks;
    std::unique_ptr<orb::DevUpgrade> engine;
    std::unique_ptr<LogCapture> log;

    QTimer* engineTimer() { return engine->findChild<QTimer*>(); }

    // Brings a direct upgrade of the main controller into the transfer phase
    // and returns the frames written on the way.
    void enterDirect(int length)
    {
        const auto image = pattern(static_cast<size_t>(length));
        engine->setTarget(orb::module::Mc, 0, 1);
        QVERIFY(engine->upgradeImage(image.data(), length, 1));
        io->deliverId(orb::cmdid::StatusReport, {0xFE});
        io->takeFrames();
    }

private slots:
    void init()
    {
        io = std::make_unique<FakeDevIo>();
        io->sendCommandWrites = false; // bare commands are checked on their own
        acks = std::make_unique<orb::DevAckID>();
        engine = std::make_unique<orb::DevUpgrade>();
        io->addListener(acks.get());
        io->addListener(engine.get());
        log = std::make_unique<LogCapture>();
    }
    void cleanup()
    {
        log.reset();
        engine.reset();
        acks.reset();
        io.reset();
    }

    void directTransferOfThousandBytes()
    {
        const auto image = pattern(1000);
        engine->setTarget(orb::module::Mc, 0, 1);
        QVERIFY(engine->upgradeImage(image.data(), 1000, 1));
        QVERIFY(!engine->isIdle());
        QVERIFY(!engine->hasResponse());
        QCOMPARE(appModel().status(), int(AppUpgrading));
        QVERIFY(engineTimer()->isActive());
        QCOMPARE(engineTimer()->interval(), 600);
        QVERIFY(log->hasLine("Upgrade", "Total :6 ,fw Len:1000"));

        // Status request: 36 bytes, identifier mcDeviceId, payload [module, sub].
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].size(), 36);
        QCOMPARE(w[0].id(), 0x0101);
        QCOMPARE(w[0].payload()[0], 1);
        QCOMPARE(w[0].payload()[1], 0);

        // The module still runs its application: ask it into the loader on every report.
        io->deliverId(orb::cmdid::StatusReport, {0x00});
        io->deliverId(orb::cmdid::StatusReport, {0x00});
        QCOMPARE(io->takeCommands(), (std::vector<uint16_t>{0x0242, 0x0242}));
        QVERIFY(log->hasLine("Upgrade", "Send CMD_ENTRY_UPDATE!"));
        io->deliverId(orb::cmdid::EnterLoaderAck, {0});
        QVERIFY(log->hasLine("Upgrade", "Entry Update Ack!"));
        QVERIFY(acks->printAcks);

        // Loader mode: echo off, the transfer begins with the timer.
        io->deliverId(orb::cmdid::StatusReport, {0xFC});
        QVERIFY(!acks->printAcks);
        QVERIFY(engine->hasResponse());
        QVERIFY(io->takeFrames().empty());
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        engine->handleTimeout();
        w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].id(), 0x0233);
        QCOMPARE(w[0].sequence(), 1);
        QCOMPARE(readU32(w[0].payload()), 1000u);

        std::vector<WrittenFrame> sent;
        std::vector<int> steps;
        const uint16_t ackIds[] = {0x0234, 0x0236, 0x0236, 0x0236, 0x0236, 0x0241};
        for (int i = 0; i < 6; ++i) {
            io->deliverId(ackIds[i], {static_cast<uint8_t>(i == 2 ? 2 : 0)}); // result 2 is accepted too
            steps.push_back(engine->progress());
            for (auto& f : io->takeFrames())
                sent.push_back(f);
        }
        QCOMPARE(steps, (std::vector<int>{17, 34, 50, 67, 84, 100}));
        QCOMPARE(sent.size(), size_t(5));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(sent[i].sequence(), i + 2);
        QCOMPARE(sent[4].id(), 0x0240);
        QCOMPARE(readU32(sent[4].payload()), 1024u);
        std::vector<uint8_t> received;
        for (int i = 0; i < 4; ++i)
            received.insert(received.end(), sent[i].payload() + 1, sent[i].payload() + 257);
        received.resize(1000);
        QCOMPARE(received, image);

        QVERIFY(engine->isIdle());
        QVERIFY(engine->upgradeResult());
        QCOMPARE(engine->progress(), 100);
        QCOMPARE(appModel().status(), int(AppIdle));
        QVERIFY(acks->printAcks);
        QVERIFY(log->hasLine("Upgrade", "success, re-power device !"));
        QVERIFY(log->bytes().contains("\r[84%]  "));
        QVERIFY(log->bytes().contains("\r[100%]  "));

        // The next expiry closes the port exactly once and stops the timer.
        QCOMPARE(io->closeCount(), 0);
        engine->handleTimeout();
        QCOMPARE(io->closeCount(), 1);
        QVERIFY(!engineTimer()->isActive());
        engine->handleTimeout();
        QCOMPARE(io->closeCount(), 1);
    }

    void waitingRepeatsStatusRequest()
    {
        engine->setTarget(orb::module::Cmu, 0, 1);
        const auto image = pattern(10);
        QVERIFY(engine->upgradeImage(image.data(), 10, 0));
        io->takeFrames();
        engine->handleTimeout();
        engine->handleTimeout();
        io->dispatch(EvConnected, nullptr);
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(3));
        for (auto& f : w) {
            QCOMPARE(f.id(), 0x0101);
            QCOMPARE(f.payload()[0], 12);
        }
        QVERIFY(log->hasLine("Upgrade", "Waitting for Response..."));
        io->deliverId(orb::cmdid::StatusReport, {0x01});
        QCOMPARE(io->takeCommands(), std::vector<uint16_t>{0x1242});
        QVERIFY(log->hasLine("Upgrade", "Send CMD_CMU_ENTRY_UPDATE!"));
    }

    void unansweredPacketFailsAfterThreeResends()
    {
        enterDirect(300);
        QSignalSpy errors(engine.get(), &orb::DevUpgrade::upgradeError);
        engine->handleTimeout();
        engine->handleTimeout(); // start packet, first try
        io->deliverId(0x0234, {0});  // the first data packet goes out at once
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(2));
        QCOMPARE(w[1].id(), 0x0235);
        QCOMPARE(w[1].sequence(), 2);

        // Re-sent every second expiry, same number, three times.
        for (int round = 0; round < 3; ++round) {
            engine->handleTimeout();
            QVERIFY(io->takeFrames().empty());
            engine->handleTimeout();
            auto r = io->takeFrames();
            QCOMPARE(r.size(), size_t(1));
            QCOMPARE(r[0].bytes, w[1].bytes);
        }
        engine->handleTimeout();
        QVERIFY(!engine->isIdle());
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        QVERIFY(log->hasLine("Upgrade", "try 3 times!"));
        QVERIFY(log->hasLine("Upgrade", "failure !"));
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeResult());
        QCOMPARE(engine->progress(), 100);
        QCOMPARE(errors.count(), 0);
        engine->handleTimeout();
        QCOMPARE(io->closeCount(), 1);
    }

    void startPacketHasThreeTries()
    {
        enterDirect(100);
        int starts = 0;
        for (int i = 0; i < 8; ++i) {
            engine->handleTimeout();
            for (auto& f : io->takeFrames()) {
                QCOMPARE(f.id(), 0x0233);
                QCOMPARE(f.sequence(), 1);
                ++starts;
            }
        }
        QCOMPARE(starts, 3);
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeResult());
    }

    void transmitErrorEndsUpgrade()
    {
        enterDirect(600);
        QSignalSpy errors(engine.get(), &orb::DevUpgrade::upgradeError);
        engine->handleTimeout();
        engine->handleTimeout();
        io->deliverId(0x0234, {0});
        io->deliverId(0x0236, {1});
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toInt(), 1);
        QVERIFY(log->bytes().contains("\tAck ID=0x0236,result=0x01,Seq=2\n"));
        QVERIFY(log->hasLine("Upgrade", "data transmit error!"));
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeResult());
        // Frames after the outcome are ignored.
        io->takeFrames();
        io->deliverId(0x0236, {0});
        QVERIFY(io->takeFrames().empty());
    }

    // A packet re-sent while its answer was late is answered twice. The
    // second answer to the last data packet arrives while the end packet is
    // out: it does not complete the upgrade; the end packet's own answer does
    // (here: a refusal).
    void lateSecondAnswerIsNotTheEndPacketsAnswer()
    {
        enterDirect(300); // start, two data packets, end
        engine->handleTimeout();
        engine->handleTimeout();
        io->deliverId(0x0234, {0});
        io->deliverId(0x0236, {0});
        io->deliverId(0x0236, {0}); // the end packet goes out
        auto w = io->takeFrames();
        QCOMPARE(w.back().id(), 0x0240);
        QCOMPARE(w.back().sequence(), 4);

        io->deliverId(0x0236, {0}); // the late second answer to packet 3
        QVERIFY(!engine->isIdle());
        QCOMPARE(engine->progress(), 75);
        QVERIFY(io->takeFrames().empty());
        io->deliverId(0x0241, {1});
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeResult());

        // The same for a start answered twice: the second is not the first data packet's.
        enterDirect(300);
        engine->handleTimeout();
        engine->handleTimeout();
        io->deliverId(0x0234, {0});
        io->deliverId(0x0234, {0});
        QCOMPARE(engine->progress(), 25);
        io->deliverId(0x0236, {0});
        QCOMPARE(engine->progress(), 50);
    }

    // An idle engine reset by a dialog must not end a read-all or a
    // restore that the window is running; it ends only its own upgrade.
    void resetEndsOnlyAnUpgradeStatus_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("idle") << int(AppIdle) << int(AppIdle);
        QTest::newRow("upgrading") << int(AppUpgrading) << int(AppIdle);
        QTest::newRow("loading all") << int(AppLoadingAll) << int(AppLoadingAll);
        QTest::newRow("restoring") << int(AppRestoring) << int(AppRestoring);
    }
    void resetEndsOnlyAnUpgradeStatus()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        appModel().setStatus(before);
        engine->reset();
        QCOMPARE(appModel().status(), after);
        appModel().setStatus(before);
        engine->finish(false);
        QCOMPARE(appModel().status(), after);
        appModel().setStatus(AppIdle);
    }

    void resetDoesNotReportFailureLater()
    {
        enterDirect(600);
        engine->reset();
        QVERIFY(engine->isIdle());
        for (int i = 0; i < 10; ++i)
            engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        QVERIFY(!log->hasLine("Upgrade", "failure !"));
        QCOMPARE(io->closeCount(), 0);
    }

    void canTransferWithVerify_data()
    {
        QTest::addColumn<int>("verify");
        QTest::addColumn<int>("flag");
        QTest::newRow("verified") << 0 << 1;
        QTest::newRow("verify failed") << 3 << 1;
        QTest::newRow("plain image") << 0 << 0;
    }
    void canTransferWithVerify()
    {
        QFETCH(int, verify);
        QFETCH(int, flag);
        const auto image = pattern(256);
        QSignalSpy startCheck(engine.get(), &orb::DevUpgrade::upgradeStartCheck);
        QSignalSpy checkResult(engine.get(), &orb::DevUpgrade::upgradeCheckResult);
        engine->setTarget(orb::module::Led, 0, 0);
        QVERIFY(engine->upgradeImage(image.data(), 256, static_cast<uint8_t>(flag)));
        io->takeFrames();

        io->deliverId(orb::cmdid::StatusReport, {0x00});
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].id(), 0x0FA0);
        QCOMPARE(w[0].size(), 40);
        const uint8_t entry[6] = {4, 0, 0, 0, 0, 0};
        QVERIFY(std::equal(entry, entry + 6, w[0].payload()));
        QVERIFY(log->hasLine("Upgrade", "Write Entry Upgrade, Device ID: 0x04"));

        io->deliverId(orb::cmdid::StatusReport, {0x40}); // in loader: the report goes no further
        QVERIFY(io->takeFrames().empty());
        QVERIFY(!engine->hasResponse());
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        engine->handleTimeout();
        w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].id(), 0x0FA2);
        QCOMPARE(w[0].sequence(), 1);

        io->deliverId(0x0FA3, {0});
        io->deliverId(0x0FA5, {0});
        w = io->takeFrames();
        QCOMPARE(w.size(), size_t(2));
        QCOMPARE(w[1].id(), 0x0FA6);
        QCOMPARE(w[1].sequence(), 3);
        io->deliverId(0x0FA7, {0});
        w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].id(), 0x0FA8);
        QCOMPARE(w[0].size(), 292);
        QCOMPARE(w[0].payload()[0], 4);
        QCOMPARE(w[0].payload()[1], 0);
        // The last block for an enciphered image, zeros for a plain one.
        if (flag)
            QVERIFY(std::equal(image.begin(), image.end(), w[0].payload() + 2));
        else
            QVERIFY(std::all_of(w[0].payload() + 2, w[0].payload() + 258, [](uint8_t v) { return v == 0; }));
        QCOMPARE(startCheck.count(), 1);
        QVERIFY(log->hasLine("Upgrade", "Verifying ..."));
        QCOMPARE(engine->progress(), 100);
        QVERIFY(!engine->isIdle()); // waits for the verdict

        io->deliverId(0x0FA9, {static_cast<uint8_t>(verify)});
        QCOMPARE(checkResult.count(), 1);
        QCOMPARE(checkResult.at(0).at(0).toInt(), verify);
        QVERIFY(log->hasLine("Upgrade", QByteArray("Verify result:0x0") + QByteArray::number(verify)));
        QVERIFY(engine->isIdle());
        QCOMPARE(engine->upgradeResult(), verify == 0);
    }

    void imuTransferOf300Bytes()
    {
        const auto image = pattern(300);
        engine->setTarget(orb::module::Imu, 0, 1);
        QVERIFY(engine->upgradeImu(image.data(), 300));
        QCOMPARE(io->takeCommands(), std::vector<uint16_t>{0x02B0});
        QVERIFY(io->takeFrames().empty());
        QVERIFY(!acks->printAcks);
        QCOMPARE(appModel().status(), int(AppUpgrading));
        QVERIFY(log->hasLine("Upgrade", "Total :4 ,fw Len:300"));
        engine->handleTimeout();
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty()); // no re-sends on this path

        io->deliverId(0x02B1, {});
        QVERIFY(engine->hasResponse());
        QCOMPARE(engine->progress(), 25);
        io->deliverId(0x02B1, {}); // a second ready report sends nothing
        io->deliverId(0x02B3, {});
        io->deliverId(0x02B4, {}); // ignored
        io->deliverId(0x02B5, {});
        QCOMPARE(engine->progress(), 75);
        io->deliverId(0x02B5, {});
        QCOMPARE(engine->progress(), 100);
        io->deliverId(0x02B5, {}); // nothing left
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(4));
        QCOMPARE(w[0].id(), 0x02B2);
        QCOMPARE(readU32(w[0].payload()), 300u);
        std::vector<uint8_t> received;
        for (int i = 1; i < 4; ++i) {
            QCOMPARE(w[i].id(), 0x02B7);
            QCOMPARE(w[i].sequence(), 0);
            received.insert(received.end(), w[i].payload(), w[i].payload() + 128);
        }
        received.resize(300);
        QCOMPARE(received, image);
        QVERIFY(!engine->isIdle());
        io->deliverId(0x02B6, {});
        QVERIFY(engine->isIdle());
        QVERIFY(engine->upgradeResult());
        engine->handleTimeout();
        QCOMPARE(io->closeCount(), 1);
    }

    void fileUpgrades()
    {
        QTemporaryDir dir;
        auto writeFile = [&](const QString& name, const QByteArray& bytes) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(bytes);
            return dir.filePath(name).toStdWString();
        };

        QVERIFY(!engine->upgradeMcFile(dir.filePath("absent.bin").toStdWString()));
        QVERIFY(log->hasLine("Upgrade", "Open File Error !"));
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeMcFile(L""));

        const auto bad = writeFile("yaw.hex", ":00000001FF\r\n:1000G\r\n");
        QVERIFY(!engine->upgradeYawFile(bad));
        QVERIFY(log->hasLine("Upgrade", "HEX line 2 holds a character that is not a hex digit, file rejected"));
        QVERIFY(io->takeFrames().empty());
        QVERIFY(io->takeCommands().empty());
        QCOMPARE(appModel().status(), int(AppIdle));

        const QByteArray hex = ":0400000001020304F2\r\n:00000001FF\r\n";
        QVERIFY(engine->upgradeRollFile(writeFile("roll.hexc", hex)));
        QVERIFY(log->bytes().contains("Read END !!\n"));
        QVERIFY(log->hasLine("Upgrade", "Total :5,data Len: 100"));
        auto w = io->takeFrames();
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(w[0].payload()[0], 14);
        io->deliverId(orb::cmdid::StatusReport, {0x00});
        QCOMPARE(io->takeCommands(), std::vector<uint16_t>{0x3242});
        io->deliverId(orb::cmdid::StatusReport, {0xFA});
        engine->handleTimeout();
        engine->handleTimeout();
        io->deliverId(0x3234, {0});
        w = io->takeFrames();
        QCOMPARE(w.size(), size_t(2));
        QCOMPARE(w[0].id(), 0x3233);
        QCOMPARE(readU32(w[0].payload()), static_cast<uint32_t>(hex.size()));
        QCOMPARE(w[1].id(), 0x3235);
        QCOMPARE(w[1].payload()[0], 1); // "...c": enciphered
        QCOMPARE(w[1].payload()[5], 0x01);

        const auto raw = pattern(513);
        QVERIFY(engine->upgradeCmuFile(
            writeFile("cmu.bin", QByteArray(reinterpret_cast<const char*>(raw.data()), 513))));
        QVERIFY(log->hasLine("Upgrade", "Total :5,data Len: 768"));
    }

    // Nothing to flash, or only part of an image: refused before anything
    // is sent, with the reason in the log, and the engine stays idle.
    void imagesWithNothingToFlash_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("logged");
        const QByteArray rec = ":0400000001020304F2\r\n";
        const QByteArray eof = ":00000001FF\r\n";
        const QString noData = "HEX file holds no data records, file rejected";
        QTest::newRow("empty raw file") << 1 << "mc.bin" << QByteArray() << "Image is empty, nothing to flash";
        QTest::newRow("empty CMU file") << 12 << "cmu.enc" << QByteArray() << "Image is empty, nothing to flash";
        QTest::newRow("empty HEX file") << 13 << "pitch.hex" << QByteArray() << noData;
        QTest::newRow("binary image as HEX") << 13 << "pitch.bin" << QByteArray("\x02\x00\x20\x08\xC1\x01", 6)
                                             << noData;
        QTest::newRow("byte-order mark") << 14 << "roll.hex" << "\xEF\xBB\xBF" + rec + eof << noData;
        QTest::newRow("blank first line") << 15 << "yaw.hex" << "\r\n" + rec + eof << noData;
        QTest::newRow("end record only") << 15 << "yaw.hex" << eof << noData;
        QTest::newRow("blank line in the middle")
            << 14 << "roll.hex" << rec + "\r\n" + rec + eof
            << "HEX line 2 is not a record and ends the records before the end-of-file record, file rejected";
        QTest::newRow("no end record") << 13 << "pitch.hex" << rec + rec
                                       << "HEX file ends without its end-of-file record, file rejected";
    }
    void imagesWithNothingToFlash()
    {
        QFETCH(int, module);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, logged);
        QTemporaryDir dir;
        QFile f(dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const std::wstring path = f.fileName().toStdWString();

        bool started = true;
        switch (module) {
        case 1: started = engine->upgradeMcFile(path); break;
        case 12: started = engine->upgradeCmuFile(path); break;
        case 13: started = engine->upgradePitchFile(path); break;
        case 14: started = engine->upgradeRollFile(path); break;
        default: started = engine->upgradeYawFile(path); break;
        }
        QVERIFY(!started);
        QVERIFY2(log->hasLine("Upgrade", logged), qPrintable(log->text()));
        QVERIFY(engine->isIdle());
        QVERIFY(!engine->upgradeResult());
        QCOMPARE(appModel().status(), int(AppIdle));
        QVERIFY(io->takeFrames().empty());
        QVERIFY(io->takeCommands().empty());
        // The timer has nothing to do: no status request, no outcome.
        engine->handleTimeout();
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        QVERIFY(!log->hasLine("Upgrade", "success, re-power device !"));
        QCOMPARE(io->closeCount(), 0);
    }

    void emptyMemoryImagesAreRefused()
    {
        const uint8_t none[1] = {};
        engine->setTarget(orb::module::Mc, 0, 1);
        QVERIFY(!engine->upgradeImage(none, 0, 1));
        engine->setTarget(orb::module::Led, 0, 0);
        QVERIFY(!engine->upgradeImage(none, 0, 1));
        engine->setTarget(orb::module::Imu, 0, 1);
        QVERIFY(!engine->upgradeImu(none, 0));
        QVERIFY(log->hasLine("Upgrade", "Image is empty, nothing to flash"));
        QVERIFY(engine->isIdle());
        QCOMPARE(appModel().status(), int(AppIdle));
        engine->handleTimeout();
        engine->handleTimeout();
        QVERIFY(io->takeFrames().empty());
        QVERIFY(io->takeCommands().empty());
        QVERIFY(!log->hasLine("Upgrade", "success, re-power device !"));
    }

    void refusedImages()
    {
        const uint8_t b[4] = {};
        engine->setTarget(orb::module::Pitch, 0, 1);
        QVERIFY(!engine->upgradeImage(b, 4, 1)); // HEX loaders take no raw image
        engine->setTarget(orb::module::Mc, 0, 1);
        QVERIFY(!engine->upgradeImage(nullptr, 4, 1));
        QVERIFY(!engine->upgradeImage(b, -1, 1));
        QVERIFY(engine->isIdle());
        QVERIFY(io->takeFrames().empty());
    }

    void stallFinishFromCaller()
    {
        enterDirect(600);
        engine->finish(false);
        QVERIFY(log->hasLine("Upgrade", "failure !"));
        QVERIFY(engine->isIdle());
        QCOMPARE(engine->progress(), 100);
        engine->handleTimeout();
        QCOMPARE(io->closeCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeEngine)
#include "test_upgrade_engine.moc"
