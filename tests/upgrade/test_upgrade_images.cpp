// Cutting images into packets: raw, memory (direct and CAN), Intel HEX, IMU.
#include "commands/CommandCatalogue.h"
#include "upgrade/HexImage.h"
#include "upgrade/ImageFile.h"
#include "upgrade/ImagePackets.h"

#include <QTemporaryDir>
#include <QTest>
#include <numeric>

using namespace orb::upgrade;
using kzo::frame::readU16;
using kzo::frame::readU32;

namespace {

std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

std::span<const uint8_t> asBytes(const QByteArray& a)
{
    return {reinterpret_cast<const uint8_t*>(a.constData()), static_cast<size_t>(a.size())};
}

uint16_t idOf(orb::cmd_base_t& c) { return readU16(c.header() + kzo::frame::offCommandId); }

const LoaderIds mc = *directLoaderIds(orb::module::Mc);
const LoaderIds pitch = *directLoaderIds(orb::module::Pitch);

const QByteArray threeLineHex = ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                                ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
                                ":00000001FF\r\n";

} // namespace

class TestUpgradeImages : public QObject {
    Q_OBJECT
private slots:
    void encryptedFlagFollowsLastCharacter()
    {
        QCOMPARE(encryptedFlagOf(L"/fw/mc_v2.ENC"), 1);
        QCOMPARE(encryptedFlagOf(L"/fw/mc_v2.enc"), 1);
        QCOMPARE(encryptedFlagOf(L"/fw/mc_v2.bin"), 0);
        QCOMPARE(encryptedFlagOf(L"/fw/c/mc.hex"), 0);
        QCOMPARE(encryptedFlagOf(L""), 0);
    }

    void loaderTables()
    {
        QCOMPARE(directLoaderIds(orb::module::Cmu)->start, 0x1233);
        QCOMPARE(directLoaderIds(orb::module::Yaw)->enter, 0x4242);
        QCOMPARE(QByteArray(directLoaderIds(orb::module::Roll)->enterText), "Send CMD_ROLL_ENTRY_UPDATE!");
        QVERIFY(!directLoaderIds(orb::module::Imu));
        QVERIFY(!directLoaderIds(orb::module::Led));
        for (uint16_t id : {0x0234, 0x0236, 0x0241, 0x1236, 0x2241, 0x3234, 0x4236, 0x0FA3, 0x0FA5, 0x0FA7})
            QVERIFY2(isPacketAck(id), qPrintable(QString::number(id, 16)));
        for (uint16_t id : {0x0233, 0x0243, 0x0FA9, 0x0102, 0x5236})
            QVERIFY(!isPacketAck(id));
        for (uint16_t id : {0x0243, 0x1243, 0x2243, 0x3243, 0x4243, 0x0FA1})
            QVERIFY(isEnterLoaderAck(id));
        QVERIFY(!isEnterLoaderAck(0x0242));
    }

    void directThousandBytes()
    {
        const auto image = pattern(1000);
        BuiltImage b = buildDirectImage(image, 1, mc);
        QCOMPARE(b.packets.size(), size_t(6));
        QCOMPARE(b.dataPackets, 4);
        QCOMPARE(b.endValue, 1024u);

        QCOMPARE(idOf(*b.packets[0]), 0x0233);
        QCOMPARE(b.packets[0]->frameSize(), 38);
        QCOMPARE(readU32(b.packets[0]->payload()), 1000u);
        for (int i = 1; i <= 4; ++i) {
            orb::cmd_base_t& d = *b.packets[i];
            QCOMPARE(idOf(d), 0x0235);
            QCOMPARE(d.frameSize(), 291);
            QCOMPARE(d.payload()[0], 1);
            QCOMPARE(d.sequence(), 0);
        }
        // The last block holds 232 image bytes and zeros behind them.
        const uint8_t* last = b.packets[4]->payload() + 1;
        QVERIFY(std::equal(image.begin() + 768, image.end(), last));
        QVERIFY(std::all_of(last + 232, last + 256, [](uint8_t v) { return v == 0; }));
        QVERIFY(std::equal(image.begin() + 256, image.begin() + 512, b.packets[2]->payload() + 1));
        QCOMPARE(idOf(*b.packets[5]), 0x0240);
        QCOMPARE(readU32(b.packets[5]->payload()), 1024u);
    }

    void rawFileOf513Bytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("mc.bin");
        const auto image = pattern(513);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(image.data()), 513);
        f.close();

        const auto bytes = readImageFile(path.toStdWString());
        QVERIFY(bytes);
        QCOMPARE(*bytes, image);
        BuiltImage b = buildDirectImage(*bytes, encryptedFlagOf(path.toStdWString()), mc);
        QCOMPARE(b.packets.size(), size_t(5));
        QCOMPARE(readU32(b.packets[0]->payload()), 513u);
        QCOMPARE(b.packets[3]->payload()[0], 0); // "bin": not enciphered
        QCOMPARE(b.packets[3]->payload()[1], image[512]);
        QCOMPARE(b.packets[3]->payload()[2], 0);
        QCOMPARE(readU32(b.packets[4]->payload()), 768u);

        QVERIFY(!readImageFile((dir.path() + "/missing.bin").toStdWString()));
        QVERIFY(!readImageFile(L""));
    }

    void canImageKeepsLastBlock()
    {
        const auto image = pattern(256);
        BuiltImage b = buildCanImage(image, 1, 4, 0);
        QCOMPARE(b.packets.size(), size_t(3));
        QCOMPARE(idOf(*b.packets[0]), 0x0FA2);
        QCOMPARE(b.packets[0]->frameSize(), 40);
        const uint8_t* s = b.packets[0]->payload();
        QCOMPARE(s[0], 4);
        QCOMPARE(s[1], 0);
        QCOMPARE(readU32(s + 2), 256u);
        const uint8_t* d = b.packets[1]->payload();
        QCOMPARE(idOf(*b.packets[1]), 0x0FA4);
        QCOMPARE(b.packets[1]->frameSize(), 293);
        QCOMPARE(d[0], 1);
        QCOMPARE(d[1], 4);
        QCOMPARE(d[2], 0);
        QVERIFY(std::equal(image.begin(), image.end(), d + 3));
        QVERIFY(std::equal(image.begin(), image.end(), b.lastBlock.begin()));
        QCOMPARE(idOf(*b.packets[2]), 0x0FA6);
        QCOMPARE(readU32(b.packets[2]->payload() + 2), 256u);

        const auto longer = pattern(300);
        BuiltImage c = buildCanImage(longer, 0, 9, 2);
        QCOMPARE(c.packets.size(), size_t(4));
        QCOMPARE(c.packets[2]->payload()[2], 2);
        QVERIFY(std::equal(longer.begin() + 256, longer.end(), c.lastBlock.begin()));
        QVERIFY(std::all_of(c.lastBlock.begin() + 44, c.lastBlock.end(), [](uint8_t v) { return v == 0; }));
        QCOMPARE(readU32(c.packets[3]->payload() + 2), 512u);
    }

    void imuImageOf300Bytes()
    {
        const auto image = pattern(300);
        ImuPacketList p = buildImuImage(image);
        QCOMPARE(p.size(), size_t(4));
        QCOMPARE(p[0]->frameSize(), 38);
        QCOMPARE(readU16(p[0]->frame() + 4 + kzo::frame::offCommandId), 0x02B2);
        QCOMPARE(readU32(p[0]->payload()), 300u);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(p[i]->frameSize(), 162);
            QCOMPARE(readU16(p[i]->frame() + 4 + kzo::frame::offCommandId), 0x02B7);
            QCOMPARE(readU16(p[i]->frame() + 4 + kzo::frame::offSequence), 0);
        }
        QVERIFY(std::equal(image.begin() + 128, image.begin() + 256, p[2]->payload()));
        QVERIFY(std::equal(image.begin() + 256, image.end(), p[3]->payload()));
        QVERIFY(std::all_of(p[3]->payload() + 44, p[3]->payload() + 128, [](uint8_t v) { return v == 0; }));
    }

    void hexThreeLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("CR LF") << threeLineHex;
        QTest::newRow("LF") << QByteArray(threeLineHex).replace("\r\n", "\n");
        QTest::newRow("no final newline") << threeLineHex.chopped(2);
    }
    void hexThreeLines()
    {
        QFETCH(QByteArray, text);
        HexImage h = buildHexImage(asBytes(text), 1, pitch);
        QCOMPARE(h.error, HexError::None);
        QVERIFY(!h.stoppedEarly);
        PacketList& p = h.image.packets;
        QCOMPARE(p.size(), size_t(6));
        QCOMPARE(idOf(*p[0]), 0x2233);
        QCOMPARE(readU32(p[0]->payload()), static_cast<uint32_t>(text.size()));
        QCOMPARE(h.image.dataPackets, 3);

        const uint8_t rec1[21] = {0x10, 0x00, 0x00, 0x00, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0x78};
        const uint8_t eof[5] = {0x00, 0x00, 0x00, 0x01, 0xFF};
        QCOMPARE(p[1]->frameSize(), 85);
        QCOMPARE(idOf(*p[1]), 0x2235);
        QCOMPARE(p[1]->payload()[0], 1);
        QVERIFY(std::equal(rec1, rec1 + 21, p[1]->payload() + 1));
        QCOMPARE(p[2]->payload()[1 + 2], 0x10); // address low byte of the second record
        QCOMPARE(p[2]->payload()[1 + 20], 0x68);
        QVERIFY(std::equal(eof, eof + 5, p[3]->payload() + 1));
        for (int i = 1; i <= 3; ++i) {
            const int used = i == 3 ? 5 : 21;
            QVERIFY(std::all_of(p[i]->payload() + 1 + used, p[i]->payload() + 51, [](uint8_t v) { return v == 0; }));
        }
        // The read that meets the end leaves a packet holding only its flag.
        QCOMPARE(idOf(*p[4]), 0x2235);
        QCOMPARE(p[4]->payload()[0], 1);
        QVERIFY(std::all_of(p[4]->payload() + 1, p[4]->payload() + 51, [](uint8_t v) { return v == 0; }));
        QCOMPARE(idOf(*p[5]), 0x2240);
        QCOMPARE(readU32(p[5]->payload()), 150u);
    }

    void hexStopsAtLineWithoutColon()
    {
        // A blank line behind the end-of-file record ends the reading; what
        // follows it is not sent.
        const QByteArray text = threeLineHex + "\r\n:10002000202122232425262728292A2B2C2D2E2F58\r\n";
        HexImage h = buildHexImage(asBytes(text), 0, pitch);
        QCOMPARE(h.error, HexError::None);
        QVERIFY(h.stoppedEarly);
        QCOMPARE(h.image.dataPackets, 3);
        QCOMPARE(h.image.packets.size(), size_t(6));
        QCOMPARE(readU32(h.image.packets[5]->payload()), 150u);
    }

    // Files that would flash nothing, only part of an image, or hold a
    // malformed record are refused whole: no packet list comes back.
    void hexWithoutWholeImage_data()
    {
        const QByteArray rec1 = threeLineHex.left(threeLineHex.indexOf('\n') + 1);
        const QByteArray rec2 = threeLineHex.mid(rec1.size(), rec1.size());
        const QByteArray eof = ":00000001FF\r\n";
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("message");
        const QByteArray noData = "HEX file holds no data records, file rejected";
        QTest::newRow("empty file") << QByteArray() << int(HexError::NoDataRecords) << 0 << noData;
        QTest::newRow("end record only") << eof << int(HexError::NoDataRecords) << 0 << noData;
        QTest::newRow("binary image") << QByteArray("\x7f\x10\x00\x20:0123", 8) << int(HexError::NoDataRecords) << 0
                                      << noData;
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + threeLineHex << int(HexError::NoDataRecords) << 0
                                         << noData;
        QTest::newRow("blank first line") << "\r\n" + threeLineHex << int(HexError::NoDataRecords) << 0 << noData;
        QTest::newRow("blank line in the middle")
            << rec1 + "\r\n" + rec2 + eof << int(HexError::NoEndRecord) << 2
            << QByteArray("HEX line 2 is not a record and ends the records before the end-of-file record, "
                          "file rejected");
        QTest::newRow("no end record") << rec1 + rec2 << int(HexError::NoEndRecord) << 0
                                       << QByteArray("HEX file ends without its end-of-file record, file rejected");
        QTest::newRow("record after the end record")
            << rec1 + eof + rec2 << int(HexError::RecordAfterEnd) << 3
            << QByteArray("HEX line 3 follows the end-of-file record, file rejected");
        QTest::newRow("record too short for its type")
            << rec1 + ":0000\r\n" + eof << int(HexError::ShortRecord) << 2
            << QByteArray("HEX line 2 is too short to be a record, file rejected");
        // Malformed records: any explanation will do.
        QTest::newRow("odd digits") << QByteArray(":00000001F\r\n") << int(HexError::OddDigits) << 1 << QByteArray();
        QTest::newRow("non-hex") << QByteArray(":00000001FF\r\n:0000G001FF\r\n") << int(HexError::BadCharacter) << 2
                                 << QByteArray();
        QTest::newRow("space") << QByteArray(":00000001FF \r\n") << int(HexError::BadCharacter) << 1 << QByteArray();
        QTest::newRow("lone CR") << QByteArray(":0000\r0001FF\r\n") << int(HexError::BadCharacter) << 1 << QByteArray();
    }
    void hexWithoutWholeImage()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, error);
        QFETCH(int, line);
        QFETCH(QByteArray, message);
        HexImage h = buildHexImage(asBytes(text), 0, pitch);
        QCOMPARE(int(h.error), error);
        QCOMPARE(h.errorLine, line);
        QVERIFY(h.image.packets.empty());
        if (message.isEmpty())
            QVERIFY(!hexErrorText(h).empty());
        else
            QCOMPARE(QByteArray::fromStdString(hexErrorText(h)), message);
    }

    void hexLineLimit()
    {
        // 47 characters plus CR LF fill the 49-character line exactly.
        const QByteArray fits = ":12000000" + QByteArray(38, 'A') + "\r\n:00000001FF\r\n";
        HexImage ok = buildHexImage(asBytes(fits), 0, pitch);
        QCOMPARE(ok.error, HexError::None);
        QCOMPARE(ok.image.packets[1]->payload()[23], 0xAA);

        const QByteArray tooLong = ":00000001FF\r\n:" + QByteArray(48, 'A') + "\r\n";
        HexImage bad = buildHexImage(asBytes(tooLong), 0, pitch);
        QCOMPARE(bad.error, HexError::LineTooLong);
        QCOMPARE(bad.errorLine, 2);
        QVERIFY(bad.image.packets.empty());
        QCOMPARE(QByteArray::fromStdString(hexErrorText(bad)), "HEX line 2 is longer than 49 characters, file rejected");

        const QByteArray longLast = ':' + QByteArray(49, 'A'); // no terminator, still too long
        QCOMPARE(buildHexImage(asBytes(longLast), 0, pitch).error, HexError::LineTooLong);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeImages)
#include "test_upgrade_images.moc"
