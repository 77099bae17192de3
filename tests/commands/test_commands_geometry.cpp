// Every command type's frame: size, length field, header words, offsets.
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "protocol/TestFrames.h"

#include <QTest>

using namespace orb;
using kzo::frame::readU16;
using kzo::test::Bytes;

namespace {

// Checks the header rules on a freshly built frame; reports the first fault.
QString headerFault(const uint8_t* frame, int size, int expectedSize, uint16_t id)
{
    if (size != expectedSize)
        return QStringLiteral("frame size %1, expected %2").arg(size).arg(expectedSize);
    const Bytes sync = {0x55, 0xAA, 0x55, 0xAA};
    if (!std::equal(sync.begin(), sync.end(), frame))
        return QStringLiteral("sync");
    const uint8_t* rec = frame + 4;
    if (readU16(rec) != expectedSize - 4)
        return QStringLiteral("length %1").arg(readU16(rec));
    if (rec[2] != 1)
        return QStringLiteral("byte 2");
    if (readU16(rec + 3) != 0)
        return QStringLiteral("sequence");
    if (readU16(rec + 5) != id)
        return QStringLiteral("command id %1").arg(readU16(rec + 5), 0, 16);
    if (readU16(rec + 7) != 0x8000)
        return QStringLiteral("word 7 = %1").arg(readU16(rec + 7), 0, 16);
    if (rec[9] != 0)
        return QStringLiteral("byte 9");
    for (int i = 10; i < expectedSize - 4; ++i)
        if (rec[i] != 0)
            return QStringLiteral("record byte %1 not zero").arg(i);
    return {};
}

template <class T>
void checkFamilies(int expectedSize, uint16_t id)
{
    auto heap = std::make_unique<cmd_t<T>>(id);
    QCOMPARE(headerFault(heap->frame(), heap->frameSize(), expectedSize, id), QString());
    QCOMPARE(heap->payload(), heap->frame() + 30);
    QCOMPARE(heap->header(), heap->frame() + 4);
    QCOMPARE(heap->commandId(), id);

    auto own = std::make_unique<DevCmdWriteT<T>>(id);
    QCOMPARE(headerFault(own->frame(), own->frameSize(), expectedSize, id), QString());
    QCOMPARE(own->payload(), own->frame() + 30);
}

} // namespace

class TestCommandsGeometry : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void everyPayloadType();
    void parameterlessCommandAndRestoreFlag();
    void sequenceWordIsTheOnlyChange();
    void payloadFieldsLittleEndian();
    void commandsSealInPlace();
    void rawFramesFollowTheSameRules();
    void readAllSequence();
};

void TestCommandsGeometry::cleanup()
{
    frameCrcSeed = 0x0013;
    frameCrcEnabled = true;
}

void TestCommandsGeometry::everyPayloadType()
{
    checkFamilies<kzo::tagNoneParm>(35, 0x02C0);
    checkFamilies<cmd_gimbal_length>(38, cmdid::ImuLength);
    checkFamilies<cmd_gimbal_data>(162, cmdid::ImuBlock);
    checkFamilies<cmd_load_start>(38, cmdid::LoadStart);
    checkFamilies<cmd_load_end>(38, cmdid::LoadEnd);
    checkFamilies<cmd_load_data>(291, cmdid::LoadData);
    checkFamilies<cmd_load_new_data>(85, 0x1235);
    checkFamilies<cmd_load_start_can>(40, cmdid::CanLoadStart);
    checkFamilies<cmd_load_end_can>(40, cmdid::CanLoadEnd);
    checkFamilies<cmd_load_data_can>(293, cmdid::CanLoadData);
}

void TestCommandsGeometry::parameterlessCommandAndRestoreFlag()
{
    cmd_t<kzo::tagNoneParm> c(0x02C0);
    QCOMPARE(c.frameSize(), 35);
    QCOMPARE(readU16(c.header()), uint16_t(31));
    QCOMPARE(readU16(c.header() + 7), uint16_t(0x8000));
    c.setRestoreFlag();
    QCOMPARE(readU16(c.header() + 7), uint16_t(0xC000));
    QCOMPARE(c.frame()[11], uint8_t(0x00)); // wire bytes 11, 12: 00 C0
    QCOMPARE(c.frame()[12], uint8_t(0xC0));
    c.setRestoreFlag(); // setting it again changes nothing
    QCOMPARE(readU16(c.header() + 7), uint16_t(0xC000));
    QCOMPARE(headerFault(c.frame(), c.frameSize(), 35, 0x02C0), QStringLiteral("word 7 = c000"));
}

void TestCommandsGeometry::sequenceWordIsTheOnlyChange()
{
    cmd_t<cmd_load_data> c(cmdid::LoadData);
    const Bytes before(c.frame(), c.frame() + c.frameSize());
    c.setSequence(0x1234);
    QCOMPARE(c.sequence(), uint16_t(0x1234));
    Bytes after(c.frame(), c.frame() + c.frameSize());
    QCOMPARE(after[7], uint8_t(0x34));
    QCOMPARE(after[8], uint8_t(0x12));
    after[7] = before[7];
    after[8] = before[8];
    QCOMPARE(after, before);
}

void TestCommandsGeometry::payloadFieldsLittleEndian()
{
    DevCmdWriteT<cmd_gimbal_length> len(cmdid::ImuLength);
    len.data()->length = 0x11223344;
    const Bytes payload(len.frame() + 30, len.frame() + 34);
    QCOMPARE(payload, (Bytes{0x44, 0x33, 0x22, 0x11}));

    cmd_t<cmd_load_start_can> can(cmdid::CanLoadStart);
    can.data()->module = 13;
    can.data()->subCode = 1;
    can.data()->size = 0x00010203;
    QCOMPARE(Bytes(can.payload(), can.payload() + 6), (Bytes{13, 1, 0x03, 0x02, 0x01, 0x00}));
    // Tail and checksum untouched by payload writes.
    QCOMPARE(Bytes(can.frame() + 36, can.frame() + 40), Bytes(4, 0));
}

void TestCommandsGeometry::commandsSealInPlace()
{
    cmd_t<cmd_gimbal_data> c(cmdid::ImuBlock);
    for (int i = 0; i < 128; ++i)
        c.data()->data[i] = static_cast<uint8_t>(i);
    QVERIFY(sealFrame(c.frame(), c.frameSize()));
    const int L = c.frameSize() - 4;
    QCOMPARE(readU16(c.frame() + L + 2), crc16(c.header(), L - 4, 0x0013));
    // A sealed command decodes as a frame of its own.
    std::vector<uint8_t> out(kzo::frame::frameWorkSize);
    bool ok = false;
    QCOMPARE(decodeFrame(c.frame(), c.frameSize(), out.data(), ok), c.frameSize());
    QVERIFY(ok);
    QCOMPARE(Bytes(out.begin(), out.begin() + L), Bytes(c.header(), c.header() + L));
}

void TestCommandsGeometry::rawFramesFollowTheSameRules()
{
    RawFrame<0> status(cmdid::DeviceStatus);
    QCOMPARE(headerFault(status.frame(), status.frameSize(), 34, 0x0101), QString());
    QVERIFY(sealFrame(status.frame(), status.frameSize()));
    Bytes expected = {0x55, 0xAA, 0x55, 0xAA, 0x1E, 0x00, 0x01, 0x00, 0x00, 0x01, 0x01, 0x00, 0x80, 0x00};
    expected.resize(32, 0);
    expected.push_back(0xB4);
    expected.push_back(0x85);
    QCOMPARE(Bytes(status.frame(), status.frame() + 34), expected);

    RawFrame<2> handshake(cmdid::Handshake);
    QCOMPARE(headerFault(handshake.frame(), handshake.frameSize(), 36, 0x0FB1), QString());
    QCOMPARE(handshake.payload(), handshake.frame() + 30);
}

void TestCommandsGeometry::readAllSequence()
{
    const CommandPair expected[] = {{0x02C0, 0x02C1}, {0x1244, 0x1245}, {0x02A2, 0x02A1}, {0x02A7, 0x02A6},
        {0x1253, 0x1252}};
    QCOMPARE(orb::readAllSequence.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        QCOMPARE(orb::readAllSequence[i].command, expected[i].command);
        QCOMPARE(orb::readAllSequence[i].ack, expected[i].ack);
    }
}

QTEST_APPLESS_MAIN(TestCommandsGeometry)
#include "test_commands_geometry.moc"
