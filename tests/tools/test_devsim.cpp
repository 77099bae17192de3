// kzo-devsim driven as a child process over its pty, with the program's codec.
#include "support/SignalChild.h"
#include "DevsimSession.h"
#include "support/ProgramRun.h"

#include "protocol/FrameCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes le32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes pattern(size_t n, int mul, int add)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(static_cast<int>(i) * mul + add);
    return b;
}

// 256-byte block k of an image, zero-filled behind its end.
Bytes block(const Bytes& image, size_t k, size_t size = 256)
{
    Bytes b(size, 0);
    for (size_t i = 0; i < size && k * size + i < image.size(); ++i)
        b[i] = image[k * size + i];
    return b;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray bytesOf(const Bytes& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

const Bytes noParam{0}; // the one meaningless byte of a parameterless command

// Sends an upgrade packet and returns the result byte of its acknowledgement (-1: none).
int packet(DevsimSession& s, uint16_t id, uint16_t seq, const Bytes& payload, int timeoutMs = 5000)
{
    s.sendCommand(id, payload, seq);
    const auto a = s.waitFor(static_cast<uint16_t>(id + 1), timeoutMs);
    return a ? a->byte(26) : -1;
}

using Run = kzo::test::ProgramRun;

// Runs the simulator to its end, the port left alone.
Run runDevsim(const QStringList& args)
{
    return kzo::test::runProgram(QStringLiteral("kzo-devsim"), args);
}

// A process this test does not own through QProcess, killed if still there.
struct StrayProcess {
    pid_t pid = 0;
    ~StrayProcess()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    // Waits for its end; the exit code, or -1.
    int reap(int timeoutMs)
    {
        int st = 0;
        if (!QTest::qWaitFor([&] { return ::waitpid(pid, &st, WNOHANG) == pid; }, timeoutMs))
            return -1;
        pid = 0;
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
};

int status(DevsimSession& s, std::optional<std::array<uint8_t, 2>> module = std::nullopt)
{
    if (module)
        s.sendCommand(0x0101, Bytes{(*module)[0], (*module)[1]});
    else
        s.sendCommand(0x0101);
    const auto r = s.waitFor(0x0102);
    return r ? r->byte(26) : -1;
}

} // namespace

class TestDevsim : public QObject {
    Q_OBJECT

private slots:
    void handshakeAndStatusFrames();
    void loaderStates_data();
    void loaderStates();
    void readAllSession();
    void versionOptions();
    void mainControllerUpgrade();
    void refusedUpgradePackets();
    void nackPacketOption();
    void hexUpgrade();
    void canUpgradeAndVerify_data();
    void canUpgradeAndVerify();
    void imuUpgrade();
    void wireFaultsStillDecode();
    void lostRepliesRecoverOnRetry_data();
    void lostRepliesRecoverOnRetry();
    void parameterMemoryPersists();
    void gimbalChannelsRecordsCamera();
    void calibrationWalk();
    void flightControllerOverThePty();
    void calibrationOptions();
    void refusedLoaderEntry_data();
    void refusedLoaderEntry();
    void refusedImuLoader();
    void unplugSignalRemovesTheLink();
    void replugAtTheSameLink();
    void timedUnplugThenReplug();
    void unplugAtImageShare();
    void timedEnds_data();
    void timedEnds();
    void helpAndVersion();
    void refusedCommandLines_data();
    void refusedCommandLines();
    void exitWithParentOnlyWhenAsked_data();
    void exitWithParentOnlyWhenAsked();
};

void TestDevsim::handshakeAndStatusFrames()
{
    DevsimSession s({}, QStringLiteral("devsim-handshake.log"));
    QVERIFY(s.start());
    QVERIFY(s.portPath().startsWith(QStringLiteral("/dev/pts/")));

    s.sendCommand(0x0FB1, Bytes{1, 0});
    const auto hs = s.waitFor(0x0FB2);
    QVERIFY(hs);
    // Record as the program lays it out: length, 1, sequence 0, id, 0x8000, 0, ..., flags, tail, checksum.
    QCOMPARE(hs->length(), 32);
    QCOMPARE(kzo::frame::readU16(hs->record.data()), uint16_t(32));
    QCOMPARE(hs->byte(2), uint8_t(1));
    QCOMPARE(hs->sequence(), uint16_t(0));
    QCOMPARE(kzo::frame::readU16(hs->record.data() + 7), uint16_t(0x8000));
    QCOMPARE(hs->byte(9), uint8_t(0));
    QCOMPARE(hs->byte(26), uint8_t(1));
    QCOMPARE(hs->byte(27), uint8_t(0));
    QCOMPARE(kzo::frame::readU16(hs->record.data() + 30), crc16(hs->record.data(), 28, 0x0013));

    // An unknown command, then the 34-byte status request of the connection
    // manager. Replies keep the order of the requests: an answer to the
    // unknown command would be here before the report.
    s.sendCommand(0x1234);
    s.sendCommand(0x0101);
    const auto st = s.waitFor(0x0102);
    QVERIFY(st);
    QCOMPARE(st->byte(26), uint8_t(0));
    QVERIFY(!s.received(0x1235));
    QVERIFY(s.logText().contains(QStringLiteral("unknown command 0x1234 (0 payload bytes), not answered")));

    QTRY_VERIFY_WITH_TIMEOUT(s.logText().contains(QStringLiteral("] <- 0x0fb1 handshake (seq 0, 2 payload bytes)\n")), 5000);
    QVERIFY(s.logText().contains(QStringLiteral("] -> 0x0102 status report, module state 0x00\n")));
    QVERIFY(s.stop());
}

void TestDevsim::loaderStates_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("handshakeAnswered");
    QTest::addColumn<bool>("imuReady");
    QTest::newRow("running") << QStringList{} << 0x00 << true << false;
    QTest::newRow("mc loader") << QStringList{"--loader", "mc"} << 0xFE << false << false;
    QTest::newRow("cmu loader") << QStringList{"--loader", "cmu"} << 0xFD << false << false;
    QTest::newRow("led loader") << QStringList{"--loader", "led"} << 0x40 << true << false;
    QTest::newRow("code 11") << QStringList{"--loader", "11"} << 0xB0 << true << false;
    QTest::newRow("imu loader") << QStringList{"--loader", "imu"} << 0x00 << true << true;
}

void TestDevsim::loaderStates()
{
    QFETCH(QStringList, args);
    QFETCH(int, state);
    QFETCH(bool, handshakeAnswered);
    QFETCH(bool, imuReady);
    DevsimSession s(args, QStringLiteral("devsim-loader.log"));
    QVERIFY(s.start());

    s.sendCommand(0x0FB1, Bytes{1, 0});
    s.sendCommand(0x02C0, noParam);
    QCOMPARE(status(s), state);
    // Replies keep the order of the requests: whatever was answered is here now.
    QCOMPARE(s.received(0x0FB2), handshakeAnswered);
    QCOMPARE(s.received(0x02C1), handshakeAnswered); // a USB boot loader answers no read
    // The IMU loader speaks up right behind each status report, so by the
    // second report the first announcement is here.
    QCOMPARE(status(s), state);
    QCOMPARE(s.received(0x02B1), imuReady);
}

void TestDevsim::readAllSession()
{
    // Its log is the sample session of the read-all exchange.
    DevsimSession s({}, QStringLiteral("devsim-readall.log"));
    QVERIFY(s.start());
    for (uint16_t id : {0x02C0, 0x1244, 0x02A2, 0x02A7, 0x1253})
        s.sendCommand(id, noParam);

    const auto v = s.waitFor(0x02C1);
    QVERIFY(v);
    QCOMPARE(v->length(), 47);
    QCOMPARE(v->u32(27), 305419896u);  // IMU hardware id
    QCOMPARE(v->u32(31), 0x01000005u); // IMU 1.5
    QCOMPARE(v->u32(35), 0x03000002u); // MC 3.2, minor 0, hide 0: no firmware mismatch
    QCOMPARE(v->u32(39), 0x01000001u); // IMU loader 1.1
    const auto c = s.waitFor(0x1245);
    QVERIFY(c);
    QCOMPARE(c->length(), 39);
    QCOMPARE(c->u32(27), 0x02000001u);
    QCOMPARE(c->u32(31), 0x01000000u);
    const auto r1 = s.waitFor(0x02A1);
    QVERIFY(r1);
    QCOMPARE(r1->length(), 39);
    QCOMPARE(Bytes(r1->record.begin() + 27, r1->record.begin() + 35), (Bytes{0, 1, 2, 3, 4, 5, 6, 7}));
    const auto r2 = s.waitFor(0x02A6);
    QVERIFY(r2);
    QCOMPARE(r2->length(), 39);
    QCOMPARE(Bytes(r2->record.begin() + 27, r2->record.begin() + 35), (Bytes{4, 5, 6, 7, 0, 1, 2, 3}));
    const auto cam = s.waitFor(0x1252);
    QVERIFY(cam);
    QCOMPARE(cam->length(), 35);
    QCOMPARE(cam->u32(27), 0u);
    QVERIFY(s.stop());
    QVERIFY(s.logText().contains(
        QStringLiteral("] -> 0x02c1 imu hwid 305419896, imu fw 1.5, mc fw 3.2 (minor 0, hide 0), imu loader 1.1\n")));
    QVERIFY(s.logText().contains(QStringLiteral("] signal 15, exiting\n")));
}

void TestDevsim::versionOptions()
{
    DevsimSession s({"--mc-version", "4.7", "--fw-minor", "1", "--fw-hide", "2", "--imu-hwid", "77", "--cmu-version", "9.8",
                     "--cmu-loader", "3.4"},
                    QStringLiteral("devsim-versions.log"));
    QVERIFY(s.start());
    s.sendCommand(0x02C0, noParam);
    s.sendCommand(0x1244, noParam);
    const auto v = s.waitFor(0x02C1);
    QVERIFY(v);
    QCOMPARE(v->u32(27), 77u);
    // Main-controller word: major top byte, minor low byte, hide byte 1 (what the
    // firmware check compares), the minor option in byte 2.
    QCOMPARE(v->u32(35), 0x04010207u);
    const auto c = s.waitFor(0x1245);
    QVERIFY(c);
    QCOMPARE(c->u32(27), 0x09000008u);
    QCOMPARE(c->u32(31), 0x03000004u);
}

void TestDevsim::mainControllerUpgrade()
{
    QTemporaryDir dir;
    DevsimSession s({"--image-dir", dir.path()}, QStringLiteral("devsim-upgrade-mc.log"));
    QVERIFY(s.start());
    const std::array<uint8_t, 2> mc{1, 0};

    QCOMPARE(status(s, mc), 0x00); // application running: the engine sends enter-loader
    s.sendCommand(0x0242);
    QVERIFY(s.waitFor(0x0243));
    QCOMPARE(status(s, mc), 0xFE);

    const Bytes image = pattern(1000, 13, 5);
    QCOMPARE(packet(s, 0x0233, 1, le32(1000)), 0);
    for (uint16_t k = 0; k < 4; ++k)
        QCOMPARE(packet(s, 0x0235, static_cast<uint16_t>(k + 2), cat({{0}, block(image, k)})), 0);
    s.sendCommand(0x0240, le32(1024), 6);
    const auto end = s.waitFor(0x0241);
    QVERIFY(end);
    QCOMPARE(end->byte(26), uint8_t(0));
    QCOMPARE(end->sequence(), uint16_t(6));

    // The image as sent, trimmed to the announced size; the module runs again.
    QCOMPARE(readFile(dir.filePath(QStringLiteral("mc.bin"))), bytesOf(image));
    QCOMPARE(status(s, mc), 0x00);
    QVERIFY(s.logText().contains(QStringLiteral("mc image complete: 1000 bytes in 4 data packets, encrypted flag 0 -> ")));
}

void TestDevsim::refusedUpgradePackets()
{
    QTemporaryDir dir;
    DevsimSession s({"--loader", "mc", "--image-dir", dir.path()}, QStringLiteral("devsim-upgrade-refused.log"));
    QVERIFY(s.start());
    const Bytes image = pattern(600, 3, 1);
    const Bytes b0 = cat({{0}, block(image, 0)}), b1 = cat({{0}, block(image, 1)}), b2 = cat({{0}, block(image, 2)});

    // A gap in the packet numbers.
    QCOMPARE(packet(s, 0x0233, 1, le32(600)), 0);
    QCOMPARE(packet(s, 0x0235, 3, b0), 1);

    // A start begins afresh; a repeated packet is acknowledged again and not stored twice.
    QCOMPARE(packet(s, 0x0233, 1, le32(600)), 0);
    QCOMPARE(packet(s, 0x0235, 2, b0), 0);
    QCOMPARE(packet(s, 0x0235, 2, b0), 0);
    QCOMPARE(packet(s, 0x0235, 3, b1), 0);
    QCOMPARE(packet(s, 0x0235, 4, b2), 0);
    QCOMPARE(packet(s, 0x0235, 5, b2), 1); // more blocks than the announced size needs

    // A wrong total in the end packet, and a data packet of the wrong size.
    QCOMPARE(packet(s, 0x0233, 1, le32(600)), 0);
    QCOMPARE(packet(s, 0x0235, 2, b0), 0);
    QCOMPARE(packet(s, 0x0235, 3, b1), 0);
    QCOMPARE(packet(s, 0x0235, 4, b2), 0);
    QCOMPARE(packet(s, 0x0240, 5, le32(512)), 1);
    QCOMPARE(packet(s, 0x0233, 1, le32(600)), 0);
    QCOMPARE(packet(s, 0x0235, 2, Bytes(100, 0)), 1);

    // The CMU is not in its loader: its packets go unanswered.
    QCOMPARE(packet(s, 0x1233, 1, le32(600), 500), -1);
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("mc.bin"))));
    QVERIFY(s.logText().contains(QStringLiteral("data packet 3 refused: packet 3 out of order, expected 2")));
}

void TestDevsim::nackPacketOption()
{
    DevsimSession s({"--loader", "cmu", "--nack-packet", "3"}, QStringLiteral("devsim-nack.log"));
    QVERIFY(s.start());
    const Bytes image = pattern(300, 1, 0);
    QCOMPARE(packet(s, 0x1233, 1, le32(300)), 0);
    QCOMPARE(packet(s, 0x1235, 2, cat({{1}, block(image, 0)})), 0);
    QCOMPARE(packet(s, 0x1235, 3, cat({{1}, block(image, 1)})), 1); // injected, once
    QCOMPARE(packet(s, 0x1235, 3, cat({{1}, block(image, 1)})), 0);
    QCOMPARE(packet(s, 0x1240, 4, le32(512)), 0);
    QVERIFY(s.logText().contains(QStringLiteral("packet 3 (0x1235) answered with result 1")));
}

void TestDevsim::hexUpgrade()
{
    // Two data records of 16 bytes and the end-of-file record.
    auto record = [](uint16_t address, uint8_t type, const Bytes& data) {
        Bytes r{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), type};
        r.insert(r.end(), data.begin(), data.end());
        uint8_t sum = 0;
        for (uint8_t b : r)
            sum = static_cast<uint8_t>(sum + b);
        r.push_back(static_cast<uint8_t>(-sum));
        return r;
    };
    const std::vector<Bytes> records{record(0x0000, 0, pattern(16, 1, 0x20)), record(0x0010, 0, pattern(16, 5, 1)), record(0, 1, {})};
    QByteArray text;
    for (const Bytes& r : records)
        text += ':' + bytesOf(r).toHex().toUpper() + "\r\n";

    QTemporaryDir dir;
    DevsimSession s({"--image-dir", dir.path()}, QStringLiteral("devsim-upgrade-hex.log"));
    QVERIFY(s.start());
    const std::array<uint8_t, 2> pitch{13, 0};
    s.sendCommand(0x2242);
    QVERIFY(s.waitFor(0x2243));
    QCOMPARE(status(s, pitch), 0xFC);
    QCOMPARE(status(s), 0x00); // the main controller itself runs

    QCOMPARE(packet(s, 0x2233, 1, le32(static_cast<uint32_t>(text.size()))), 0);
    uint16_t seq = 2;
    for (const Bytes& r : records)
        QCOMPARE(packet(s, 0x2235, seq++, cat({{0}, block(r, 0, 50)})), 0);
    QCOMPARE(packet(s, 0x2235, seq++, Bytes(51, 0)), 0); // the packet behind the last line
    QCOMPARE(packet(s, 0x2240, seq, le32(150)), 0);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("pitch.hex"))), text);
    QCOMPARE(status(s, pitch), 0x00);

    // A record whose own checksum is wrong is refused.
    s.sendCommand(0x2242);
    QVERIFY(s.waitFor(0x2243));
    QCOMPARE(packet(s, 0x2233, 1, le32(100)), 0);
    Bytes bad = records[0];
    bad.back() ^= 1;
    QCOMPARE(packet(s, 0x2235, 2, cat({{0}, block(bad, 0, 50)})), 1);
}

void TestDevsim::canUpgradeAndVerify_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("verifyResult");
    QTest::newRow("verified") << QStringList{} << 0;
    QTest::newRow("--verify-fail") << QStringList{"--verify-fail"} << 1;
}

void TestDevsim::canUpgradeAndVerify()
{
    QFETCH(QStringList, args);
    QFETCH(int, verifyResult);
    QTemporaryDir dir;
    DevsimSession s(args + QStringList{"--image-dir", dir.path()}, QStringLiteral("devsim-upgrade-can.log"));
    QVERIFY(s.start());
    const std::array<uint8_t, 2> led{4, 0};

    QCOMPARE(status(s, led), 0x00);
    s.sendCommand(0x0FA0, Bytes{4, 0, 0, 0, 0, 0});
    QVERIFY(s.waitFor(0x0FA1));
    QCOMPARE(status(s, led), 0x40);
    QCOMPARE(status(s), 0x40); // the connection manager's view: nibbles swapped

    const Bytes image = pattern(300, 7, 9);
    QCOMPARE(packet(s, 0x0FA2, 1, cat({{4, 0}, le32(300)})), 0);
    QCOMPARE(packet(s, 0x0FA4, 2, cat({{1, 4, 0}, block(image, 0)})), 0);
    QCOMPARE(packet(s, 0x0FA4, 3, cat({{1, 4, 0}, block(image, 1)})), 0);
    QCOMPARE(packet(s, 0x0FA6, 4, cat({{4, 0}, le32(512)})), 0);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("led.bin"))), bytesOf(image));

    if (verifyResult == 0) {
        // An enciphered image must be verified with its last block, not zeros.
        s.sendCommand(0x0FA8, cat({{4, 0}, Bytes(256, 0)}));
        const auto wrong = s.waitFor(0x0FA9);
        QVERIFY(wrong);
        QCOMPARE(wrong->byte(26), uint8_t(2));
    }
    s.sendCommand(0x0FA8, cat({{4, 0}, block(image, 1)}));
    const auto v = s.waitFor(0x0FA9);
    QVERIFY(v);
    QCOMPARE(int(v->byte(26)), verifyResult);
    QCOMPARE(status(s, led), verifyResult == 0 ? 0x00 : 0x40);
}

void TestDevsim::imuUpgrade()
{
    QTemporaryDir dir;
    DevsimSession s({"--image-dir", dir.path()}, QStringLiteral("devsim-upgrade-imu.log"));
    QVERIFY(s.start());
    const Bytes image = pattern(300, 11, 2);
    s.sendCommand(0x02B0);
    QVERIFY(s.waitFor(0x02B1));
    s.sendCommand(0x02B2, le32(300));
    QVERIFY(s.waitFor(0x02B3));
    for (size_t k = 0; k < 3; ++k) {
        s.sendCommand(0x02B7, block(image, k, 128));
        QVERIFY(s.waitFor(0x02B5));
    }
    QVERIFY(s.waitFor(0x02B6));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("imu.bin"))), bytesOf(image));
}

void TestDevsim::wireFaultsStillDecode()
{
    // Noise in front of every reply, every reply in pieces, held back: all still decode.
    DevsimSession s({"--garbage", "1.0", "--split", "1.0", "--latency-ms", "30", "--seed", "7"},
                    QStringLiteral("devsim-faults.log"));
    QVERIFY(s.start());
    for (int i = 0; i < 5; ++i) {
        s.sendCommand(0x02A2, noParam);
        const auto r = s.waitFor(0x02A1);
        QVERIFY(r);
        QCOMPARE(r->byte(27), uint8_t(0));
    }
    const QString log = s.logText();
    QVERIFY(log.contains(QStringLiteral("reply 0x02a1: ")));
    QVERIFY(log.contains(QStringLiteral("reply 0x02a1 written in ")));
}

void TestDevsim::lostRepliesRecoverOnRetry_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("--crc-errors") << QStringList{"--crc-errors", "1"} << QStringLiteral("reply 0x0102 sent with a damaged checksum");
    QTest::newRow("--drop-replies") << QStringList{"--drop-replies", "1"} << QStringLiteral("request 0x0101 status request dropped");
}

void TestDevsim::lostRepliesRecoverOnRetry()
{
    QFETCH(QStringList, args);
    QFETCH(QString, logLine);
    DevsimSession s(args, QStringLiteral("devsim-lost.log"));
    QVERIFY(s.start());
    s.sendCommand(0x0101); // lost
    QCOMPARE(status(s), 0); // the retry is answered
    // Replies keep the order of the requests: had the first one arrived, a
    // second report would be waiting in front of the versions.
    s.sendCommand(0x02C0, noParam);
    QVERIFY(s.waitFor(0x02C1));
    QVERIFY(!s.received(0x0102));
    QVERIFY(s.logText().contains(logLine));
}

void TestDevsim::parameterMemoryPersists()
{
    QTemporaryDir dir;
    const QString eeprom = dir.filePath(QStringLiteral("eeprom.bin"));
    const Bytes written = pattern(128, 5, 0xC0);
    {
        DevsimSession s({"--eeprom", eeprom}, QStringLiteral("devsim-eeprom.log"));
        QVERIFY(s.start());
        s.sendCommand(0x0292, cat({le32(0), le32(130)}));
        const auto r = s.waitFor(0x0293);
        QVERIFY(r);
        QCOMPARE(r->length(), 169);
        QCOMPARE(r->u32(27), 0u);
        QCOMPARE(r->u32(31), 130u);
        QCOMPARE(Bytes(r->record.begin() + 35, r->record.begin() + 163), pattern(128, 7, 3));
        QCOMPARE(kzo::frame::readU16(r->record.data() + 163), uint16_t(0));

        s.sendCommand(0x0294, cat({le32(256), le32(128), written, {2, 0}}));
        const auto w = s.waitFor(0x0295);
        QVERIFY(w);
        QCOMPARE(w->length(), 39);
        QCOMPARE(w->byte(26), uint8_t(1));
        QCOMPARE(w->u32(27), 256u);
        s.sendCommand(0x0294, cat({le32(1024), le32(128), written, {8, 0}}));
        const auto refused = s.waitFor(0x0295);
        QVERIFY(refused);
        QCOMPARE(refused->byte(26), uint8_t(0)); // outside the memory
        QVERIFY(s.stop());
    }
    QCOMPARE(QFileInfo(eeprom).size(), 1024);
    DevsimSession again({"--eeprom", eeprom}, QStringLiteral("devsim-eeprom2.log"));
    QVERIFY(again.start());
    again.sendCommand(0x0292, cat({le32(256), le32(128)}));
    const auto r = again.waitFor(0x0293);
    QVERIFY(r);
    QCOMPARE(Bytes(r->record.begin() + 35, r->record.begin() + 163), written);
    QCOMPARE(kzo::frame::readU16(r->record.data() + 163), uint16_t(2));
}

// The flight-controller exchanges through the real process: the replies leave
// through the link, and what falls due by itself (a calibration's end, the
// product-switch report) is sent without being asked.
void TestDevsim::flightControllerOverThePty()
{
    DevsimSession s({"--imu-cali-time", "0.3", "--product-switch-after", "0.5", "--verbose"}, QStringLiteral("devsim-fc.log"));
    QVERIFY(s.start());
    s.sendCommand(0x0283, noParam);
    const auto jit = s.waitFor(0x0284);
    QVERIFY(jit);
    QCOMPARE(jit->length(), 45);
    s.sendCommand(0x0508, noParam);
    const auto before = s.waitFor(0x0507);
    QVERIFY(before);
    QCOMPARE(before->length(), 97);
    QCOMPARE(before->byte(27 + 65), uint8_t(0x31));
    s.sendCommand(0x0506, le32(0x0000001F));
    QTRY_VERIFY_WITH_TIMEOUT(s.logText().contains(QStringLiteral("IMU calibration state 0x31 (basic ready)")), 5000);
    const auto report = s.waitFor(0x029D, 5000);
    QVERIFY(report);
    QCOMPARE(report->length(), 39);
    QCOMPARE(report->u32(27), 1u);
    QVERIFY(s.stop());
}

void TestDevsim::gimbalChannelsRecordsCamera()
{
    DevsimSession s({"--channel-disconnected", "5"}, QStringLiteral("devsim-gimbal.log"));
    QVERIFY(s.start());
    s.sendCommand(0x02A3, noParam);
    const auto ch = s.waitFor(0x02A4);
    QVERIFY(ch);
    QCOMPARE(ch->length(), 47);
    for (int n = 1; n <= 8; ++n) {
        const auto v = static_cast<int16_t>(kzo::frame::readU16(ch->record.data() + 27 + 2 * (n - 1)));
        if (n == 5)
            QCOMPARE(v, int16_t(1001));
        else
            QVERIFY2(v >= -1000 && v <= 1000, qPrintable(QStringLiteral("channel %1 = %2").arg(n).arg(v)));
        if (n == 4) // MODE sits inside one of its five zones
            QVERIFY(QList<int>({-750, -375, 0, 375, 750}).contains(v));
    }

    const Bytes rec{9, 10, 11, 12, 13, 14, 15, 16};
    s.sendCommand(0x02A0, rec);
    const auto a = s.waitFor(0x02A1);
    QVERIFY(a);
    QCOMPARE(Bytes(a->record.begin() + 27, a->record.begin() + 35), rec);
    s.sendCommand(0x02A2, noParam);
    const auto back = s.waitFor(0x02A1);
    QVERIFY(back);
    QCOMPARE(Bytes(back->record.begin() + 27, back->record.begin() + 35), rec);

    s.sendCommand(0x1250, noParam);
    QCOMPARE(s.waitFor(0x1252).value().u32(27), 1u);
    s.sendCommand(0x1253, noParam);
    QCOMPARE(s.waitFor(0x1252).value().u32(27), 1u);
    s.sendCommand(0x1251, noParam);
    QCOMPARE(s.waitFor(0x1252).value().u32(27), 0u);
}

void TestDevsim::calibrationWalk()
{
    DevsimSession s({}, QStringLiteral("devsim-calibration.log"));
    QVERIFY(s.start());
    auto step = [&](uint16_t id) -> int {
        s.sendCommand(id, noParam);
        const auto r = s.waitFor(0x02A9);
        return r && r->length() == 39 && r->byte(27) == 16 ? r->byte(28) : -1;
    };
    // Out of step: roll right before the start gives no report; the start does.
    s.sendCommand(0x02D6, noParam);
    QCOMPARE(step(0x02D4), 99);
    const std::vector<std::pair<uint16_t, int>> walk{{0x02D4, 106}, {0x02D4, 107}, {0x02D6, 108}, {0x02D6, 109}, {0x02D4, 105},
                                                     {0x02D0, 101}, {0x02D0, 102}, {0x02D2, 103}, {0x02D2, 104}, {0x02D0, 100}};
    for (const auto& [id, code] : walk)
        QCOMPARE(step(id), code);

    s.sendCommand(0x02A8, noParam);
    auto r = s.waitFor(0x02A9);
    QVERIFY(r);
    QCOMPARE(r->byte(27), uint8_t(17));
    QCOMPARE(r->byte(28), uint8_t(1));
    r = s.waitFor(0x02A9, 10000); // finishes by itself
    QVERIFY(r);
    QCOMPARE(r->byte(28), uint8_t(2));
    s.sendCommand(0x02A8, noParam);
    r = s.waitFor(0x02A9);
    QVERIFY(r);
    QCOMPARE(r->byte(28), uint8_t(3));
}

// The rotation's time (and a rotation that never ends), and reports injected
// after the first status request, one of them with the wrong length.
void TestDevsim::calibrationOptions()
{
    DevsimSession s({"--rotation-time", "never", "--calibration-report", "16,105,0.3", "--calibration-report", "17,2,0.1,40"},
                    QStringLiteral("devsim-calibration-options.log"));
    QVERIFY(s.start());
    QCOMPARE(status(s), 0);
    auto r = s.waitFor(0x02A9);
    QVERIFY(r);
    QCOMPARE(r->length(), 40);
    QCOMPARE(r->byte(27), uint8_t(17));
    QCOMPARE(r->byte(28), uint8_t(2));
    r = s.waitFor(0x02A9);
    QVERIFY(r);
    QCOMPARE(r->length(), 39);
    QCOMPARE(r->byte(27), uint8_t(16));
    QCOMPARE(r->byte(28), uint8_t(105));
    QVERIFY(s.logText().contains("injected calibration report: procedure 17, code 2, record length 40"));

    s.sendCommand(0x02A8, noParam);
    QCOMPARE(s.waitFor(0x02A9).value().byte(28), uint8_t(1));
    // Past the default rotation time: still rotating.
    QVERIFY(!s.waitFor(0x02A9, 2500));
    s.sendCommand(0x02A8, noParam);
    QCOMPARE(s.waitFor(0x02A9).value().byte(28), uint8_t(1));
    // The injected 105 did not move the range record on: it starts with 99.
    s.sendCommand(0x02D4, noParam);
    QCOMPARE(s.waitFor(0x02A9).value().byte(28), uint8_t(99));

    DevsimSession quick({"--rotation-time", "0.2"}, QStringLiteral("devsim-calibration-quick.log"));
    QVERIFY(quick.start());
    quick.sendCommand(0x02A8, noParam);
    QCOMPARE(quick.waitFor(0x02A9).value().byte(28), uint8_t(1));
    r = quick.waitFor(0x02A9, 1500);
    QVERIFY(r);
    QCOMPARE(r->byte(28), uint8_t(2));
}

void TestDevsim::refusedLoaderEntry_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("enterId");
    QTest::addColumn<QList<int>>("enterPayload");
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("loaderState"); // what the module reports once in its loader
    QTest::addColumn<QString>("logLine");
    QTest::newRow("mc") << QStringList{"--refuse-loader", "mc"} << 0x0242 << QList<int>{} << 1 << 0xFE
                        << QStringLiteral("mc does not enter its boot loader (--refuse-loader)");
    QTest::newRow("cmu") << QStringList{"--refuse-loader", "cmu"} << 0x1242 << QList<int>{} << 12 << 0xFD
                         << QStringLiteral("cmu does not enter its boot loader (--refuse-loader)");
    QTest::newRow("pitch") << QStringList{"--refuse-loader", "pitch"} << 0x2242 << QList<int>{} << 13 << 0xFC
                           << QStringLiteral("pitch does not enter its boot loader (--refuse-loader)");
    QTest::newRow("led by code") << QStringList{"--refuse-loader", "4"} << 0x0FA0 << QList<int>{4, 0, 0, 0, 0, 0} << 4 << 0x40
                                 << QStringLiteral("led does not enter its boot loader (--refuse-loader)");
}

// The module's enter-loader command goes unanswered and its status keeps
// showing the application, however often it is asked; other modules still enter.
void TestDevsim::refusedLoaderEntry()
{
    QFETCH(QStringList, args);
    QFETCH(int, enterId);
    QFETCH(QList<int>, enterPayload);
    QFETCH(int, module);
    QFETCH(int, loaderState);
    QFETCH(QString, logLine);
    DevsimSession s(args + QStringList{"--refuse-loader", module == 12 ? "led" : "cmu"}, QStringLiteral("devsim-refuse-loader.log"));
    QVERIFY(s.start());
    const std::array<uint8_t, 2> target{static_cast<uint8_t>(module), 0};
    Bytes payload;
    for (int b : enterPayload)
        payload.push_back(static_cast<uint8_t>(b));
    for (int round = 0; round < 3; ++round) {
        s.sendCommand(static_cast<uint16_t>(enterId), payload);
        QCOMPARE(status(s, target), 0x00);
        // Replies keep the order of the requests: an answer would be here.
        QVERIFY(!s.received(static_cast<uint16_t>(enterId + 1)));
    }
    QCOMPARE(status(s), 0x00);
    s.sendCommand(0x02C0, noParam);
    QVERIFY(s.waitFor(0x02C1)); // the main controller still answers reads
    QVERIFY(s.logText().contains(logLine));

    // The same module without the option: it enters (the table's own check).
    DevsimSession plain({}, QStringLiteral("devsim-refuse-loader-plain.log"));
    QVERIFY(plain.start());
    plain.sendCommand(static_cast<uint16_t>(enterId), payload);
    QVERIFY(plain.waitFor(static_cast<uint16_t>(enterId + 1)));
    QCOMPARE(status(plain, target), loaderState);
}

void TestDevsim::refusedImuLoader()
{
    DevsimSession s({"--refuse-loader", "imu"}, QStringLiteral("devsim-refuse-imu.log"));
    QVERIFY(s.start());
    s.sendCommand(0x02B0);
    QCOMPARE(status(s), 0x00);
    QCOMPARE(status(s), 0x00);
    QVERIFY(!s.received(0x02B1));
    // Without a loader the length packet is not taken either.
    s.sendCommand(0x02B2, le32(300));
    QCOMPARE(status(s), 0x00);
    QVERIFY(!s.received(0x02B3));
    QVERIFY(s.logText().contains(QStringLiteral("imu does not enter its boot loader (--refuse-loader)")));
}

void TestDevsim::unplugSignalRemovesTheLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZO"));
    DevsimSession s({"--link", link}, QStringLiteral("devsim-unplug.log"));
    QVERIFY(s.start());
    // The link is there by the time the port line is.
    QCOMPARE(QFileInfo(link).symLinkTarget(), s.portPath());
    QCOMPARE(status(s), 0);

    QVERIFY(kzo::test::signalChild(s.process().processId(), SIGUSR1));
    QVERIFY(s.waitHangUp(15000));
    QVERIFY(s.process().waitForFinished(10000));
    QCOMPARE(s.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(s.process().exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QVERIFY(s.logText().contains(QStringLiteral("] unplugged: pty closed\n")));
}

// Unplugged, the link goes away; after the given time a new pty is behind the
// same link, the device answers again and keeps its state (a module in its
// loader stays there, as when only the cable was pulled).
void TestDevsim::replugAtTheSameLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZO"));
    DevsimSession s({"--link", link, "--replug-after", "1.5"}, QStringLiteral("devsim-replug.log"));
    QVERIFY(s.start());
    QCOMPARE(status(s), 0);
    s.sendCommand(0x0FA0, Bytes{4, 0, 0, 0, 0, 0});
    QVERIFY(s.waitFor(0x0FA1));
    const std::array<uint8_t, 2> led{4, 0};
    QCOMPARE(status(s, led), 0x40);

    for (int plug = 1; plug <= 2; ++plug) {
        QVERIFY(kzo::test::signalChild(s.process().processId(), SIGUSR1));
        QVERIFY(s.waitHangUp(15000));
        // Gone while unplugged.
        QVERIFY(!QFileInfo(link).isSymLink());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 15000);
        const QString target = QFileInfo(link).symLinkTarget();
        QVERIFY2(target.startsWith(QStringLiteral("/dev/pts/")), qPrintable(target));
        QVERIFY(s.open(link));
        QCOMPARE(status(s), 0x40);
        QCOMPARE(status(s, led), 0x40);
        s.sendCommand(0x02C0, noParam);
        QVERIFY(s.waitFor(0x02C1));
        QCOMPARE(s.process().state(), QProcess::Running);
        QCOMPARE(static_cast<int>(s.logText().count(QStringLiteral("] replugged: "))), plug);
    }
    QVERIFY(s.stop());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestDevsim::timedUnplugThenReplug()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZO"));
    const Run r = runDevsim({"--exit-with-parent", "--link", link, "--unplug-after", "0.3", "--replug-after", "0.3", "--duration",
                             "1.5"});
    QCOMPARE(r.code, 0);
    const QString out = QString::fromUtf8(r.out);
    const qsizetype unplugged = out.indexOf(QStringLiteral("] unplugged: pty closed\n"));
    const qsizetype replugged = out.indexOf(QStringLiteral("] replugged: "));
    const qsizetype over = out.indexOf(QStringLiteral("] duration over, exiting\n"));
    QVERIFY2(unplugged > 0 && replugged > unplugged && over > replugged, r.out.constData());
    // Unplugged once: the time is not a period.
    QCOMPARE(static_cast<int>(out.count(QStringLiteral("] unplugged: "))), 1);
    QVERIFY(!QFileInfo(link).isSymLink());
}

// --unplug-at over the pty: the block that reaches the share is not answered,
// the port hangs up, the same link comes back with the module still in its
// loader, and a transfer started afresh completes the image.
void TestDevsim::unplugAtImageShare()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZO"));
    DevsimSession s({"--link", link, "--unplug-at", "50", "--replug-after", "0.3", "--image-dir", dir.path()},
                    QStringLiteral("devsim-unplug-at.log"));
    QVERIFY(s.start());
    s.sendCommand(0x1242);
    QVERIFY(s.waitFor(0x1243));
    const Bytes image = pattern(900, 5, 7); // four blocks: 28.4, 56.9, 85.3, 100 %
    QCOMPARE(packet(s, 0x1233, 1, le32(900)), 0);
    QCOMPARE(packet(s, 0x1235, 2, cat({{1}, block(image, 0)})), 0);
    s.sendCommand(0x1235, cat({{1}, block(image, 1)}), 3);
    QVERIFY(s.waitHangUp(15000));
    QVERIFY(!s.received(0x1236));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 15000);
    QVERIFY(s.open(link));
    QCOMPARE(status(s, std::array<uint8_t, 2>{12, 0}), 0xFD);

    QCOMPARE(packet(s, 0x1233, 1, le32(900)), 0);
    for (uint16_t k = 0; k < 4; ++k)
        QCOMPARE(packet(s, 0x1235, static_cast<uint16_t>(k + 2), cat({{1}, block(image, k)})), 0);
    QCOMPARE(packet(s, 0x1240, 6, le32(1024)), 0);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("cmu.bin"))), bytesOf(image));
    const QString log = s.logText();
    QCOMPARE(static_cast<int>(log.count(QStringLiteral("] unplugged: pty closed\n"))), 1);
    QVERIFY(log.contains(QStringLiteral("cmu image at 56.9 % (512 of 900 bytes) with packet 3 (0x1235): unplugged")));
    QVERIFY(s.stop());
}

void TestDevsim::timedEnds_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("--duration") << QStringList{"--duration", "0.5"} << QByteArray("] duration over, exiting\n");
    QTest::newRow("--unplug-after") << QStringList{"--unplug-after", "0.5"} << QByteArray("] unplugged: pty closed\n");
}

void TestDevsim::timedEnds()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, line);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyKZO"));
    const Run r = runDevsim(QStringList{"--exit-with-parent", "--link", link} + args);
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith("port: /dev/pts/"), r.out.constData());
    QVERIFY2(r.out.contains(line), r.out.constData());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestDevsim::helpAndVersion()
{
    const Run help = runDevsim({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    QVERIFY(help.err.isEmpty());
    QVERIFY(help.out.startsWith("Usage: kzo-devsim [options]\n"));
    for (const char* option : {"--help", "--version", "--exit-with-parent", "--link PATH", "--duration S", "--unplug-after S",
                               "--loader MODULE", "--refuse-loader MODULE", "--replug-after S", "--drop-replies N|R", "--verbose",
                               "--rotation-time S|never", "--param-refuse-block K", "--param-drop N", "--param-wrong-address K",
                               "--param-wrong-number K", "--param-wrong-length K", "--param-faults-always", "--fc-voltage MV",
                               "--fc-voltage-dips", "--fc-group-disabled jit|fbl", "--fc-byte ACK,OFFSET,VALUE", "--imu-cali-time S",
                               "--imu-cali-fail", "--imu-advanced-required", "--product-switch-after S", "--unplug-at PCT"})
        QVERIFY2(help.out.contains(QByteArray("\n  ") + option + ' ') || help.out.contains(QByteArray("\n  ") + option + '\n'),
                 option);
    QVERIFY(help.out.contains("\n  --calibration-report P,C,S[,L]\n"));
    QVERIFY(help.out.contains("\n  --imu-condition calm|cali|abnormal|axis-error\n"));
    QVERIFY(help.out.contains("\nExit status:\n  0  "));
    QVERIFY(help.out.contains("\n  1  "));
    QVERIFY(help.out.contains("\n  2  "));
    QVERIFY(!help.out.startsWith("port: ") && !help.out.contains("\nport: ")); // no pty was made

    const Run version = runDevsim({QStringLiteral("--version")});
    QCOMPARE(version.code, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("\\Akzo-devsim \\d+\\.\\d+\\.\\d+\\n\\z")).match(QString::fromUtf8(version.out)).hasMatch(),
             version.out.constData());
    QVERIFY(version.err.isEmpty());
}

void TestDevsim::refusedCommandLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown option") << QStringList{"--exit-with-parent", "--prot", "x"} << QByteArray("unknown option --prot");
    QTest::newRow("bad value") << QStringList{"--duration", "soon"} << QByteArray("bad value for --duration: soon");
    QTest::newRow("missing value") << QStringList{"--link"} << QByteArray("--link needs a value");
    QTest::newRow("rotation time") << QStringList{"--rotation-time", "soon"} << QByteArray("bad value for --rotation-time: soon");
    QTest::newRow("report without time") << QStringList{"--calibration-report", "16,105"}
                                         << QByteArray("bad value for --calibration-report: 16,105");
    QTest::newRow("unplug share zero") << QStringList{"--unplug-at", "0"} << QByteArray("bad value for --unplug-at: 0");
    QTest::newRow("unplug share above all") << QStringList{"--unplug-at", "120"} << QByteArray("bad value for --unplug-at: 120");
    QTest::newRow("report too short") << QStringList{"--calibration-report", "16,105,1,30"}
                                      << QByteArray("bad value for --calibration-report: 16,105,1,30");
}

void TestDevsim::refusedCommandLines()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, message);
    const Run r = runDevsim(args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith("kzo-devsim: " + message + "\nUsage: kzo-devsim [options]\n"), r.err.constData());
}

void TestDevsim::exitWithParentOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("asked");
    QTest::newRow("--exit-with-parent") << true;
    QTest::newRow("by default") << false;
}

// A shell starts the simulator in the background, waits for its port line and
// ends, as a bench script would.
void TestDevsim::exitWithParentOnlyWhenAsked()
{
    QFETCH(bool, asked);
    // The orphaned simulator is handed to this process, so its end can be awaited.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("sim.log"));
    const QString script = QStringLiteral(
        "\"$0\" \"$@\" >\"$SIM_LOG\" 2>&1 &\n"
        "sim=$!\n"
        "echo $sim\n"
        "until grep -q '^port: ' \"$SIM_LOG\"; do kill -0 $sim || exit 1; sleep 0.05; done\n");
    QStringList args{QStringLiteral("-c"), script, QStringLiteral(KZO_BIN_DIR "/kzo-devsim")};
    if (asked)
        args << QStringLiteral("--exit-with-parent");
    QProcess starter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SIM_LOG"), log);
    starter.setProcessEnvironment(env);
    starter.start(QStringLiteral("/bin/sh"), args);
    QVERIFY(starter.waitForFinished(30000));
    StrayProcess sim{static_cast<pid_t>(starter.readAllStandardOutput().trimmed().toInt())};
    QVERIFY(sim.pid > 0);
    QCOMPARE(starter.exitCode(), 0);

    if (asked) {
        QCOMPARE(sim.reap(10000), 0);
        QVERIFY2(readFile(log).contains("] signal 15, exiting\n"), readFile(log).constData());
        return;
    }
    // The starter has ended, so any signal its end caused has been sent; the
    // simulator still answers.
    const QByteArray out = readFile(log);
    const QString port = QString::fromUtf8(out.mid(6, out.indexOf('\n') - 6));
    DevsimSession s({}, QStringLiteral("devsim-orphan.log"));
    QVERIFY2(s.open(port), qPrintable(port));
    QCOMPARE(status(s), 0);
    QCOMPARE(::kill(sim.pid, SIGTERM), 0);
    QCOMPARE(sim.reap(10000), 0);
}

QTEST_GUILESS_MAIN(TestDevsim)
#include "test_devsim.moc"
