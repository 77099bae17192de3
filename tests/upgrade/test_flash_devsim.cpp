// kzo-flash against the device simulator, every upgrade path end to end: the
// image the simulator stores must be the image sent.
#include "TestImages.h"
#include "SimProcess.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using kzo::test::hexText;
using kzo::test::randomBytes;

namespace {



struct FlashResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestFlashDevsim : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString link() const { return dir.filePath("tty"); }
    QString outDir() const { return dir.filePath("images"); }

    QString writeImage(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    QByteArray stored(const QString& name)
    {
        QFile f(outDir() + '/' + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    FlashResult flash(const QStringList& args, int timeoutMs = 90000)
    {
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-flash"), QStringList{"--no-udev", "--port", link()} + args);
        FlashResult r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QVERIFY(QDir().mkpath(outDir()));
    }
    void cleanup() { QDir(outDir()).removeRecursively(), QDir().mkpath(outDir()); }

    void everyPath_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("storedAs");
        QTest::addColumn<QStringList>("simArgs");

        const QByteArray raw = randomBytes(20000 + 13, 1);
        QTest::newRow("mc raw") << "mc" << "mc.bin" << raw << "mc.bin" << QStringList{};
        QTest::newRow("mc raw, in loader") << "mc" << "mc2.bin" << raw.left(256) << "mc.bin" << QStringList{"--loader", "mc"};
        QTest::newRow("cmu enciphered") << "cmu" << "cmu.ENC" << randomBytes(3000, 2) << "cmu.bin" << QStringList{};
        QTest::newRow("pitch hex") << "pitch" << "pitch.hex" << hexText(randomBytes(700, 3)) << "pitch.hex" << QStringList{};
        QTest::newRow("yaw hex") << "yaw" << "yaw.hex" << hexText(randomBytes(33, 4)) << "yaw.hex" << QStringList{};
        QTest::newRow("can enciphered") << "75" << "m75.enc" << randomBytes(1000, 5) << "module-75.bin" << QStringList{};
        QTest::newRow("module code") << "200" << "m200.bin" << randomBytes(256, 6) << "module-200.bin" << QStringList{};
        QTest::newRow("imu") << "imu" << "imu.bin" << randomBytes(1000, 7) << "imu.bin" << QStringList{};
        // The codes of the modules on the link itself take their own loaders.
        QTest::newRow("code 1") << "1" << "c1.bin" << randomBytes(700, 14) << "mc.bin" << QStringList{};
        QTest::newRow("code 2") << "2" << "c2.bin" << randomBytes(500, 15) << "imu.bin" << QStringList{};
        QTest::newRow("code 12") << "12" << "c12.bin" << randomBytes(900, 16) << "cmu.bin" << QStringList{};
        QTest::newRow("code 13") << "13" << "c13.hex" << hexText(randomBytes(64, 17)) << "pitch.hex" << QStringList{};
        QTest::newRow("code 14") << "14" << "c14.hex" << hexText(randomBytes(48, 18)) << "roll.hex" << QStringList{};
        QTest::newRow("code 15") << "15" << "c15.hex" << hexText(randomBytes(40, 19)) << "yaw.hex" << QStringList{};
        QTest::newRow("mc, dropped requests") << "mc" << "mc3.bin" << randomBytes(6000, 8) << "mc.bin"
                                              << QStringList{"--drop-replies", "0.15", "--seed", "7"};
    }
    void everyPath()
    {
        QFETCH(QString, module);
        QFETCH(QString, file);
        QFETCH(QByteArray, image);
        QFETCH(QString, storedAs);
        QFETCH(QStringList, simArgs);

        SimProcess sim;
        QVERIFY(sim.start(link(), QStringList{"--image-dir", outDir()} + simArgs));
        const FlashResult r = flash({"--module", module, writeImage(file, image)});
        sim.stop();
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("Upgrade success! Please power cycle device!\n"));
        QVERIFY(r.out.contains("success, re-power device !"));
        QVERIFY(r.out.contains("\r[100%]  "));
        QCOMPARE(stored(storedAs), image);
        if (module == "75" || module == "200")
            QVERIFY(r.out.contains("Verify result:0x00"));
        if (module == "200")
            QVERIFY(r.out.contains("Write Entry Upgrade, Device ID: 0xC8"));
        // Only modules behind the main controller are asked in through the relay.
        const bool relayed = module == "75" || module == "200";
        QCOMPARE(r.out.contains("Write Entry Upgrade"), relayed);
        QCOMPARE(sim.output().contains("0x0fa"), relayed);

        if (simArgs.contains("--drop-replies")) {
            // Some packets were lost and sent again, each under its own number:
            // the simulator saw every number once, in order, without a gap.
            const QByteArray log = sim.output();
            QVERIFY(log.contains("request 0x0235 load data dropped"));
            QRegularExpression seq("<- 0x02(33|35|40) [^\\n]*\\(seq (\\d+),");
            int expected = 1;
            for (auto m = seq.globalMatch(QString::fromLatin1(log)); m.hasNext();)
                QCOMPARE(m.next().captured(2).toInt(), expected++);
            QCOMPARE(expected - 1, 2 + (image.size() + 255) / 256);
        }
    }

    void transmitErrorFails()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--nack-packet", "3"}));
        const FlashResult r = flash({"--module", "mc", writeImage("nack.bin", randomBytes(2000, 9))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("\tAck ID=0x0236,result=0x01,Seq=3\n"));
        QVERIFY(r.out.contains("data transmit error!"));
        QVERIFY(r.out.contains("failure !"));
        QCOMPARE(r.err, "kzo-flash: Upgrade failure! Please power cycle device and try again!\n");
        QVERIFY(!QFile::exists(outDir() + "/mc.bin"));
    }

    void failedVerifyFails()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--verify-fail"}));
        const FlashResult r = flash({"--module", "77", writeImage("gps.enc", randomBytes(700, 10))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("Verifying ..."));
        QVERIFY(r.out.contains("Verify result:0x01"));
        QVERIFY(r.out.contains("failure !"));
    }

    void stalledDeviceTimesOut()
    {
        // A device that answers nothing: no progress for 161 polls ends the run.
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--drop-replies", "1.0"}));
        QElapsedTimer t;
        t.start();
        const FlashResult r = flash({"--module", "mc", writeImage("stall.bin", randomBytes(600, 13))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(t.elapsed() >= 16000);
        QVERIFY(r.out.contains("Waitting for Response..."));
        QVERIFY(r.out.contains("failure !"));
        QCOMPARE(r.err, "kzo-flash: Upgrade timeout! Please power cycle device and try again!\n");
    }

    void unplugDuringTransferFails()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--loader", "mc", "--latency-ms", "4"}));
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-flash"),
                QStringList{"--no-udev", "--port", link(), "--module", "mc",
                            writeImage("big.bin", randomBytes(256 * 1024, 11))});
        QVERIFY(p.waitForStarted(10000));
        // Pulled out once packets are flowing, well before the end.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("\r[2%]"), 60000);
        sim.stop();
        QVERIFY(p.waitForFinished(60000));
        out += p.readAllStandardOutput();
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(!out.contains("\r[100%]"));
        QVERIFY(out.contains("try 3 times!"));
        QVERIFY(p.readAllStandardError().contains("Upgrade failure!"));

        // The device comes back: the next run works.
        SimProcess again;
        QVERIFY(again.start(link(), {"--image-dir", outDir()}));
        const QByteArray image = randomBytes(1500, 12);
        const FlashResult ok = flash({"--module", "mc", writeImage("next.bin", image)});
        QCOMPARE(ok.exitCode, 0);
        QCOMPARE(stored("mc.bin"), image);
    }

    void badInvocations_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("unknown option") << QStringList{"--prot", "/dev/ttyACM0", "--module", "mc", "x.bin"}
                                        << QByteArray("kzo-flash: unknown option --prot; usage: kzo-flash ");
        QTest::newRow("no module") << QStringList{"x.bin"} << QByteArray("kzo-flash: --module is required");
        QTest::newRow("unknown module") << QStringList{"--module", "camera", "x.bin"}
                                        << QByteArray("kzo-flash: unknown module camera");
        QTest::newRow("no image") << QStringList{"--module", "mc"} << QByteArray("kzo-flash: no image file given");
        QTest::newRow("bad port option") << QStringList{"--module", "mc", "x.bin", "--port"}
                                         << QByteArray("kzo-flash: --port needs a path");
        QTest::newRow("missing image") << QStringList{"--module", "mc", "/nonexistent/mc.bin"}
                                       << QByteArray("kzo-flash: cannot read image /nonexistent/mc.bin");
    }
    void badInvocations()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        const FlashResult r = flash(args, 20000);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(message), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY(r.out.isEmpty());
    }

    // Images with nothing to flash, or only part of one, are refused before
    // the port is opened: status 2 and the reason, and the device sees nothing.
    void imagesRefusedBeforeSending_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("reason");
        const QByteArray rec = ":0400000001020304F2\r\n";
        const QByteArray eof = ":00000001FF\r\n";
        const QByteArray noData = ": HEX file holds no data records, file rejected\n";
        QTest::newRow("odd digits") << "roll" << "roll.hex" << rec + ":0400000001020304F\r\n" + eof
                                    << QByteArray(": HEX line 2 has an odd number of hex digits, file rejected\n");
        QTest::newRow("binary image for pitch") << "pitch" << "pitch.bin" << randomBytes(3000, 20) << noData;
        QTest::newRow("byte-order mark") << "pitch" << "bom.hex" << "\xEF\xBB\xBF" + rec + eof << noData;
        QTest::newRow("blank first line") << "yaw" << "blank.hex" << "\r\n" + rec + eof << noData;
        QTest::newRow("blank line in the middle")
            << "13" << "mid.hex" << rec + "\r\n" + rec + eof
            << QByteArray(": HEX line 2 is not a record and ends the records before the end-of-file record, "
                          "file rejected\n");
        QTest::newRow("no end record") << "yaw" << "noend.hex" << rec + rec
                                       << QByteArray(": HEX file ends without its end-of-file record, file rejected\n");
        for (const char* m : {"mc", "cmu", "imu", "gps", "75"})
            QTest::newRow(qPrintable(QString("empty image, ") + m)) << m << "empty.bin" << QByteArray()
                                                                   << QByteArray(": nothing to flash\n");
    }
    void imagesRefusedBeforeSending()
    {
        QFETCH(QString, module);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, reason);
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir()}));
        const QString path = writeImage(file, content);
        const FlashResult r = flash({"--module", module, path});
        QCOMPARE(r.exitCode, 2);
        const QByteArray head = content.isEmpty() ? "kzo-flash: empty image " : "kzo-flash: malformed image ";
        QCOMPARE(r.err, head + path.toUtf8() + reason);
        QVERIFY(!r.out.contains("connect success"));
        sim.stop();
        QVERIFY(!sim.output().contains("<- 0x"));
        QVERIFY(QDir(outDir()).isEmpty());
    }

    // --help and --version answer without looking for a device, even when one is there.
    void helpAndVersion()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {}));
        const FlashResult help = flash({"--help"}, 20000);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.err.isEmpty());
        QVERIFY(help.out.startsWith("usage: kzo-flash "));
        for (const char* word : {"--port PATH", "--no-udev", "--module NAME", "--help", "--version", "Exit status"})
            QVERIFY2(help.out.contains(word), word);
        QVERIFY(!help.out.contains("connect success"));

        const FlashResult version = flash({"--version", "--module", "mc", "x.bin"}, 20000);
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("kzo-flash " KZO_VERSION "\n"));
        QVERIFY(version.err.isEmpty());
        sim.stop();
        QVERIFY(!sim.output().contains("<- 0x"));
    }
};

QTEST_GUILESS_MAIN(TestFlashDevsim)
#include "test_flash_devsim.moc"
