// The parameter file and the block frames without any window: the file's
// bytes, reading a file back, replacing a file whole or not at all, the two
// request frames and the two reply readers, and the block counter that
// decides which reply moves a transfer on.
#include "paramfiles/BlockFrames.h"
#include "paramfiles/BlockTransfer.h"
#include "paramfiles/ExportTarget.h"
#include "paramfiles/ParamFile.h"

#include "paramfiles/FakeParamController.h"
#include "paramfiles/FileSizeLimit.h"
#include "support/LogCapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kzo::paramfiles;
using kzo::test::FakeParamController;

namespace {

QByteArray recordsPattern(int blocks)
{
    QByteArray r;
    for (int i = 0; i < blocks * recordSize; ++i)
        r.append(static_cast<char>(i * 7 + 1));
    return r;
}

bool writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray frameBytes(uint8_t* frame, int size) { return QByteArray(reinterpret_cast<const char*>(frame), size); }

} // namespace

class TestParamFileFormat : public QObject {
    Q_OBJECT
private slots:
    void imageIsStampThenRecords()
    {
        const FileStamp stamp = currentStamp();
        QCOMPARE(stamp.date, 20130624u);
        const QByteArray records = recordsPattern(8);
        const QByteArray image = buildImage(stamp, records);
        QCOMPARE(image.size(), 1046);
        QCOMPARE(fileSize(8), 1046);
        QCOMPARE(image.left(6), QByteArray::fromHex("01332B400000"));
        QCOMPARE(image.mid(6), records);
        // Another stamp lands in the same bytes, big-endian.
        QCOMPARE(buildImage({0x0A0B0C0D, 7, 9}, {}).toHex(), QByteArray("0a0b0c0d0709"));
        QCOMPARE(readStamp(image), stamp);
    }

    void parseChecksStampThenLength()
    {
        const FileStamp stamp = currentStamp();
        const QByteArray image = buildImage(stamp, recordsPattern(8));

        ReadResult ok = parseImage(image, stamp, 8);
        QCOMPARE(ok.status, ReadStatus::Ok);
        QCOMPARE(ok.records, image.mid(6));

        // Any header byte different: the version message, whatever the length.
        for (int i = 0; i < 6; ++i) {
            QByteArray other = image;
            other[i] = static_cast<char>(other[i] ^ 0x01);
            QCOMPARE(parseImage(other, stamp, 8).status, ReadStatus::VersionMismatch);
        }
        // One byte short, or not even a header: refused.
        QCOMPARE(parseImage(image.left(1045), stamp, 8).status, ReadStatus::TooShort);
        QCOMPARE(parseImage(image.left(3), stamp, 8).status, ReadStatus::TooShort);
        QVERIFY(parseImage(image.left(1045), stamp, 8).records.isEmpty());
        // A longer file counts up to its own size only.
        ReadResult longer = parseImage(image + QByteArray(300, '\xEE'), stamp, 8);
        QCOMPARE(longer.status, ReadStatus::Ok);
        QCOMPARE(longer.records, image.mid(6));
    }

    void readingAFile()
    {
        QTemporaryDir dir;
        const FileStamp stamp = currentStamp();
        const QByteArray image = buildImage(stamp, recordsPattern(8));
        const QString path = dir.filePath("a.KG1");
        QVERIFY(writeRaw(path, image + QByteArray(500, 'x')));
        const ReadResult r = readParamFile(path, stamp, 8);
        QCOMPARE(r.status, ReadStatus::Ok);
        QCOMPARE(r.records, image.mid(6));
        QCOMPARE(readParamFile(dir.filePath("missing"), stamp, 8).status, ReadStatus::CannotOpen);
        // Reading never changes the file.
        QCOMPARE(readAll(path).size(), 1546);
    }

    void atomicWriteReplacesALongerFileWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.KG1");
        QVERIFY(writeRaw(path, QByteArray(4000, 'o')));
        const QByteArray image = buildImage(currentStamp(), recordsPattern(8));
        QString error;
        QVERIFY(writeFileAtomically(path, image, &error));
        QCOMPARE(readAll(path), image);
        // No temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.KG1"});
    }

    void failedWriteLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.KG1");
        const QByteArray old(3000, 'o');
        QVERIFY(writeRaw(path, old));
        QString error;
        {
            kzo::test::FileSizeLimit limit(100);
            QVERIFY(limit.active());
            QVERIFY(!writeFileAtomically(path, buildImage(currentStamp(), recordsPattern(8)), &error));
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.KG1"});
        // A folder that does not exist fails too, and creates nothing.
        QVERIFY(!writeFileAtomically(dir.filePath("none/x.KG1"), QByteArray("abc"), &error));
        QVERIFY(!QFileInfo::exists(dir.filePath("none")));
    }

    void exportNameAndFilter()
    {
        QCOMPARE(exportTarget("/d/params", "KG1"), QString("/d/params.KG1"));
        QCOMPARE(exportTarget("/d/params.KG1", "KG1"), QString("/d/params.KG1"));
        QCOMPARE(exportTarget("/d/params.txt", "KG1"), QString("/d/params.txt.KG1"));
        QCOMPARE(exportTarget("/d.KG1/params", "KG1"), QString("/d.KG1/params.KG1"));
        QCOMPARE(fileFilter("KG1"), QString("Config(*.KG1)"));
    }

    void readFrameBytes()
    {
        ReadFrame f = makeReadFrame(0x01020304, 130);
        QCOMPARE(f.frameSize(), 42);
        QCOMPARE(frameBytes(f.frame(), 42).toHex(),
                 QByteArray("55aa55aa" "2600" "01" "0000" "9202" "0080" "00") + QByteArray(32, '0')
                     + QByteArray("04030201" "82000000") + QByteArray(8, '0'));
    }

    void writeFrameBytes()
    {
        QByteArray record(130, 0);
        for (int i = 0; i < 130; ++i)
            record[i] = static_cast<char>(0xA0 + i);
        WriteFrame f = makeWriteFrame(384, 128, reinterpret_cast<const uint8_t*>(record.constData()));
        QCOMPARE(f.frameSize(), 172);
        const QByteArray b = frameBytes(f.frame(), 172);
        QCOMPARE(b.left(30).toHex(), QByteArray("55aa55aa" "a800" "01" "0000" "9402" "0080" "00") + QByteArray(32, '0'));
        QCOMPARE(b.mid(30, 8).toHex(), QByteArray("80010000" "80000000"));
        QCOMPARE(b.mid(38, 130), record);
        QCOMPARE(b.mid(168), QByteArray(4, 0));
    }

    void replyReaders()
    {
        uint8_t data[128];
        for (int i = 0; i < 128; ++i)
            data[i] = static_cast<uint8_t>(255 - i);
        const auto rec = FakeParamController::readReply(256, 0x11223344, data, 0xBEEF);
        QCOMPARE(static_cast<int>(rec.size()), 169);
        const auto r = decodeBlockReply(rec.data());
        QVERIFY(r.has_value());
        QCOMPARE(r->address, 256u);
        QCOMPARE(r->word2, 0x11223344u);
        QCOMPARE(r->blockNumber, uint16_t(0xBEEF));
        QCOMPARE(r->data, QByteArray(reinterpret_cast<const char*>(data), 128));

        const auto ack = decodeWriteAck(FakeParamController::writeAck(0, 896, 128).data());
        QVERIFY(ack.has_value());
        QCOMPARE(ack->result, uint8_t(0));
        QCOMPARE(ack->address, 896u);
        QCOMPARE(decodeWriteAck(FakeParamController::writeAck(1, 0, 0).data())->result, uint8_t(1));

        // Another identifier: nothing, silently.
        QVERIFY(!decodeBlockReply(FakeParamController::writeAck(1, 0, 0).data()));
    }

    void wrongLengthIsLoggedAndRefused()
    {
        kzo::test::LogCapture log;
        QVERIFY(log.isOpen());
        uint8_t data[128] = {};
        QVERIFY(!decodeBlockReply(FakeParamController::readReply(0, 0, data, 0, 1).data()));
        QVERIFY(!decodeWriteAck(FakeParamController::writeAck(1, 0, 0, -1).data()));
        QVERIFY(log.hasLine("Protocol", "Ack Len:170,desire Len:169 ,ID = 0x0293"));
        QVERIFY(log.hasLine("Protocol", "Ack Len:38,desire Len:39 ,ID = 0x0295"));
    }

    void exportCounterDecidesTheAddress()
    {
        ExportTransfer t(0, 8);
        QCOMPARE(t.outstandingAddress(), 0u);
        ReadFrame first = t.request();
        QCOMPARE(kzo::frame::readU32(first.payload() + 4), 130u); // first request: 130
        const QByteArray block(128, 'a');
        const auto reply = [&](uint32_t address, uint16_t number) {
            return BlockReply{address, 0, block, number};
        };
        // Replies for other addresses never move the transfer.
        QCOMPARE(t.accept(reply(128, 1)), Step::Ignored);
        QCOMPARE(t.accept(reply(0 + 1, 0)), Step::Ignored);
        QCOMPARE(t.accept(reply(0, 0x0203)), Step::Next);
        QCOMPARE(t.outstandingAddress(), 128u);
        ReadFrame second = t.request();
        QCOMPARE(kzo::frame::readU32(second.payload()), 128u);
        QCOMPARE(kzo::frame::readU32(second.payload() + 4), 128u); // later: 128
        // A repeated answer for block 0 is not taken twice.
        QCOMPARE(t.accept(reply(0, 0)), Step::Ignored);
        // Whatever block number the controller sends, the next address is the counter's.
        for (uint32_t a = 128; a < 7 * 128; a += 128)
            QCOMPARE(t.accept(reply(a, 0x7777)), Step::Next);
        QCOMPARE(t.accept(reply(896, 7)), Step::Done);
        QVERIFY(t.finished());
        QCOMPARE(t.accept(reply(1024, 8)), Step::Ignored); // nothing past the end
        QCOMPARE(t.records().size(), 1040);
        // Block numbers stored as received, low byte first.
        QCOMPARE(t.records().mid(128, 2).toHex(), QByteArray("0302"));
        QCOMPARE(t.records().mid(130 + 128, 2).toHex(), QByteArray("7777"));
    }

    void importRefusalBeforeCompletion()
    {
        const QByteArray records = recordsPattern(8);
        ImportTransfer t(0, 8, records);
        WriteFrame first = t.request();
        QCOMPARE(kzo::frame::readU32(first.payload() + 4), 130u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(first.payload() + 8), 130), records.left(130));
        for (uint32_t a = 0; a < 7 * 128; a += 128) {
            QCOMPARE(t.accept(WriteAck{1, a + 128, 0}), Step::Ignored);
            QCOMPARE(t.accept(WriteAck{1, a, 0}), Step::Next);
        }
        WriteFrame last = t.request();
        QCOMPARE(kzo::frame::readU32(last.payload()), 896u);
        QCOMPARE(kzo::frame::readU32(last.payload() + 4), 128u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(last.payload() + 8), 130), records.mid(7 * 130, 130));
        // The last block refused: a failure, not the end of a good import.
        QCOMPARE(t.accept(WriteAck{0, 896, 0}), Step::Refused);
        QVERIFY(t.refused());
        QVERIFY(!t.finished());
        QCOMPARE(t.accept(WriteAck{1, 896, 0}), Step::Ignored);

        // Incomplete records never make a transfer.
        QCOMPARE(ImportTransfer(0, 8, records.left(1039)).blocks(), 0);
    }
};

QTEST_GUILESS_MAIN(TestParamFileFormat)
#include "test_paramfile_format.moc"
