// Where --unplug-at pulls the plug, on every upgrade path, with the device core
// in-process: the packet that brings the image to the given share is kept but
// never answered, the plug is pulled once per run, the module stays in its
// loader, and a new start packet begins the transfer afresh.
#include "SimHarness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using kzo::test::Bytes;
using kzo::test::SimHarness;

namespace {

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

Bytes block(const Bytes& image, size_t k, size_t size)
{
    Bytes b(size, 0);
    for (size_t i = 0; i < size && k * size + i < image.size(); ++i)
        b[i] = image[k * size + i];
    return b;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray bytesOf(const Bytes& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

// One HEX record of `data` at `address`, with its checksum.
Bytes hexRecord(uint16_t address, uint8_t type, const Bytes& data)
{
    Bytes r{static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), type};
    r.insert(r.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t b : r)
        sum = static_cast<uint8_t>(sum + b);
    r.push_back(static_cast<uint8_t>(-sum));
    return r;
}

// A transfer as the upgrade engine sends it: the packets, each with the
// acknowledgement it expects.
struct Packet {
    uint16_t id;
    Bytes payload;
    uint16_t ack;
};

struct Transfer {
    std::vector<Packet> packets; // start, data..., end (IMU: length, blocks)
    QString file;                // the simulator's image file
    QByteArray content;          // what it must hold
};

Transfer rawTransfer(const Bytes& image)
{
    Transfer t;
    t.packets.push_back({0x0233, le32(static_cast<uint32_t>(image.size())), 0x0234});
    const size_t blocks = (image.size() + 255) / 256;
    for (size_t k = 0; k < blocks; ++k)
        t.packets.push_back({0x0235, cat({{0}, block(image, k, 256)}), 0x0236});
    t.packets.push_back({0x0240, le32(static_cast<uint32_t>(blocks * 256)), 0x0241});
    t.file = QStringLiteral("mc.bin");
    t.content = bytesOf(image);
    return t;
}

Transfer hexTransfer(const std::vector<Bytes>& records)
{
    QByteArray text;
    for (const Bytes& r : records)
        text += ':' + bytesOf(r).toHex().toUpper() + "\r\n";
    Transfer t;
    t.packets.push_back({0x2233, le32(static_cast<uint32_t>(text.size())), 0x2234});
    for (const Bytes& r : records)
        t.packets.push_back({0x2235, cat({{0}, block(r, 0, 50)}), 0x2236});
    t.packets.push_back({0x2235, Bytes(51, 0), 0x2236}); // the packet behind the last line
    t.packets.push_back({0x2240, le32(static_cast<uint32_t>(records.size() * 50)), 0x2241});
    t.file = QStringLiteral("pitch.hex");
    t.content = text;
    return t;
}

Transfer canTransfer(const Bytes& image)
{
    Transfer t;
    t.packets.push_back({0x0FA2, cat({{4, 0}, le32(static_cast<uint32_t>(image.size()))}), 0x0FA3});
    const size_t blocks = (image.size() + 255) / 256;
    for (size_t k = 0; k < blocks; ++k)
        t.packets.push_back({0x0FA4, cat({{1, 4, 0}, block(image, k, 256)}), 0x0FA5});
    t.packets.push_back({0x0FA6, cat({{4, 0}, le32(static_cast<uint32_t>(blocks * 256))}), 0x0FA7});
    t.file = QStringLiteral("led.bin");
    t.content = bytesOf(image);
    return t;
}

Transfer imuTransfer(const Bytes& image)
{
    Transfer t;
    t.packets.push_back({0x02B2, le32(static_cast<uint32_t>(image.size())), 0x02B3});
    for (size_t k = 0; k < (image.size() + 127) / 128; ++k)
        t.packets.push_back({0x02B7, block(image, k, 128), 0x02B5});
    t.file = QStringLiteral("imu.bin");
    t.content = bytesOf(image);
    return t;
}

// Brings the module into its loader the way the engine does.
bool enterLoader(SimHarness& h, const QString& path)
{
    if (path == QLatin1String("raw"))
        return h.ask(0x0242, 0x0243).has_value();
    if (path == QLatin1String("hex"))
        return h.ask(0x2242, 0x2243).has_value();
    if (path == QLatin1String("can"))
        return h.ask(0x0FA0, 0x0FA1, Bytes{4, 0, 0, 0, 0, 0}).has_value();
    return h.ask(0x02B0, 0x02B1).has_value();
}

// Sends the packets numbered as the engine numbers them (IMU: unnumbered);
// the index of the first one left unanswered, or -1.
int sendAll(SimHarness& h, const Transfer& t, bool numbered)
{
    for (size_t i = 0; i < t.packets.size(); ++i) {
        const Packet& p = t.packets[i];
        h.replies();
        h.request(p.id, p.payload, 0x8000, numbered ? static_cast<uint16_t>(i + 1) : 0);
        bool answered = false;
        for (const auto& r : h.replies())
            answered = answered || (r.id() == p.ack && r.result() == 0);
        if (!answered)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

class TestDevsimUnplug : public QObject {
    Q_OBJECT

private slots:
    void packetAtTheShareIsNotAnswered_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<int>("unanswered"); // index into the packets (start = 0)

        // 1000 bytes in four blocks: 25.6, 51.2, 76.8, 100 %.
        QTest::newRow("raw, 10 %") << "raw" << "10" << 1;
        QTest::newRow("raw, 50 %") << "raw" << "50" << 2;
        QTest::newRow("raw, 99 %: the last block") << "raw" << "99" << 4;
        QTest::newRow("raw, 100 %") << "raw" << "100" << 4;
        // Three records of 45, 45 and 13 text bytes (103): 43.7, 87.4, 100 %.
        QTest::newRow("hex, 50 %") << "hex" << "50" << 2;
        QTest::newRow("hex, 99 %: the end record") << "hex" << "99" << 3;
        QTest::newRow("can, 10 %") << "can" << "10" << 1;
        QTest::newRow("can, 99 %") << "can" << "99" << 4;
        // 300 bytes in 128-byte blocks: 42.7, 85.3, 100 %.
        QTest::newRow("imu, 50 %") << "imu" << "50" << 2;
        QTest::newRow("imu, 99 %") << "imu" << "99" << 3;
    }
    void packetAtTheShareIsNotAnswered()
    {
        QFETCH(QString, path);
        QFETCH(QString, percent);
        QFETCH(int, unanswered);
        QTemporaryDir dir;
        SimHarness h({"--unplug-at", percent, "--image-dir", dir.path()});
        QVERIFY2(h.parsed(), h.error().c_str());

        const Bytes image = pattern(path == QLatin1String("imu") ? 300 : 1000, 7, 3);
        const Transfer t = path == QLatin1String("raw")   ? rawTransfer(image)
            : path == QLatin1String("hex")                ? hexTransfer({hexRecord(0, 0, pattern(16, 3, 1)),
                                                                         hexRecord(16, 0, pattern(16, 5, 2)), hexRecord(0, 1, {})})
            : path == QLatin1String("can")                ? canTransfer(image)
                                                          : imuTransfer(image);
        const bool numbered = path != QLatin1String("imu");

        QVERIFY(enterLoader(h, path));
        QVERIFY(!h.sim().takeUnplugRequest());
        QCOMPARE(sendAll(h, t, numbered), unanswered);
        QVERIFY(h.sim().unplugPending());
        QVERIFY(h.sim().takeUnplugRequest());
        QVERIFY(!h.sim().takeUnplugRequest());
        // An IMU image that the unanswered block completed is stored all the same.
        const bool complete = path == QLatin1String("imu") && unanswered == static_cast<int>(t.packets.size()) - 1;
        QCOMPARE(QFile::exists(dir.filePath(t.file)), complete);

        // Plugged in again: still in the loader (or entered anew, as the engine
        // does), and a whole transfer goes through; the plug is pulled only once.
        if (path == QLatin1String("imu"))
            QVERIFY(enterLoader(h, path));
        QCOMPARE(sendAll(h, t, numbered), -1);
        QVERIFY(!h.sim().takeUnplugRequest());
        QCOMPARE(fileBytes(dir.filePath(t.file)), t.content);
    }

    void moduleStaysInItsLoader()
    {
        SimHarness h({"--unplug-at", "50"});
        QVERIFY(enterLoader(h, QStringLiteral("raw")));
        const Transfer t = rawTransfer(pattern(600, 1, 0));
        QCOMPARE(sendAll(h, t, true), 2);
        QVERIFY(h.sim().takeUnplugRequest());
        const auto s = h.ask(0x0101, 0x0102, Bytes{1, 0});
        QVERIFY(s);
        QCOMPARE(s->result(), uint8_t(0xFE));
    }

    void badShares_data()
    {
        QTest::addColumn<QString>("value");
        for (const char* v : {"0", "-5", "100.5", "half", ""})
            QTest::newRow(v) << v;
    }
    void badShares()
    {
        QFETCH(QString, value);
        SimHarness h({"--unplug-at", value});
        QVERIFY(!h.parsed());
        QCOMPARE(h.error(), "bad value for --unplug-at: " + value.toStdString());
    }
};

QTEST_GUILESS_MAIN(TestDevsimUnplug)
#include "test_devsim_unplug.moc"
