// The export and import dialogs against a fake device I/O whose controller
// answers every block request at once: the frames they write, the file they
// leave, and how they end on wrong, late, lost or refused answers, on a lost
// link and on Cancel.
#include "paramfiles/KzoExportProgressDialog.h"
#include "paramfiles/KzoImportProgressDialog.h"
#include "paramfiles/ParamFile.h"

#include "paramfiles/FakeParamController.h"
#include "paramfiles/ParamTestFiles.h"
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using namespace kzo::paramfiles;
using kzo::test::FakeDevIo;
using kzo::test::FakeParamController;
using kzo::test::readAll;
using Outcome = ParamTransferDialog::Outcome;

namespace {

// What a complete export of the fake controller's memory must write.
QByteArray expectedFile(const FakeParamController& ctl) { return buildImage(currentStamp(), ctl.fileRecords()); }

QByteArray fileRecords(uint8_t seed) { return kzo::test::patternRecords(3, seed); }

// The dialog listens to io and is shown, which sends its first request.
template <class Dialog>
void start(Dialog& dlg, FakeDevIo& io)
{
    io.addListener(&dlg);
    dlg.show();
}

void startExport(KzoExportProgressDialog& dlg, FakeDevIo& io, const QString& path)
{
    dlg.filePath = path;
    start(dlg, io);
}

QByteArray bytes(const kzo::test::WrittenFrame& f) { return QByteArray(reinterpret_cast<const char*>(f.bytes.data()), f.size()); }

QString shot(const QString& name)
{
    const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR) + QStringLiteral("/paramfiles");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

QList<uint32_t> list(const std::vector<uint32_t>& v) { return QList<uint32_t>(v.begin(), v.end()); }

} // namespace

class TestParamFileDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void exportFramesByteByByte()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.answer = false;
        KzoExportProgressDialog dlg;
        QCOMPARE(dlg.windowTitle(), QString("Export EEPROM"));
        QVERIFY(!(dlg.windowFlags() & Qt::WindowCloseButtonHint));
        startExport(dlg, io, dir.filePath("frames.KG1"));
        auto frames = io.takeFrames();
        QCOMPARE(frames.size(), size_t(1));
        QCOMPARE(bytes(frames[0]).toHex(),
                 QByteArray("55aa55aa" "2600" "01" "0000" "9202" "0080" "00") + QByteArray(32, '0')
                     + QByteArray("00000000" "82000000") + QByteArray(8, '0'));
        QCOMPARE(dlg.progressBar->maximum(), 100);
        QCOMPARE(dlg.progressBar->value(), 0);

        io.deliver(FakeParamController::readReply(0, 130, ctl.memory.data(), 0));
        QTRY_COMPARE(io.writeCount(), 1);
        frames = io.takeFrames();
        QCOMPARE(bytes(frames[0]).mid(30, 8).toHex(), QByteArray("80000000" "80000000"));
        QCOMPARE(bytes(frames[0]).size(), 42);
        QCOMPARE(dlg.progressBar->maximum(), 1040);
        QCOMPARE(dlg.progressBar->value(), 130);
        QVERIFY(dlg.progressBar->styleSheet().contains("background-color: #05B8CC;"));
        QVERIFY(dlg.outcome() == Outcome::Running);
        QVERIFY(dlg.grab().save(shot("export_dialog")));
        dlg.reject();
    }

    void exportWritesWholeFileWithBlockNumbersAsSent()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.blockNumbers = {0x3412, 0xFFFF, 2, 0x0100, 99, 5, 6, 0xBEEF};
        KzoExportProgressDialog dlg;
        startExport(dlg, io, dir.filePath("whole.KG1"));
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QVERIFY(dlg.isHidden());
        const QByteArray file = readAll(dlg.filePath);
        QCOMPARE(file.size(), 1046);
        QCOMPARE(file.left(6).toHex(), QByteArray("01332b400000"));
        QCOMPARE(file.mid(134, 2).toHex(), QByteArray("1234"));
        QCOMPARE(file, expectedFile(ctl));
        QCOMPARE(list(ctl.readAddresses), (QList<uint32_t>{0, 128, 256, 384, 512, 640, 768, 896}));
    }

    void exportIgnoresAWrongEchoedAddress()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.wrongAddressBlock = 1; // its answer claims to be the last block
        KzoExportProgressDialog dlg;
        startExport(dlg, io, dir.filePath("wrongaddress.KG1"));
        QTRY_COMPARE(ctl.requests, 2);
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QVERIFY(dlg.outcome() == Outcome::Running);
        QVERIFY(!QFile::exists(dlg.filePath));
        // The lost answer is asked for again, and the export goes on from there.
        dlg.onReplyTimeout();
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QCOMPARE(list(ctl.readAddresses), (QList<uint32_t>{0, 128, 128, 256, 384, 512, 640, 768, 896}));
        QCOMPARE(readAll(dlg.filePath), expectedFile(ctl));
        QCOMPARE(dlg.resendCount(), 1);
    }

    void lostReplyIsSentAgain()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.dropReplies = 1;
        KzoExportProgressDialog dlg;
        dlg.setReplyTimeout(20);
        startExport(dlg, io, dir.filePath("lost.KG1"));
        // The timer sends the same request again; the answer to it completes the export.
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QCOMPARE(list(ctl.readAddresses), (QList<uint32_t>{0, 0, 128, 256, 384, 512, 640, 768, 896}));
        QCOMPARE(dlg.resendCount(), 1);
        QCOMPARE(readAll(dlg.filePath), expectedFile(ctl));
    }

    void silentControllerEndsTheDialog()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.answer = false;
        KzoExportProgressDialog dlg;
        dlg.setMaxResends(2);
        startExport(dlg, io, dir.filePath("silent.KG1"));
        dlg.onReplyTimeout();
        dlg.onReplyTimeout();
        QVERIFY(dlg.outcome() == Outcome::Running);
        QCOMPARE(io.writeCount(), 3); // the first request and two re-sends, all alike
        const auto frames = io.written();
        QCOMPARE(frames[1], frames[0]);
        QCOMPARE(frames[2], frames[0]);
        dlg.onReplyTimeout();
        QVERIFY(dlg.outcome() == Outcome::NoReply);
        QVERIFY(dlg.isHidden());
        QVERIFY(!QFile::exists(dlg.filePath));
    }

    void wrongLengthIsLoggedAndIgnored()
    {
        kzo::test::LogCapture log;
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.wrongLengthBlock = 3;
        KzoExportProgressDialog dlg;
        startExport(dlg, io, dir.filePath("length.KG1"));
        QTRY_COMPARE(ctl.requests, 4);
        QCoreApplication::processEvents();
        QVERIFY(dlg.outcome() == Outcome::Running);
        QCOMPARE(ctl.requests, 4); // still waiting for block 3
        QVERIFY(log.hasLine("Protocol", "Ack Len:170,desire Len:169 ,ID = 0x0293"));
        dlg.onReplyTimeout();
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QCOMPARE(readAll(dlg.filePath), expectedFile(ctl));
    }

    void disconnectEndsWithFailure()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.disconnectAtRequest = 3;
        KzoExportProgressDialog dlg;
        startExport(dlg, io, dir.filePath("gone.KG1"));
        QTRY_VERIFY(dlg.outcome() == Outcome::Disconnected);
        QVERIFY(dlg.isHidden());
        QVERIFY(!QFile::exists(dlg.filePath));

        KzoImportProgressDialog imp(fileRecords(1));
        io.addListener(&imp);
        ctl.requests = 0;
        ctl.disconnectAtRequest = 5;
        imp.show();
        QTRY_VERIFY(imp.outcome() == Outcome::Disconnected);
        QCOMPARE(imp.transfer().acceptedBlocks(), 5);
        QVERIFY(imp.mayHoldMix());
    }

    void cancelAndEscape()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.answer = false;
        {
            KzoExportProgressDialog dlg;
            startExport(dlg, io, dir.filePath("cancel.KG1"));
            QCOMPARE(dlg.cancelButton->accessibleName(), QString("Cancel"));
            QTest::mouseClick(dlg.cancelButton, Qt::LeftButton);
            QVERIFY(dlg.outcome() == Outcome::Cancelled);
            QVERIFY(dlg.isHidden());
            QVERIFY(!QFile::exists(dlg.filePath));
        }
        {
            KzoImportProgressDialog dlg(fileRecords(2));
            start(dlg, io);
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QTest::keyClick(&dlg, Qt::Key_Escape);
            QVERIFY(dlg.outcome() == Outcome::Cancelled);
            QVERIFY(dlg.mayHoldMix()); // the first write may have landed
        }
        // A finished dialog no longer listens: answers after the end reach nobody.
        QCOMPARE(io.writeCount(), 2);
        io.deliver(FakeParamController::writeAck(1, 0, 130));
        QCoreApplication::processEvents();
        QCOMPARE(io.writeCount(), 2);
    }

    void importFramesByteByByte()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.answer = false;
        const QByteArray records = fileRecords(7);
        KzoImportProgressDialog dlg(records);
        QCOMPARE(dlg.windowTitle(), QString("Import EEPROM"));
        start(dlg, io);
        auto frames = io.takeFrames();
        QCOMPARE(frames.size(), size_t(1));
        QByteArray f = bytes(frames[0]);
        QCOMPARE(f.size(), 172);
        QCOMPARE(f.left(30).toHex(), QByteArray("55aa55aa" "a800" "01" "0000" "9402" "0080" "00") + QByteArray(32, '0'));
        QCOMPARE(f.mid(30, 8).toHex(), QByteArray("00000000" "82000000"));
        QCOMPARE(f.mid(38, 130), records.left(130));

        io.deliver(FakeParamController::writeAck(1, 0, 130));
        QTRY_COMPARE(io.writeCount(), 1);
        f = bytes(io.takeFrames()[0]);
        QCOMPARE(f.mid(30, 8).toHex(), QByteArray("80000000" "80000000"));
        QCOMPARE(f.mid(38, 130), records.mid(130, 130));
        QCOMPARE(dlg.progressBar->value(), 130);
        QVERIFY(dlg.grab().save(shot("import_dialog")));
        dlg.reject();
    }

    void importWritesEveryRecord()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        const QByteArray records = fileRecords(9);
        KzoImportProgressDialog dlg(records);
        start(dlg, io);
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QCOMPARE(list(ctl.writeAddresses), (QList<uint32_t>{0, 128, 256, 384, 512, 640, 768, 896}));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(ctl.memory.data() + k * 128), 128),
                     records.mid(k * 130, 128));
    }

    void refusedLastBlockIsAFailure()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.refuseBlock = 7;
        KzoImportProgressDialog dlg(fileRecords(3));
        start(dlg, io);
        QTRY_VERIFY(dlg.outcome() != Outcome::Running);
        QVERIFY(dlg.outcome() == Outcome::Refused);
        QCOMPARE(dlg.mode, 3);
        QVERIFY(dlg.mayHoldMix());
        QCOMPARE(ctl.requests, 8);

        // Refused first block: nothing was taken, so nothing is mixed.
        FakeDevIo io2;
        FakeParamController first(io2);
        first.refuseBlock = 0;
        KzoImportProgressDialog dlg2(fileRecords(3));
        start(dlg2, io2);
        QTRY_VERIFY(dlg2.outcome() == Outcome::Refused);
        QVERIFY(!dlg2.mayHoldMix());
    }

    void importIgnoresAWrongEchoedAddress()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.wrongAddressBlock = 1; // its acknowledgement claims the last block
        KzoImportProgressDialog dlg(fileRecords(4));
        start(dlg, io);
        QTRY_COMPARE(ctl.requests, 2);
        QCoreApplication::processEvents();
        QVERIFY(dlg.outcome() == Outcome::Running);
        dlg.onReplyTimeout();
        QTRY_VERIFY(dlg.outcome() == Outcome::Completed);
        QCOMPARE(list(ctl.writeAddresses), (QList<uint32_t>{0, 128, 128, 256, 384, 512, 640, 768, 896}));
    }

    void importOfIncompleteRecordsSendsNothing()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        KzoImportProgressDialog dlg(fileRecords(5).left(1039));
        start(dlg, io);
        QTRY_VERIFY(dlg.outcome() == Outcome::NothingToSend);
        QCOMPARE(io.writeCount(), 0);
    }

    void replyIsTakenByValue()
    {
        // Two answers for block 0 arrive on the listener thread before the
        // GUI thread looks at either: the first one is what is stored.
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.answer = false;
        KzoExportProgressDialog dlg;
        startExport(dlg, io, dir.filePath("byvalue.KG1"));
        uint8_t first[128], second[128];
        std::fill(std::begin(first), std::end(first), uint8_t(0x11));
        std::fill(std::begin(second), std::end(second), uint8_t(0x22));
        std::thread listener([&] {
            io.deliver(FakeParamController::readReply(0, 130, first, 0));
            io.deliver(FakeParamController::readReply(0, 130, second, 0));
        });
        listener.join();
        QTRY_COMPARE(io.writeCount(), 2);
        QCOMPARE(dlg.transfer().records().left(128), QByteArray(128, '\x11'));
        dlg.reject();
    }

    void noDeliveryReachesAFinishedDialog()
    {
        // A listener thread keeps delivering answers and link events while
        // dialogs run to their end and are destroyed; under the address
        // sanitizer a delivery to a destroyed dialog would be reported.
        FakeDevIo io;
        FakeParamController ctl(io);
        std::atomic<bool> stop{false};
        std::thread listener([&] {
            uint8_t data[128] = {};
            while (!stop.load()) {
                io.deliver(FakeParamController::readReply(0, 130, data, 0));
                io.deliver(FakeParamController::writeAck(1, 0, 130));
                io.dispatch(EvConnected, nullptr);
                // Paced, so the GUI thread is not buried under ignored answers.
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        for (int i = 0; i < 10; ++i) {
            auto exp = std::make_unique<KzoExportProgressDialog>();
            startExport(*exp, io, dir.filePath(QStringLiteral("race%1.KG1").arg(i)));
            QTRY_VERIFY(exp->outcome() != Outcome::Running);
            exp.reset();
            auto imp = std::make_unique<KzoImportProgressDialog>(fileRecords(6));
            start(*imp, io);
            QTRY_VERIFY(imp->outcome() != Outcome::Running);
            imp.reset();
        }
        stop = true;
        listener.join();
    }
};

QTEST_MAIN(TestParamFileDialogs)
#include "test_paramfile_dialogs.moc"
