// Checksum, sealing and the stream decoder, byte by byte.
#include "support/LogCapture.h"
#include "protocol/FrameCodec.h"
#include "protocol/TestFrames.h"

#include <QTest>

using namespace kzo::test;

namespace {

struct Decoded {
    int consumed;
    bool ok;
    Bytes record;
};

Decoded decode(const Bytes& buf)
{
    std::vector<uint8_t> out(kzo::frame::frameWorkSize, 0xEE);
    bool ok = true;
    const int consumed = decodeFrame(buf.data(), static_cast<int>(buf.size()), out.data(), ok);
    Bytes rec;
    if (ok)
        rec.assign(out.begin(), out.begin() + kzo::frame::recordLength(out.data()));
    return {consumed, ok, rec};
}

Bytes drop(const Bytes& b, int n) { return Bytes(b.begin() + n, b.end()); }

const Bytes kSync = {0x55, 0xAA, 0x55, 0xAA};

} // namespace

class TestFrameCodec : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void crcCheckValues();
    void crcTableEntries();
    void crcNullData();
    void crcMatchesBitwiseReference();
    void sealParameterlessCommandExample();
    void sealRefusesSizeMismatch();
    void sealWithChecksumsOff();
    void sealUsesCurrentSeed();

    void findSyncPositions();
    void fewerThanEightBytes();
    void fewerThanEightBehindSync();
    void completeFrameAlone();
    void frameFollowedByPartialSync();
    void backToBackFrames();
    void garbageThenFrame();
    void lengthAboveLimitDiscarded();
    void innerSyncDiscardsFrame();
    void badChecksumLoggedAndConsumed();
    void checksumsOffDeliverAnyCrc();
    void seedChangeAffectsVerification();
    void tooShortCandidateDiscardedWithoutChecksum();
    void recordShorterThanHeaderDiscarded();
    void noSyncConsumesNothing();
};

void TestFrameCodec::cleanup()
{
    frameCrcSeed = 0x0013;
    frameCrcEnabled = true;
}

void TestFrameCodec::crcCheckValues()
{
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    QCOMPARE(crc16(digits, 9, 0x0000), uint16_t(0x2189));
    QCOMPARE(crc16(digits, 9, 0x0013), uint16_t(0x081A));
    QCOMPARE(crc16(digits, 0, 0x0013), uint16_t(0x0013)); // nothing read: the seed
    // Split computation chains through the register.
    QCOMPARE(crc16(digits + 4, 5, crc16(digits, 4, 0x0013)), uint16_t(0x081A));
}

void TestFrameCodec::crcTableEntries()
{
    // With seed 0 one byte b yields table[b].
    const uint8_t one = 0x01, high = 0x80, zero = 0x00, ff = 0xFF;
    QCOMPARE(crc16(&one, 1, 0), uint16_t(0x1189));
    QCOMPARE(crc16(&high, 1, 0), uint16_t(0x8408));
    QCOMPARE(crc16(&zero, 1, 0), uint16_t(0x0000));
    QCOMPARE(crc16(&ff, 1, 0), uint16_t(0x0F78));
}

void TestFrameCodec::crcNullData()
{
    QCOMPARE(crc16(nullptr, 10, 0x0013), uint16_t(0xFFFF));
}

void TestFrameCodec::crcMatchesBitwiseReference()
{
    // Bit by bit, straight from the polynomial: no table involved.
    auto reference = [](const uint8_t* p, int n, uint16_t reg) {
        for (int i = 0; i < n; ++i) {
            reg ^= p[i];
            for (int b = 0; b < 8; ++b)
                reg = (reg & 1) ? static_cast<uint16_t>((reg >> 1) ^ 0x8408) : static_cast<uint16_t>(reg >> 1);
        }
        return reg;
    };
    Bytes data(600);
    uint32_t x = 12345;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    for (uint16_t seed : {uint16_t(0), uint16_t(0x0013), uint16_t(0xFFFF), uint16_t(0xA55A)})
        for (int offset = 0; offset < 8; ++offset)
            for (int n = 0; n <= 520; n += (n < 40 ? 1 : 37))
                QCOMPARE(crc16(data.data() + offset, n, seed), reference(data.data() + offset, n, seed));
}

void TestFrameCodec::sealParameterlessCommandExample()
{
    Bytes f(34, 0);
    kzo::frame::buildHeader(f.data(), 34, 0x0101);
    QVERIFY(sealFrame(f.data(), 34));
    Bytes expected = {0x55, 0xAA, 0x55, 0xAA, 0x1E, 0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x80, 0x00};
    expected.resize(32, 0x00);
    expected.push_back(0xB4);
    expected.push_back(0x85);
    QCOMPARE(f, expected);
    // The sealed frame decodes as itself.
    const auto d = decode(f);
    QVERIFY(d.ok);
    QCOMPARE(d.consumed, 34);
    QCOMPARE(d.record, record(f));
}

void TestFrameCodec::sealRefusesSizeMismatch()
{
    Bytes f(36, 0);
    kzo::frame::buildHeader(f.data(), 34, 0x0101); // L = 30 but 36 bytes handed over
    f[32] = 0x11;
    f[33] = 0x22;
    const Bytes before = f;
    QVERIFY(!sealFrame(f.data(), 36));
    QCOMPARE(f, before);
    QVERIFY(!sealFrame(f.data(), 33));
    QCOMPARE(f, before);
}

void TestFrameCodec::sealWithChecksumsOff()
{
    frameCrcEnabled = false;
    Bytes f(34, 0);
    kzo::frame::buildHeader(f.data(), 34, 0x0101);
    f[32] = 0xDE;
    f[33] = 0xAD;
    QVERIFY(sealFrame(f.data(), 34));
    QCOMPARE(f[32], uint8_t(0xDE));
    QCOMPARE(f[33], uint8_t(0xAD));
    QVERIFY(sealFrame(f.data(), 99)); // size mismatch goes unnoticed
    QCOMPARE(f[33], uint8_t(0xAD));
}

void TestFrameCodec::sealUsesCurrentSeed()
{
    frameCrcSeed = 0x1234;
    Bytes f(35, 0);
    kzo::frame::buildHeader(f.data(), 35, 0x02C0);
    QVERIFY(sealFrame(f.data(), 35));
    const uint16_t expected = crc16(f.data() + 4, 27, 0x1234);
    QCOMPARE(kzo::frame::readU16(f.data() + 33), expected);
    QVERIFY(expected != crc16(f.data() + 4, 27, 0x0013));
    // Only the checksum bytes were written behind the payload.
    QCOMPARE(f[31], uint8_t(0));
    QCOMPARE(f[32], uint8_t(0));
}

void TestFrameCodec::findSyncPositions()
{
    Bytes b = concat({kSync, Bytes(4, 0)});
    QCOMPARE(findSync(b.data(), 8), 4);
    QCOMPARE(findSync(b.data(), 7), -1); // fewer than 8 bytes
    // A pattern in exactly the last four bytes is not found yet.
    b = concat({Bytes(4, 0), kSync});
    QCOMPARE(findSync(b.data(), 8), -1);
    b.push_back(0);
    QCOMPARE(findSync(b.data(), 9), 8);
    // Partial patterns and lone 0x55 bytes are skipped.
    b = concat({{0x55, 0x55, 0xAA, 0x55, 0x55, 0xAA, 0x55}, kSync, {0, 0}});
    QCOMPARE(findSync(b.data(), static_cast<int>(b.size())), 11);
    // Overlapping candidates: the first complete one wins.
    b = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0, 0};
    QCOMPARE(findSync(b.data(), 8), 4);
}

void TestFrameCodec::fewerThanEightBytes()
{
    const Bytes f = makeFrame(0x0102, {});
    for (int n = 0; n < 8; ++n) {
        const auto d = decode(Bytes(f.begin(), f.begin() + n));
        QCOMPARE(d.consumed, 0);
        QVERIFY(!d.ok);
    }
}

void TestFrameCodec::fewerThanEightBehindSync()
{
    const Bytes f = makeFrame(0x0102, {});
    const Bytes buf = concat({Bytes(20, 0x11), Bytes(f.begin(), f.begin() + 11)}); // sync + 7
    const auto d = decode(buf);
    QCOMPARE(d.consumed, 0);
    QVERIFY(!d.ok);
}

void TestFrameCodec::completeFrameAlone()
{
    const Bytes f = makeAck(0x02A4, 0x00, Bytes(16, 0x42));
    QCOMPARE(f.size(), size_t(47 + 4));
    const auto d = decode(f);
    QVERIFY(d.ok);
    QCOMPARE(d.consumed, static_cast<int>(f.size()));
    QCOMPARE(d.record, record(f));
    // Missing its last byte it is incomplete: wait, discard nothing.
    const auto partial = decode(Bytes(f.begin(), f.end() - 1));
    QVERIFY(!partial.ok);
    QCOMPARE(partial.consumed, 0);
}

void TestFrameCodec::frameFollowedByPartialSync()
{
    const Bytes a = makeFrame(0x0101, {1, 2, 3});
    const Bytes b = makeFrame(0x0102, {4, 5});
    // Up to a whole pattern in the very last four bytes: not yet a boundary.
    for (int part = 1; part <= 4; ++part) {
        const Bytes buf = concat({a, Bytes(b.begin(), b.begin() + part)});
        const auto d = decode(buf);
        QVERIFY(!d.ok);
        QCOMPARE(d.consumed, 0);
    }
    const auto d = decode(concat({a, Bytes(b.begin(), b.begin() + 5)}));
    QVERIFY(d.ok);
    QCOMPARE(d.consumed, static_cast<int>(a.size()));
    QCOMPARE(d.record, record(a));
}

void TestFrameCodec::backToBackFrames()
{
    const Bytes a = makeFrame(0x0101, {1});
    const Bytes b = makeFrame(0x02C1, Bytes(17, 9));
    const Bytes buf = concat({a, b});
    const auto first = decode(buf);
    QVERIFY(first.ok);
    QCOMPARE(first.consumed, static_cast<int>(a.size()));
    QCOMPARE(first.record, record(a));
    const auto second = decode(drop(buf, first.consumed));
    QVERIFY(second.ok);
    QCOMPARE(second.consumed, static_cast<int>(b.size()));
    QCOMPARE(second.record, record(b));
}

void TestFrameCodec::garbageThenFrame()
{
    const Bytes f = makeFrame(0x0102, {7, 7});
    const Bytes buf = concat({{0x00, 0x55, 0xAA, 0x55, 0x13, 0x37}, f});
    const auto d = decode(buf);
    QVERIFY(d.ok);
    QCOMPARE(d.consumed, static_cast<int>(buf.size()));
    QCOMPARE(d.record, record(f));
}

void TestFrameCodec::lengthAboveLimitDiscarded()
{
    Bytes big = makeFrame(0x0101, Bytes(40, 1));
    kzo::frame::writeU16(big.data() + 4, 600);
    const Bytes good = makeFrame(0x0102, {});
    const Bytes buf = concat({Bytes(3, 0), big, good});
    const auto d = decode(buf);
    QVERIFY(!d.ok);
    QCOMPARE(d.consumed, static_cast<int>(3 + big.size())); // up to the next sync
    const auto next = decode(drop(buf, d.consumed));
    QVERIFY(next.ok);
    QCOMPARE(next.record, record(good));
    // Without a following sync everything goes.
    const auto alone = decode(big);
    QVERIFY(!alone.ok);
    QCOMPARE(alone.consumed, static_cast<int>(big.size()));
    // 512 itself is acceptable.
    const Bytes max = makeFrame(0x0101, Bytes(512 - 30, 3));
    QCOMPARE(kzo::frame::readU16(max.data() + 4), uint16_t(512));
    QVERIFY(decode(max).ok);
    const Bytes over = makeFrame(0x0101, Bytes(513 - 30, 3));
    QVERIFY(!decode(over).ok);
    QCOMPARE(decode(over).consumed, static_cast<int>(over.size()));
}

void TestFrameCodec::innerSyncDiscardsFrame()
{
    const Bytes inner = makeFrame(0x0101, {1, 2, 0x55, 0xAA, 0x55, 0xAA, 9, 9, 9, 9, 9, 9, 9, 9});
    const Bytes good = makeFrame(0x0102, {5});
    const Bytes buf = concat({inner, good});
    const auto d = decode(buf);
    QVERIFY(!d.ok);
    QCOMPARE(d.consumed, 30 + 2); // discarded up to the inner pattern
    // Decoding resumes at the inner pattern; only the good frame comes out.
    Bytes rest = drop(buf, d.consumed);
    std::vector<Bytes> frames;
    for (int guard = 0; guard < 10 && !rest.empty(); ++guard) {
        const auto r = decode(rest);
        if (r.ok)
            frames.push_back(r.record);
        if (r.consumed == 0)
            break;
        rest = drop(rest, r.consumed);
    }
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0], record(good));
    QVERIFY(rest.empty());
}

void TestFrameCodec::badChecksumLoggedAndConsumed()
{
    Bytes f = makeAck(0x02A4, 0, Bytes(16, 1));
    f[f.size() - 1] ^= 0x01;
    LogCapture cap;
    const int n = kzo::log::sequence();
    const auto d = decode(f);
    QVERIFY(!d.ok);
    QCOMPARE(d.consumed, static_cast<int>(f.size()));
    QCOMPARE(cap.bytes(), logHeader("Decoder", n) + "Checksum error 2a4\n");
    // A flipped payload byte is caught as well.
    Bytes g = makeAck(0x0101, 0, Bytes(4, 1));
    g[31] ^= 0x80;
    QVERIFY(!decode(g).ok);
    QCOMPARE(kzo::log::sequence(), n + 2);
}

void TestFrameCodec::checksumsOffDeliverAnyCrc()
{
    frameCrcEnabled = false;
    Bytes f = makeAck(0x02A4, 0, Bytes(16, 1));
    f[f.size() - 1] ^= 0xFF;
    f[f.size() - 2] ^= 0xFF;
    LogCapture cap;
    const auto d = decode(f);
    QVERIFY(d.ok);
    QCOMPARE(d.record, record(f));
    QVERIFY(cap.bytes().isEmpty());
}

void TestFrameCodec::seedChangeAffectsVerification()
{
    const Bytes oldSeed = makeFrame(0x0102, {1, 2}, 0x0013);
    const Bytes newSeed = makeFrame(0x0102, {1, 2}, 0xBEEF);
    LogCapture cap;
    const int n = kzo::log::sequence();
    QVERIFY(decode(oldSeed).ok);
    QVERIFY(!decode(newSeed).ok);
    frameCrcSeed = 0xBEEF;
    QVERIFY(!decode(oldSeed).ok);
    QVERIFY(decode(newSeed).ok);
    QCOMPARE(cap.bytes(), logHeader("Decoder", n) + "Checksum error 102\n" + logHeader("Decoder", n + 1)
            + "Checksum error 102\n");
}

void TestFrameCodec::tooShortCandidateDiscardedWithoutChecksum()
{
    // sync, L = 2, then at once the next sync: L equals the distance.
    for (uint8_t len : {uint8_t(2), uint8_t(3)}) {
        Bytes shortOne = concat({kSync, {len, 0x00}});
        if (len == 3)
            shortOne.push_back(0x00);
        const Bytes good = makeFrame(0x0102, {});
        const Bytes buf = concat({shortOne, good});
        for (bool crcOn : {true, false}) {
            frameCrcEnabled = crcOn;
            LogCapture cap;
            const auto d = decode(buf);
            QVERIFY(!d.ok);
            QCOMPARE(d.consumed, static_cast<int>(shortOne.size()));
            QVERIFY(cap.bytes().isEmpty()); // never checksummed, so no checksum error
            const auto next = decode(drop(buf, d.consumed));
            QVERIFY(next.ok);
            QCOMPARE(next.record, record(good));
        }
    }
}

void TestFrameCodec::recordShorterThanHeaderDiscarded()
{
    // A record with a right checksum but no room for the header: listeners
    // read the command identifier and result at fixed offsets, which would be
    // the previous frame's bytes left in the work buffer.
    const Bytes good = makeFrame(0x0102, {3});
    for (int L : {4, 5, 7, 29}) {
        Bytes shortOne = concat({kSync, Bytes(static_cast<size_t>(L), 0x01)});
        kzo::frame::writeU16(shortOne.data() + 4, static_cast<uint16_t>(L));
        const uint16_t c = crc16(shortOne.data() + 4, L - 4, frameCrcSeed.load());
        kzo::frame::writeU16(shortOne.data() + 4 + L - 2, c);
        for (bool crcOn : {true, false}) {
            frameCrcEnabled = crcOn;
            const Bytes buf = concat({shortOne, good});
            const auto d = decode(buf);
            QVERIFY2(!d.ok, qPrintable(QString("L = %1, checksums %2").arg(L).arg(crcOn ? "on" : "off")));
            QCOMPARE(d.consumed, static_cast<int>(shortOne.size()));
            const auto next = decode(drop(buf, d.consumed));
            QVERIFY(next.ok);
            QCOMPARE(next.record, record(good));
        }
    }
    // The shortest real frame, a parameterless command, still passes.
    const Bytes shortest = makeFrame(0x0101, {});
    QCOMPARE(shortest.size(), size_t(kzo::frame::minFrameSize));
    const auto d = decode(concat({shortest, good}));
    QVERIFY(d.ok);
    QCOMPARE(d.record, record(shortest));
}

void TestFrameCodec::noSyncConsumesNothing()
{
    const Bytes noise(300, 0x5A);
    const auto d = decode(noise);
    QVERIFY(!d.ok);
    QCOMPARE(d.consumed, 0);
}

QTEST_APPLESS_MAIN(TestFrameCodec)
#include "test_frame_codec.moc"
