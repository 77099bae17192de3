// The receive path: every arrival yields every complete frame at once, the
// buffer stays bounded, and nothing the plain decoder would deliver is lost.
#include "support/LogCapture.h"
#include "protocol/ReceiveAssembler.h"
#include "protocol/TestFrames.h"

#include <QTest>

#include <random>
#include <stdexcept>

using namespace kzo::test;
using kzo::frame::ReceiveAssembler;

namespace {

const Bytes kSync = {0x55, 0xAA, 0x55, 0xAA};

std::vector<Bytes> feed(ReceiveAssembler& ra, const Bytes& bytes)
{
    std::vector<Bytes> frames;
    ra.feed(bytes, [&](const uint8_t* rec) {
        frames.emplace_back(rec, rec + kzo::frame::recordLength(rec));
    });
    return frames;
}

// Reference: the whole history buffered, decodeFrame called until it makes no
// more progress. Slow but obviously complete.
class PlainDecoder {
public:
    std::vector<Bytes> feed(const Bytes& bytes)
    {
        buf_.insert(buf_.end(), bytes.begin(), bytes.end());
        std::vector<Bytes> frames;
        std::vector<uint8_t> out(kzo::frame::frameWorkSize);
        for (;;) {
            bool ok = false;
            const int c = decodeFrame(buf_.data(), static_cast<int>(buf_.size()), out.data(), ok);
            if (c <= 0)
                break;
            buf_.erase(buf_.begin(), buf_.begin() + c);
            if (ok)
                frames.emplace_back(out.begin(), out.begin() + kzo::frame::recordLength(out.data()));
        }
        return frames;
    }

private:
    Bytes buf_;
};

Bytes randomBytes(std::mt19937& rng, size_t n, bool allowSyncBytes)
{
    Bytes b(n);
    for (auto& x : b) {
        x = static_cast<uint8_t>(rng());
        if (!allowSyncBytes && (x == 0x55 || x == 0xAA))
            x = 0x00;
    }
    return b;
}

// A stream piece: good frames, damaged frames, noise, partial or stray syncs.
Bytes randomPiece(std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> len(0, 60);
    switch (kind(rng)) {
    case 0:
    case 1:
    case 2:
        return makeFrame(static_cast<uint16_t>(rng()), randomBytes(rng, static_cast<size_t>(len(rng)), false));
    case 3: { // bad checksum
        Bytes f = makeFrame(0x02A4, randomBytes(rng, 17, false));
        f.back() ^= 0x5A;
        return f;
    }
    case 4: { // wrong length
        Bytes f = makeFrame(0x0102, randomBytes(rng, 10, false));
        kzo::frame::writeU16(f.data() + 4, static_cast<uint16_t>(20 + rng() % 30));
        return f;
    }
    case 5: { // length above the limit, long body
        Bytes f = concat({kSync, {0x58, 0x02}, randomBytes(rng, 300 + rng() % 600, false)});
        return f;
    }
    case 6:
        return Bytes(kSync.begin(), kSync.begin() + 1 + rng() % 3);
    case 7:
        return randomBytes(rng, static_cast<size_t>(len(rng)), true);
    case 8: // sync followed by noise
        return concat({kSync, randomBytes(rng, static_cast<size_t>(len(rng)) * 12, false)});
    default: // frame with a sync pattern inside its payload
        return makeFrame(0x0101, concat({{1, 2}, kSync, randomBytes(rng, 8, false)}));
    }
}

} // namespace

class TestReceiveAssembler : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void backToBackFramesInOneArrival();
    void frameSplitAcrossArrivals();
    void byteByByteArrival();
    void noiseWithoutSyncIsBounded();
    void partialSyncSurvivesNoiseTrim();
    void noiseBehindSyncIsBounded();
    void goodFrameBehindBadChecksumDeliveredAtOnce();
    void goodFrameBehindWrongLengthDeliveredAtOnce();
    void shortCandidateNotChecksummed();
    void matchesPlainDecoderOnRandomStreams();
    void throwingListenerDoesNotRedeliver();
};

void TestReceiveAssembler::cleanup()
{
    frameCrcSeed = 0x0013;
    frameCrcEnabled = true;
}

void TestReceiveAssembler::backToBackFramesInOneArrival()
{
    ReceiveAssembler ra;
    std::vector<Bytes> sent;
    Bytes stream;
    for (int i = 0; i < 50; ++i) {
        sent.push_back(makeAck(0x02A4, 0, Bytes(16, static_cast<uint8_t>(i))));
        stream.insert(stream.end(), sent.back().begin(), sent.back().end());
    }
    const auto frames = feed(ra, stream);
    // All but the last are confirmed by the following sync; the last by the end of the data.
    QCOMPARE(frames.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i)
        QCOMPARE(frames[i], record(sent[i]));
    QCOMPARE(ra.buffered(), size_t(0));
}

void TestReceiveAssembler::frameSplitAcrossArrivals()
{
    ReceiveAssembler ra;
    const Bytes a = makeAck(0x02C1, 0, Bytes(16, 3));
    const Bytes b = makeFrame(0x0102, {9});
    const Bytes stream = concat({a, b});
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        ReceiveAssembler r;
        auto first = feed(r, Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)));
        auto second = feed(r, Bytes(stream.begin() + static_cast<long>(cut), stream.end()));
        first.insert(first.end(), second.begin(), second.end());
        QCOMPARE(first.size(), size_t(2));
        QCOMPARE(first[0], record(a));
        QCOMPARE(first[1], record(b));
    }
}

void TestReceiveAssembler::byteByByteArrival()
{
    ReceiveAssembler ra;
    const Bytes a = makeFrame(0x0101, {});
    const Bytes b = makeFrame(0x0102, Bytes(30, 0x77));
    const Bytes stream = concat({Bytes(5, 0x55), a, b, Bytes(3, 0x01)});
    std::vector<Bytes> frames;
    for (uint8_t byte : stream) {
        auto got = feed(ra, Bytes{byte});
        frames.insert(frames.end(), got.begin(), got.end());
    }
    QCOMPARE(frames.size(), size_t(2));
    QCOMPARE(frames[0], record(a));
    QCOMPARE(frames[1], record(b));
}

void TestReceiveAssembler::noiseWithoutSyncIsBounded()
{
    ReceiveAssembler ra;
    std::mt19937 rng(7);
    for (int i = 0; i < 100; ++i) {
        QVERIFY(feed(ra, randomBytes(rng, 1000, false)).empty());
        QVERIFY(ra.buffered() <= 3);
    }
    // Even noise rich in 0x55/0xAA that never forms the whole pattern.
    for (int i = 0; i < 100; ++i) {
        QVERIFY(feed(ra, Bytes{0x55, 0xAA, 0x55, 0x55, 0xAA, 0xAA}).empty());
        QVERIFY(ra.buffered() <= 3);
    }
    // A frame after all that is still found.
    const Bytes f = makeFrame(0x0102, {1});
    const auto frames = feed(ra, f);
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0], record(f));
}

void TestReceiveAssembler::partialSyncSurvivesNoiseTrim()
{
    // The pattern straddles two arrivals behind a lot of noise.
    const Bytes f = makeFrame(0x0102, {4, 4});
    for (int cut = 1; cut <= 3; ++cut) {
        ReceiveAssembler ra;
        QVERIFY(feed(ra, concat({Bytes(2000, 0x11), Bytes(f.begin(), f.begin() + cut)})).empty());
        QVERIFY(ra.buffered() <= 3);
        const auto frames = feed(ra, Bytes(f.begin() + cut, f.end()));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0], record(f));
    }
}

void TestReceiveAssembler::noiseBehindSyncIsBounded()
{
    ReceiveAssembler ra;
    std::mt19937 rng(11);
    // A sync whose length field is plausible (100) but whose body never ends.
    QVERIFY(feed(ra, concat({kSync, {100, 0}})).empty());
    for (int i = 0; i < 200; ++i) {
        QVERIFY(feed(ra, randomBytes(rng, 97, false)).empty());
        QVERIFY2(ra.buffered() <= 4 + 512 + 4, qPrintable(QString::number(ra.buffered())));
    }
    const Bytes f = makeFrame(0x0102, {8});
    const auto frames = feed(ra, f);
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0], record(f));
    QCOMPARE(ra.buffered(), size_t(0));
}

void TestReceiveAssembler::goodFrameBehindBadChecksumDeliveredAtOnce()
{
    ReceiveAssembler ra;
    Bytes bad = makeAck(0x02A4, 0, Bytes(16, 5));
    bad[35] ^= 0x01;
    const Bytes good = makeAck(0x02A4, 0, Bytes(16, 6));
    LogCapture cap;
    const int n = kzo::log::sequence();
    const auto frames = feed(ra, concat({bad, good}));
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0], record(good));
    QCOMPARE(cap.bytes(), logHeader("Decoder", n) + "Checksum error 2a4\n");
}

void TestReceiveAssembler::goodFrameBehindWrongLengthDeliveredAtOnce()
{
    ReceiveAssembler ra;
    Bytes wrong = makeFrame(0x0101, Bytes(10, 1));
    kzo::frame::writeU16(wrong.data() + 4, 38);
    Bytes huge = makeFrame(0x0101, Bytes(10, 1));
    kzo::frame::writeU16(huge.data() + 4, 700);
    const Bytes good1 = makeFrame(0x0102, {1});
    const Bytes good2 = makeFrame(0x0102, {2});
    const auto frames = feed(ra, concat({wrong, good1, huge, good2}));
    QCOMPARE(frames.size(), size_t(2));
    QCOMPARE(frames[0], record(good1));
    QCOMPARE(frames[1], record(good2));
}

void TestReceiveAssembler::shortCandidateNotChecksummed()
{
    for (bool crcOn : {true, false}) {
        frameCrcEnabled = crcOn;
        ReceiveAssembler ra;
        const Bytes good = makeFrame(0x0102, {3});
        LogCapture cap;
        const auto frames = feed(ra, concat({kSync, {0x02, 0x00}, kSync, {0x03, 0x00, 0x00}, good}));
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(frames[0], record(good));
        QVERIFY(cap.bytes().isEmpty());
    }
}

void TestReceiveAssembler::matchesPlainDecoderOnRandomStreams()
{
    std::mt19937 rng(2024);
    size_t delivered = 0;
    for (int round = 0; round < 150; ++round) {
        Bytes stream;
        const int pieces = 5 + static_cast<int>(rng() % 40);
        for (int p = 0; p < pieces; ++p) {
            const Bytes piece = randomPiece(rng);
            stream.insert(stream.end(), piece.begin(), piece.end());
        }
        ReceiveAssembler ra;
        PlainDecoder plain;
        LogCapture quiet; // bad checksums are logged; keep them out of the test output
        size_t at = 0;
        while (at < stream.size()) {
            const size_t chunk = std::min(stream.size() - at, size_t(1 + rng() % 200));
            const Bytes arrival(stream.begin() + static_cast<long>(at),
                stream.begin() + static_cast<long>(at + chunk));
            at += chunk;
            const auto want = plain.feed(arrival);
            const auto got = feed(ra, arrival);
            QCOMPARE(got.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i)
                QCOMPARE(got[i], want[i]);
            delivered += got.size();
            // sync + largest record + a trailing sync not yet seen by the decoder
            QVERIFY2(ra.buffered() <= 4 + 512 + 4, qPrintable(QString::number(ra.buffered())));
        }
    }
    QVERIFY(delivered > 500); // the streams did carry frames
}

void TestReceiveAssembler::throwingListenerDoesNotRedeliver()
{
    ReceiveAssembler ra;
    const Bytes a = makeAck(0x02A4, 0, Bytes(16, 1));
    const Bytes b = makeAck(0x02A1, 0, Bytes(8, 2));
    Bytes stream = a;
    stream.insert(stream.end(), b.begin(), b.end());
    int calls = 0;
    bool threw = false;
    try {
        ra.feed(stream, [&](const uint8_t*) {
            ++calls;
            throw std::runtime_error("listener failed");
        });
    } catch (const std::runtime_error&) {
        threw = true;
    }
    QVERIFY(threw);
    QCOMPARE(calls, 1);
    // The frame that was being handed out is gone; the next arrival yields
    // only what had not been delivered yet.
    const auto frames = feed(ra, {});
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0], record(b));
}

QTEST_APPLESS_MAIN(TestReceiveAssembler)
#include "test_receive_assembler.moc"
