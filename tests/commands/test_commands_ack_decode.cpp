// Fixed-layout acknowledgement readers: identifier, exact length, data copy.
#include "support/LogCapture.h"
#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"
#include "protocol/TestFrames.h"

#include <QTest>

using namespace orb;
using namespace kzo::test;

namespace {

Bytes pattern(size_t n, uint8_t start)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(start + i);
    return b;
}

template <class T>
void checkReader(uint16_t ackId, int expectedLength)
{
    const Bytes data = pattern(sizeof(T), 0x10);
    const Bytes rec = record(makeAck(ackId, 0x07, data));
    QCOMPARE(int(kzo::frame::recordLength(rec.data())), expectedLength);
    T out;
    std::memset(&out, 0xEE, sizeof out);
    QVERIFY(ackDecode(out, rec.data(), ackId));
    QCOMPARE(std::memcmp(&out, data.data(), sizeof out), 0);

    // One byte short or long: refused, nothing copied.
    for (const size_t size : {sizeof(T) - 1, sizeof(T) + 1}) {
        const Bytes wrong = record(makeAck(ackId, 0x07, pattern(size, 0x40)));
        std::memset(&out, 0xEE, sizeof out);
        QVERIFY(!ackDecode(out, wrong.data(), ackId));
        const Bytes untouched(sizeof(T), 0xEE);
        QCOMPARE(std::memcmp(&out, untouched.data(), sizeof out), 0);
    }
}

} // namespace

class TestCommandsAckDecode : public QObject {
    Q_OBJECT
private slots:
    void readersCopyDataBehindResult();
    void fieldsAreLittleEndian();
    void lengthMismatchLogged();
    void wrongIdentifierIgnored();
    void rawBlockReaders();
};

void TestCommandsAckDecode::readersCopyDataBehindResult()
{
    checkReader<ack_u32x4>(0x02A4, 47);
    checkReader<ack_u32x4>(0x02C1, 47);
    checkReader<ack_u32x2>(0x02A1, 39);
    checkReader<ack_u32x2>(0x02A6, 39);
    checkReader<ack_u32x2>(0x1245, 39);
    checkReader<ack_u32>(0x1252, 35);
    checkReader<ack_u32>(0x0245, 35);
    checkReader<ack_u16>(0x0297, 33);
    checkReader<ack_u32x3_u16>(0x0284, 45);
    checkReader<ack_u32x5>(0x0247, 51);
    checkReader<ack_block_u16>(0x0293, 169);
}

void TestCommandsAckDecode::fieldsAreLittleEndian()
{
    const Bytes data = {0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0x80};
    const Bytes rec = record(makeAck(cmdid::GimbalChannelsAck, 0x00, data));
    ack_u32x4 out{};
    QVERIFY(ackDecode(out, rec.data(), cmdid::GimbalChannelsAck));
    QCOMPARE(out.v[0], 1u);
    QCOMPARE(out.v[1], 0x7FFFFFFFu);
    QCOMPARE(out.v[2], 0x12345678u);
    QCOMPARE(out.v[3], 0x80000000u);
}

void TestCommandsAckDecode::lengthMismatchLogged()
{
    // 0x02A4 one byte short: record length 46 instead of 47.
    const Bytes rec = record(makeAck(0x02A4, 0, pattern(15, 1)));
    QCOMPARE(int(kzo::frame::recordLength(rec.data())), 46);
    ack_u32x4 out{};
    std::memset(&out, 0xEE, sizeof out);
    LogCapture cap;
    const int n = kzo::log::sequence();
    QVERIFY(!ackDecode(out, rec.data(), 0x02A4));
    QCOMPARE(cap.bytes(), logHeader("Protocol", n) + "Ack Len:46,desire Len:47 ,ID = 0x02a4\n");
    for (uint8_t b : Bytes(reinterpret_cast<uint8_t*>(&out), reinterpret_cast<uint8_t*>(&out) + sizeof out))
        QCOMPARE(b, uint8_t(0xEE)); // nothing copied

    // Too long is refused the same way.
    const Bytes longer = record(makeAck(0x1245, 0, pattern(9, 1)));
    ack_u32x2 out2{};
    QVERIFY(!ackDecode(out2, longer.data(), 0x1245));
    QVERIFY(cap.bytes().endsWith(logHeader("Protocol", n + 1) + "Ack Len:40,desire Len:39 ,ID = 0x1245\n"));
}

void TestCommandsAckDecode::wrongIdentifierIgnored()
{
    const Bytes rec = record(makeAck(0x02A6, 0, pattern(8, 1))); // right length for 0x02A1
    ack_u32x2 out{};
    LogCapture cap;
    const int n = kzo::log::sequence();
    QVERIFY(!ackDecode(out, rec.data(), 0x02A1));
    // A wrong identifier with a wrong length is still just someone else's frame.
    const Bytes other = record(makeAck(0x0102, 0, pattern(40, 1)));
    QVERIFY(!ackDecode(out, other.data(), 0x02A1));
    QVERIFY(cap.bytes().isEmpty());
    QCOMPARE(kzo::log::sequence(), n);
    QCOMPARE(out.v[0], 0u);
    QVERIFY(!ackDecode(out, nullptr, 0x02A1));
}

void TestCommandsAckDecode::rawBlockReaders()
{
    struct Case {
        uint16_t id;
        size_t size;
        int length;
    };
    const Case cases[] = {{0x0281, 35, 66}, {0x021D, 99, 130}, {0x020E, 28, 59}, {0x020A, 33, 64}, {0x0264, 40, 71},
        {0x024D, 23, 54}, {0x0507, 66, 97}};
    for (const Case& c : cases) {
        QCOMPARE(ackLength(c.size), c.length);
        const Bytes data = pattern(c.size, 0x30);
        const Bytes rec = record(makeAck(c.id, 0, data));
        Bytes out(c.size + 1, 0xEE);
        QVERIFY(ackDecodeBytes(out.data(), c.size, rec.data(), c.id));
        QVERIFY(std::equal(data.begin(), data.end(), out.begin()));
        QCOMPARE(out.back(), uint8_t(0xEE)); // exactly size bytes written
    }
}

QTEST_APPLESS_MAIN(TestCommandsAckDecode)
#include "test_commands_ack_decode.moc"
