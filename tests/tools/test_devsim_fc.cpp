// The simulator's flight-controller settings, driven in-process: the eleven
// records of the main parameter page with the acknowledgement ids, record
// lengths and field offsets the page reads, the two writes read back, and
// restore defaults.
#include "SimHarness.h"
#include "support/LogCapture.h"

#include <QSet>
#include <QTest>

#include <array>
#include <cmath>

using kzo::test::Bytes;
using kzo::test::LogCapture;
using kzo::test::SimHarness;
using kzo::test::SimReply;

namespace {

struct Pair {
    uint16_t request;
    uint16_t ack;
    int length;
};

// Request, acknowledgement and record length (31 + data) as the page expects them.
const Pair mainPage[] = {
    {0x0283, 0x0284, 45}, {0x0280, 0x0281, 66}, {0x021C, 0x021D, 130}, {0x0244, 0x0245, 35},
    {0x0246, 0x0247, 51}, {0x0298, 0x0297, 33}, {0x020D, 0x020E, 59}, {0x0209, 0x020A, 64},
    {0x029B, 0x029A, 39}, {0x0262, 0x0264, 71}, {0x024C, 0x024D, 54},
};

void put32(Bytes& b, size_t off, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[off + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

// A mode record's mode word at 0 and its three gains from `first`, 4 bytes apart.
void putModeAndGains(Bytes& p, uint16_t mode, size_t first, std::array<uint32_t, 3> gains)
{
    p[0] = static_cast<uint8_t>(mode);
    p[1] = static_cast<uint8_t>(mode >> 8);
    for (size_t i = 0; i < 3; ++i)
        put32(p, first + 4 * i, gains[i]);
}

// The JIT write: mode word, then three u32 gains at payload offsets 2, 6, 10.
Bytes jitWrite(uint16_t mode, uint32_t g1, uint32_t g2, uint32_t g3)
{
    Bytes p(14, 0);
    putModeAndGains(p, mode, 2, {g1, g2, g3});
    return p;
}

// The FBL write: 35 bytes, mode word at 0, gains at 7, 11, 15, the rest as given.
Bytes fblWrite(uint16_t mode, uint32_t g4, uint32_t g5, uint32_t g6)
{
    Bytes p(35);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<uint8_t>(0x30 + 3 * i);
    putModeAndGains(p, mode, 7, {g4, g5, g6});
    return p;
}

// The only reply to a request; without one, an empty record whose reads throw
// (the test case fails instead of the program crashing).
SimReply read(SimHarness& h, uint16_t request)
{
    for (const Pair& p : mainPage)
        if (p.request == request)
            return h.ask(p.request, p.ack).value_or(SimReply{});
    return SimReply{};
}

} // namespace

class TestDevsimFc : public QObject {
    Q_OBJECT

private slots:
    void idsAndLengths();
    void defaultRecords();
    void channelsMove();
    void voltageReadings();
    void writesReadBack();
    void disabledGroupStaysDisabled();
    void byteOverride();
    void shortWriteIgnored();
    void restoreFlagResetsSettings();
};

void TestDevsimFc::idsAndLengths()
{
    SimHarness h;
    for (const Pair& p : mainPage) {
        const auto r = h.ask(p.request, p.ack);
        QVERIFY2(r, qPrintable(QStringLiteral("no 0x%1 for 0x%2").arg(p.ack, 4, 16, QLatin1Char('0')).arg(p.request, 4, 16, QLatin1Char('0'))));
        QCOMPARE(r->length(), p.length);
        QVERIFY(r->checksumOk());
        QCOMPARE(kzo::frame::readU16(r->record.data()), uint16_t(p.length));
    }
}

void TestDevsimFc::defaultRecords()
{
    SimHarness h;
    const auto jit = read(h, 0x0283);
    QCOMPARE(jit.u16(0) & 0x8000, 0x8000); // group enabled
    QCOMPARE(jit.u16(0) & 0x3F, 1 | (0 << 2) | (2 << 4));
    QCOMPARE(jit.u32(2), 100u);
    QCOMPARE(jit.u32(6), 120u);
    QCOMPARE(jit.u32(10), 90u);

    const auto fbl = read(h, 0x0280);
    QCOMPARE(fbl.u16(0) & 0x8000, 0x8000);
    QCOMPARE(fbl.u16(0) & 0x03, 0);
    QCOMPARE((fbl.u16(0) >> 2) & 0x3F, 1 | (2 << 2) | (0 << 4));
    QCOMPARE(fbl.u32(7), 80u);
    QCOMPARE(fbl.u32(11), 60u);
    QCOMPARE(fbl.u32(15), 70u);
    QVERIFY(fbl.u8(2) != 0 && fbl.u8(34) != 0); // unnamed bytes are not all zero

    const auto prot = read(h, 0x0246);
    QCOMPARE(prot.u16(6), uint16_t(10800));
    QCOMPARE(prot.u16(8), uint16_t(3));
    QCOMPARE(prot.u16(16), uint16_t(10500));
    QCOMPARE(prot.u8(18), uint8_t(1));

    const auto rx = read(h, 0x0298);
    QCOMPARE(rx.u8(0), uint8_t(2));
    QCOMPARE(rx.u8(1), uint8_t(1));

    const auto mount = read(h, 0x020D);
    for (int i = 0; i < 6; ++i) {
        const float m = mount.f32(4 * i);
        QVERIFY2(std::isfinite(m) && std::fabs(m) < 1.0f, qPrintable(QString::number(m)));
    }
    QCOMPARE(mount.f32(8), 0.05f); // IMU Z: 5 cm
    QCOMPARE(mount.u32(24), 0u);

    QCOMPARE(read(h, 0x0209).u8(0), uint8_t(2));
    QCOMPARE(read(h, 0x029B).u8(0), uint8_t(8));
    QCOMPARE(read(h, 0x0262).u16(0), uint16_t(1));
    const auto fs = read(h, 0x024C);
    QCOMPARE(fs.u8(1), uint8_t(1));
    QCOMPARE(fs.u8(2), uint8_t(1));
}

void TestDevsimFc::channelsMove()
{
    SimHarness h;
    QSet<int> numbers;
    QSet<int> outside;
    QMap<int, QSet<int>> seen; // channel -> values
    bool overshoot = false;
    for (int step = 0; step < 120; ++step) {
        h.at(step * 0.1);
        const auto r = read(h, 0x021C);
        for (int e = 0; e < 10; ++e) {
            const int ch = r.u16(9 + 9 * e);
            const int v = r.i16(9 + 9 * e + 2);
            numbers.insert(ch);
            if (ch < 1 || ch > 8)
                outside.insert(ch);
            else
                seen[ch].insert(v);
            if (ch >= 1 && ch <= 8 && (v > 1000 || v < -1000))
                overshoot = true;
        }
    }
    for (int ch = 1; ch <= 8; ++ch) {
        QVERIFY2(numbers.contains(ch), qPrintable(QString::number(ch)));
        QVERIFY2(seen[ch].size() > 1, qPrintable(QStringLiteral("channel %1 does not move").arg(ch)));
    }
    QVERIFY(!outside.isEmpty());
    QVERIFY(overshoot);
}

void TestDevsimFc::voltageReadings()
{
    {
        SimHarness h;
        QSet<int> values;
        for (int i = 0; i < 60; ++i) {
            h.at(i * 1.0);
            const int mv = read(h, 0x0244).u16(0);
            QVERIFY2(mv >= 10000 && mv <= 12600, qPrintable(QString::number(mv))); // a 3S pack
            values.insert(mv);
        }
        QVERIFY(values.size() > 5);
    }
    {
        SimHarness h({"--fc-voltage-dips"});
        QVERIFY2(h.parsed(), h.error().c_str());
        int low = 0;
        for (int i = 0; i < 20; ++i)
            low += read(h, 0x0244).u16(0) < 4000 ? 1 : 0;
        QCOMPARE(low, 4);
    }
    for (int mv : {3999, 4000}) {
        SimHarness h({"--fc-voltage", QString::number(mv)});
        QVERIFY2(h.parsed(), h.error().c_str());
        QCOMPARE(int(read(h, 0x0244).u16(0)), mv);
        h.at(7.5);
        QCOMPARE(int(read(h, 0x0244).u16(0)), mv);
    }
}

void TestDevsimFc::writesReadBack()
{
    SimHarness h;
    LogCapture log;
    // 0x0285: frame 48, no reply; the next 0x0284 returns the mode word with
    // the device's group-enabled bit, and the gains.
    h.replies();
    h.request(0x0285, jitWrite(0x0012, 55, 66, 77));
    QVERIFY(h.replies().empty());
    const auto jit = read(h, 0x0283);
    QCOMPARE(jit.u16(0), uint16_t(0x8012));
    QCOMPARE(jit.u32(2), 55u);
    QCOMPARE(jit.u32(6), 66u);
    QCOMPARE(jit.u32(10), 77u);
    QVERIFY(log.hasLine(QStringLiteral("DevSim"),
                        QStringLiteral("0x0285 JIT write stored: mode word 0x0012 (J1 2, J2 0, J3 1), gains 55 66 77")));

    // 0x0282: frame 69, every byte stored as sent.
    const Bytes fbl = fblWrite(0x0068, 11, 22, 33);
    h.request(0x0282, fbl);
    QVERIFY(h.replies().empty());
    const auto back = read(h, 0x0280);
    Bytes expected = fbl;
    expected[1] |= 0x80;
    QCOMPARE(back.data(0, 35), expected);
    QCOMPARE(back.u32(7), 11u);
    QCOMPARE(back.u32(11), 22u);
    QCOMPARE(back.u32(15), 33u);
    QVERIFY(log.text().contains(QStringLiteral("0x0282 FBL write stored: mode word 0x0068 (F1 2, F2 2, F3 1), gains 11 22 33")));

    // The other records are untouched by either write.
    QCOMPARE(read(h, 0x0209).u8(0), uint8_t(2));
}

void TestDevsimFc::disabledGroupStaysDisabled()
{
    SimHarness h({"--fc-group-disabled", "jit"});
    QVERIFY2(h.parsed(), h.error().c_str());
    QCOMPARE(read(h, 0x0283).u16(0) & 0x8000, 0);
    QCOMPARE(read(h, 0x0280).u16(0) & 0x8000, 0x8000);
    h.request(0x0285, jitWrite(0x8003, 1, 2, 3)); // a write cannot enable the group
    QCOMPARE(read(h, 0x0283).u16(0), uint16_t(0x0003));

    SimHarness f({"--fc-group-disabled", "fbl"});
    QCOMPARE(f.error(), std::string());
    QCOMPARE(read(f, 0x0280).u16(0) & 0x8000, 0);
    QCOMPARE(read(f, 0x0283).u16(0) & 0x8000, 0x8000);

    SimHarness bad({"--fc-group-disabled", "abc"});
    QVERIFY(!bad.parsed());
}

void TestDevsimFc::byteOverride()
{
    SimHarness h({"--fc-byte", "0x020A,0,3", "--fc-byte", "0x0247,8,7"});
    QVERIFY2(h.parsed(), h.error().c_str());
    QCOMPARE(read(h, 0x0209).u8(0), uint8_t(3));
    QCOMPARE(read(h, 0x0246).u16(8), uint16_t(7));
    QCOMPARE(read(h, 0x0246).u16(6), uint16_t(10800));
    for (const char* bad : {"0x020A,33,1", "0x021D,0,1", "0x020A,0", "0x020A,0,256"}) {
        SimHarness b({"--fc-byte", bad});
        QVERIFY2(!b.parsed(), bad);
    }
}

void TestDevsimFc::shortWriteIgnored()
{
    SimHarness h;
    h.request(0x0285, Bytes(13, 0x11));
    h.request(0x0282, Bytes(34, 0x11));
    QCOMPARE(read(h, 0x0283).u32(2), 100u);
    QCOMPARE(read(h, 0x0280).u32(7), 80u);
}

void TestDevsimFc::restoreFlagResetsSettings()
{
    // The read-all commands and the acknowledgements with their record lengths.
    const Pair readAll[] = {{0x02C0, 0x02C1, 47}, {0x1244, 0x1245, 39}, {0x02A2, 0x02A1, 39}, {0x02A7, 0x02A6, 39}, {0x1253, 0x1252, 35}};
    SimHarness h;
    LogCapture log;
    const Bytes jit0 = read(h, 0x0283).data(0, 14);
    const Bytes fbl0 = read(h, 0x0280).data(0, 35);
    const Bytes habits0 = h.ask(0x0502, 0x0504).value_or(SimReply{}).data(0, 8);
    const Bytes rec1 = h.ask(0x02A2, 0x02A1).value_or(SimReply{}).data(0, 8);
    const Bytes rec2 = h.ask(0x02A7, 0x02A6).value_or(SimReply{}).data(0, 8);
    QCOMPARE(habits0.size(), size_t(8));
    QCOMPARE(rec1.size(), size_t(8));

    auto change = [&] {
        h.request(0x0285, jitWrite(0x0015, 1, 2, 3));
        h.request(0x0282, fblWrite(0x00FC, 4, 5, 6));
        h.request(0x0503, Bytes{9, 9, 9, 9, 9, 9, 9, 9});
        h.request(0x02A0, Bytes{7, 6, 5, 4, 3, 2, 1, 0});
        h.request(0x02A5, Bytes{1, 1, 1, 1, 1, 1, 1, 1});
        h.replies();
    };
    auto unchanged = [&] {
        return read(h, 0x0283).data(0, 14) == jit0 && read(h, 0x0280).data(0, 35) == fbl0
            && h.ask(0x0502, 0x0504).value_or(SimReply{}).data(0, 8) == habits0
            && h.ask(0x02A2, 0x02A1).value_or(SimReply{}).data(0, 8) == rec1
            && h.ask(0x02A7, 0x02A6).value_or(SimReply{}).data(0, 8) == rec2;
    };

    // An ordinary read-all leaves the settings alone.
    change();
    for (const Pair& p : readAll)
        QVERIFY(h.ask(p.request, p.ack, {0}, 0x8000));
    QVERIFY(!unchanged());
    QVERIFY(!log.text().contains(QStringLiteral("restore defaults")));

    // The restore-defaults sequence: answered as always, settings back to the factory values.
    for (const Pair& p : readAll) {
        const auto r = h.ask(p.request, p.ack, {0}, 0xC000);
        QVERIFY(r);
        QCOMPARE(r->length(), p.length);
    }
    QVERIFY(unchanged());
    QVERIFY(log.text().contains(QStringLiteral("restore defaults (0x02c0, word 7 = 0xc000): flight-controller settings, flight habits "
                                               "and gimbal records reset")));

    // Any one of them with the flag is enough; the reply already shows the defaults.
    change();
    const auto r1 = h.ask(0x02A2, 0x02A1, {0}, 0xC000);
    QVERIFY(r1);
    QCOMPARE(r1->data(0, 8), rec1);
    QVERIFY(unchanged());
}

QTEST_GUILESS_MAIN(TestDevsimFc)
#include "test_devsim_fc.moc"
