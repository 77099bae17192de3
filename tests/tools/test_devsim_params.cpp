// The simulator's parameter memory and its faults, driven in-process: every
// reply is checked byte by byte against the block exchange as the link
// defines it (0x0292 -> 0x0293 record length 169, 0x0294 -> 0x0295 record
// length 39).
#include "SimHarness.h"
#include "ParamMemory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using kzo::test::Bytes;
using kzo::test::SimHarness;
using kzo::test::SimReply;

namespace {

Bytes le32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
}

Bytes readRequest(uint32_t address, uint32_t length = 128)
{
    Bytes b = le32(address);
    const Bytes l = le32(length);
    b.insert(b.end(), l.begin(), l.end());
    return b;
}

// A write: address, length, 128 data bytes and a 2-byte block number (one file record).
Bytes writeRequest(uint32_t address, const Bytes& data, uint16_t number, uint32_t length = 128)
{
    Bytes b = readRequest(address, length);
    b.insert(b.end(), data.begin(), data.end());
    b.push_back(static_cast<uint8_t>(number));
    b.push_back(static_cast<uint8_t>(number >> 8));
    return b;
}

Bytes fill(uint8_t v)
{
    return Bytes(128, v);
}

// The default memory: byte i = i * 7 + 3.
Bytes defaultBlock(int k)
{
    Bytes b(128);
    for (int i = 0; i < 128; ++i)
        b[static_cast<size_t>(i)] = static_cast<uint8_t>((k * 128 + i) * 7 + 3);
    return b;
}

std::optional<SimReply> readBlock(SimHarness& h, int k)
{
    return h.ask(0x0292, 0x0293, readRequest(static_cast<uint32_t>(k) * 128));
}

std::optional<SimReply> writeBlock(SimHarness& h, int k, const Bytes& data)
{
    return h.ask(0x0294, 0x0295, writeRequest(static_cast<uint32_t>(k) * 128, data, static_cast<uint16_t>(k)));
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDevsimParams : public QObject {
    Q_OBJECT

private slots:
    void unreplaceableFileRefusesTheWrite();
    void replyLayouts();
    void refusedBlock();
    void refusedBlockEveryTime();
    void droppedRequests();
    void wrongAddress_data();
    void wrongAddress();
    void wrongBlockNumber();
    void wrongLength();
    void eepromFileMirrorsMemory();
    void badFaultOptions_data();
    void badFaultOptions();
};

void TestDevsimParams::replyLayouts()
{
    SimHarness h;
    QVERIFY(h.parsed());
    for (int k = 0; k < 8; ++k) {
        const auto r = h.ask(0x0292, 0x0293, readRequest(static_cast<uint32_t>(k) * 128, k == 0 ? 130 : 128));
        QVERIFY(r);
        QCOMPARE(r->length(), 169);
        QVERIFY(r->checksumOk());
        QCOMPARE(r->u32(0), uint32_t(k * 128));
        QCOMPARE(r->u32(4), uint32_t(k == 0 ? 130 : 128)); // the second word echoes the length asked for
        QCOMPARE(r->data(8, 128), defaultBlock(k));
        QCOMPARE(r->u16(136), uint16_t(k));
    }
    const auto w = writeBlock(h, 3, fill(0x5C));
    QVERIFY(w);
    QCOMPARE(w->length(), 39);
    QCOMPARE(w->result(), uint8_t(1));
    QCOMPARE(w->u32(0), 384u);
    QCOMPARE(w->u32(4), 128u);
    QCOMPARE(readBlock(h, 3)->data(8, 128), fill(0x5C));
}

void TestDevsimParams::refusedBlock()
{
    SimHarness h({"--param-refuse-block", "7"});
    QVERIFY2(h.parsed(), h.error().c_str());
    for (int k = 0; k < 7; ++k)
        QCOMPARE(writeBlock(h, k, fill(0x11))->result(), uint8_t(1));
    const auto refused = writeBlock(h, 7, fill(0x11));
    QVERIFY(refused);
    QCOMPARE(refused->length(), 39);
    QCOMPARE(refused->result(), uint8_t(0));
    QCOMPARE(refused->u32(0), 896u);
    QCOMPARE(readBlock(h, 7)->data(8, 128), defaultBlock(7)); // not stored
    QCOMPARE(readBlock(h, 6)->data(8, 128), fill(0x11));
    // The fault fires once: the same write again is stored.
    QCOMPARE(writeBlock(h, 7, fill(0x22))->result(), uint8_t(1));
    QCOMPARE(readBlock(h, 7)->data(8, 128), fill(0x22));
}

void TestDevsimParams::refusedBlockEveryTime()
{
    SimHarness h({"--param-refuse-block", "0", "--param-refuse-block", "5", "--param-faults-always"});
    QVERIFY2(h.parsed(), h.error().c_str());
    for (int round = 0; round < 3; ++round) {
        QCOMPARE(writeBlock(h, 0, fill(0x33))->result(), uint8_t(0));
        QCOMPARE(writeBlock(h, 5, fill(0x33))->result(), uint8_t(0));
        QCOMPARE(writeBlock(h, 4, fill(0x33))->result(), uint8_t(1));
    }
    QCOMPARE(readBlock(h, 0)->data(8, 128), defaultBlock(0));
    QCOMPARE(readBlock(h, 5)->data(8, 128), defaultBlock(5));
}

void TestDevsimParams::droppedRequests()
{
    SimHarness h({"--param-drop", "3"});
    QVERIFY2(h.parsed(), h.error().c_str());
    h.replies();
    h.request(0x0292, readRequest(0));
    h.request(0x0294, writeRequest(128, fill(0x44), 1));
    h.request(0x0292, readRequest(256));
    QVERIFY(h.replies().empty());
    // The lost write's reply went missing, not the write itself.
    const auto r = readBlock(h, 1);
    QVERIFY(r);
    QCOMPARE(r->data(8, 128), fill(0x44));
    QVERIFY(writeBlock(h, 2, fill(0x45)));
    // Other commands were never affected.
    QVERIFY(h.ask(0x02C0, 0x02C1));
}

void TestDevsimParams::wrongAddress_data()
{
    QTest::addColumn<int>("block");
    QTest::addColumn<uint32_t>("echoed");
    QTest::newRow("first") << 0 << 128u;
    QTest::newRow("middle") << 4 << 640u;
    QTest::newRow("last") << 7 << 0u;
}

void TestDevsimParams::wrongAddress()
{
    QFETCH(int, block);
    QFETCH(uint32_t, echoed);
    SimHarness h({"--param-wrong-address", QString::number(block)});
    QVERIFY2(h.parsed(), h.error().c_str());
    const uint32_t right = static_cast<uint32_t>(block) * 128;

    const auto r = readBlock(h, block);
    QVERIFY(r);
    QCOMPARE(r->length(), 169);
    QCOMPARE(r->u32(0), echoed);
    QCOMPARE(r->data(8, 128), defaultBlock(block)); // the data are still the block asked for
    QCOMPARE(r->u16(136), uint16_t(block));
    QCOMPARE(readBlock(h, block)->u32(0), right); // once

    const auto w = writeBlock(h, block, fill(0x66));
    QVERIFY(w);
    QCOMPARE(w->result(), uint8_t(1));
    QCOMPARE(w->u32(0), echoed);
    QCOMPARE(readBlock(h, block)->data(8, 128), fill(0x66)); // stored where it was sent
    QCOMPARE(writeBlock(h, block, fill(0x67))->u32(0), right);

    // Other blocks are answered rightly.
    const int other = (block + 1) % 8;
    QCOMPARE(readBlock(h, other)->u32(0), uint32_t(other * 128));
}

void TestDevsimParams::wrongBlockNumber()
{
    SimHarness h({"--param-wrong-number", "2", "--param-wrong-number", "7"});
    QVERIFY2(h.parsed(), h.error().c_str());
    const auto r2 = readBlock(h, 2);
    QVERIFY(r2);
    QCOMPARE(r2->length(), 169);
    QCOMPARE(r2->u32(0), 256u);
    QCOMPARE(r2->data(8, 128), defaultBlock(2));
    QCOMPARE(r2->u16(136), uint16_t(3));
    QCOMPARE(readBlock(h, 7)->u16(136), uint16_t(8));
    QCOMPARE(readBlock(h, 1)->u16(136), uint16_t(1));
    QCOMPARE(readBlock(h, 2)->u16(136), uint16_t(2)); // once
}

void TestDevsimParams::wrongLength()
{
    SimHarness h({"--param-wrong-length", "5"});
    QVERIFY2(h.parsed(), h.error().c_str());
    const auto r = readBlock(h, 5);
    QVERIFY(r);
    QCOMPARE(r->length(), 168);
    QVERIFY(r->checksumOk()); // a valid frame, only one data byte short
    QCOMPARE(r->u32(0), 640u);
    Bytes shortBlock = defaultBlock(5);
    shortBlock.pop_back();
    QCOMPARE(r->data(8, 127), shortBlock);
    QCOMPARE(r->u16(135), uint16_t(5));
    QCOMPARE(readBlock(h, 5)->length(), 169);
    QCOMPARE(readBlock(h, 4)->length(), 169);
}

void TestDevsimParams::eepromFileMirrorsMemory()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.bin"));
    QByteArray expected;
    for (int k = 0; k < 8; ++k) {
        const Bytes b = defaultBlock(k);
        expected.append(reinterpret_cast<const char*>(b.data()), 128);
    }
    {
        SimHarness h({"--eeprom", path});
        QVERIFY(h.parsed());
        // Written at start, before any block write, so it can be compared at once.
        QCOMPARE(fileBytes(path), expected);
        QCOMPARE(writeBlock(h, 6, fill(0x77))->result(), uint8_t(1));
        expected.replace(6 * 128, 128, QByteArray(128, '\x77'));
        QCOMPARE(fileBytes(path), expected);
        // A refused write leaves the file alone.
    }
    {
        SimHarness h({"--eeprom", path, "--param-refuse-block", "1"});
        QCOMPARE(readBlock(h, 6)->data(8, 128), fill(0x77)); // loaded from the file
        QCOMPARE(writeBlock(h, 1, fill(0x78))->result(), uint8_t(0));
        QCOMPARE(fileBytes(path), expected);
    }
    // A longer file (left from elsewhere) is cut to the memory's 1024 bytes.
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write(QByteArray(50, 'x'));
    }
    SimHarness h({"--eeprom", path});
    QCOMPARE(fileBytes(path), expected);
}

void TestDevsimParams::badFaultOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("refuse 8") << QStringList{"--param-refuse-block", "8"};
    QTest::newRow("refuse -1") << QStringList{"--param-refuse-block", "-1"};
    QTest::newRow("address x") << QStringList{"--param-wrong-address", "x"};
    QTest::newRow("number 9") << QStringList{"--param-wrong-number", "9"};
    QTest::newRow("length 8") << QStringList{"--param-wrong-length", "8"};
    QTest::newRow("drop -2") << QStringList{"--param-drop", "-2"};
}

void TestDevsimParams::badFaultOptions()
{
    QFETCH(QStringList, args);
    SimHarness h(args);
    QVERIFY(!h.parsed());
    QCOMPARE(QString::fromStdString(h.error()), QStringLiteral("bad value for %1: %2").arg(args[0], args[1]));
}

// A memory file that cannot be replaced (here a folder stands at its name):
// the write is refused and no temporary file is left beside it.
void TestDevsimParams::unreplaceableFileRefusesTheWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eeprom.bin"));
    QVERIFY(QDir().mkdir(path));
    kzo::devsim::ParamMemory memory(path.toStdString());
    const std::vector<uint8_t> data(kzo::devsim::ParamMemory::blockSize, 0x5A);
    QVERIFY(!memory.writeBlock(0, data));
    QVERIFY(!QFile::exists(path + QStringLiteral(".tmp")));
}

QTEST_GUILESS_MAIN(TestDevsimParams)
#include "test_devsim_params.moc"
