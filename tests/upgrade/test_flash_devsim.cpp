// kzo-flash against the device simulator, every upgrade path end to end: the
// image the simulator stores must be the image sent.
#include "SimProcess.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator g(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = static_cast<char>(g.bounded(256));
    return b;
}

// Intel HEX with 16 data bytes per record, upper-case digits, CR LF.
QByteArray hexText(const QByteArray& data)
{
    QByteArray out;
    for (int at = 0; at < data.size(); at += 16) {
        const QByteArray chunk = data.mid(at, 16);
        QByteArray rec;
        rec.append(char(chunk.size()));
        rec.append(char((at >> 8) & 0xFF));
        rec.append(char(at & 0xFF));
        rec.append(char(0));
        rec.append(chunk);
        uint8_t sum = 0;
        for (char c : rec)
            sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
        rec.append(char(static_cast<uint8_t>(-sum)));
        out += ':' + rec.toHex().toUpper() + "\r\n";
    }
    return out + ":00000001FF\r\n";
}

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
        QVERIFY(sim.start(link(), {"--loader", "mc", "--latency-ms", "4", "--unplug-after", "2.5"}));
        const FlashResult r = flash({"--module", "mc", writeImage("big.bin", randomBytes(256 * 1024, 11))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.contains("try 3 times!"));
        QVERIFY(r.err.contains("Upgrade failure!"));

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

    void malformedHexSendsNothing()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir()}));
        const QString path = writeImage("roll.hex", ":0400000001020304F2\r\n:0400000001020304F\r\n:00000001FF\r\n");
        const FlashResult r = flash({"--module", "roll", path});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, "kzo-flash: malformed image " + path.toUtf8()
                            + ": HEX line 2 has an odd number of hex digits, file rejected\n");
        sim.stop();
        QVERIFY(!sim.output().contains("<- 0x"));
    }
};

QTEST_GUILESS_MAIN(TestFlashDevsim)
#include "test_flash_devsim.moc"
