// Export and import through the serial device I/O against kzo-devsim's
// parameter memory (kept in a file with --eeprom): a round trip from one
// simulator into another, and the simulator's parameter-memory faults.
#include "paramfiles/ParamFileActions.h"

#include "paramfiles/FileChooser.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/TransferTiming.h"
#include "widgets/MessageBoxes.h"

#include "link/SimpleDevIo.h"
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "paramfiles/ParamTestFiles.h"
#include "support/LogCapture.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kzo::paramfiles;
using kzo::test::DevSimProcess;
using kzo::test::SimLink;
using kzo::test::patternRecords;
using kzo::test::readAll;
using kzo::test::writeRaw;
using Boxes = kzo::test::RecordedBoxes;

namespace {

// The 1024 memory bytes a parameter file carries (its records without the block numbers).
QByteArray memoryOf(const QByteArray& file)
{
    QByteArray m;
    for (int k = 0; k < 8; ++k)
        m.append(file.mid(6 + k * 130, 128));
    return m;
}

QByteArray blockNumberOf(const QByteArray& file, int k) { return file.mid(6 + k * 130 + 128, 2); }

// Answers the file dialogs with fixed paths.
struct Files {
    QString save, open;
    ScopedFileChoosers choosers{[this](QWidget*, const QString&, const QString&, const QString&) { return save; },
                                [this](QWidget*, const QString&, const QString&, const QString&) { return open; }};
};

// One simulator connected through the serial device I/O for a scope.
struct Sim {
    explicit Sim(const QStringList& args) : process(args)
    {
        if (process.ok())
            link = std::make_unique<SimLink>(process.port());
    }
    bool connected() { return link && SimLink::open(); }
    // Whether the simulator runs and the program's link to it opened in time.
    bool connect() { return process.ok() && QTest::qWaitFor([this] { return connected(); }, 10000); }
    DevSimProcess process;
    std::unique_ptr<SimLink> link;
};

} // namespace

class TestParamFileDevSim : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A simulator memory file `name`.bin filled with `fill`, and `records` as
    // the parameter file `name`.KG1 that the open dialog offers.
    bool prepareImport(Files& files, const QString& name, char fill, const QByteArray& records)
    {
        files.open = dir.filePath(name + ".KG1");
        return writeRaw(dir.filePath(name + ".bin"), QByteArray(1024, fill))
            && writeRaw(files.open, buildImage(currentStamp(), records));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        kzo::test::talkLikeTheProgram();
    }

    void exportThenImportIntoAnotherSimulator()
    {
        const ScopedTransferTiming timing({300, 3});
        const QString first = dir.filePath("first.bin");
        const QString second = dir.filePath("second.bin");
        const QString file = dir.filePath("roundtrip.KG1");
        Files files;
        files.save = dir.filePath("roundtrip");
        files.open = file;
        {
            Sim sim({"--eeprom", first});
            QVERIFY2(sim.connect(), sim.process.log().constData());
            Boxes boxes;
            QVERIFY(runExport(nullptr, orb::simpleDevIo()));
            QCOMPARE(boxes.texts(), QStringList{"Export EEPROM / Export Complete"});
        }
        const QByteArray exported = readAll(file);
        QCOMPARE(exported.size(), 1046);
        QCOMPARE(exported.left(6).toHex(), QByteArray("01332b400000"));
        const QByteArray memory = readAll(first);
        QCOMPARE(memory.size(), 1024);
        QCOMPARE(memoryOf(exported), memory);
        for (int k = 0; k < 8; ++k)
            QCOMPARE(blockNumberOf(exported, k).toHex(), QByteArray::number(k).rightJustified(2, '0') + "00");

        // A second simulator whose memory differs everywhere takes the file.
        QVERIFY(writeRaw(second, QByteArray(1024, '\xC3')));
        {
            Sim sim({"--eeprom", second});
            QVERIFY2(sim.connect(), sim.process.log().constData());
            Boxes boxes;
            QVERIFY(runImport(nullptr, orb::simpleDevIo()));
            QCOMPARE(boxes.texts(), QStringList{"Import Complete / Please re-power the controller."});
        }
        QCOMPARE(readAll(second), memory);
    }

    void exportOverFaultyReplies()
    {
        // A wrong echoed address, a wrong block number, a short reply and a
        // lost reply: the export still reads every block once, in order, and
        // keeps the block numbers as sent.
        kzo::test::LogCapture log;
        const ScopedTransferTiming timing({150, 3});
        const QString memoryFile = dir.filePath("faulty.bin");
        Files files;
        files.save = dir.filePath("faulty.KG1");
        Sim sim({"--eeprom", memoryFile, "--param-drop", "1", "--param-wrong-address", "1", "--param-wrong-number",
                 "2", "--param-wrong-length", "3"});
        QVERIFY2(sim.connect(), sim.process.log().constData());
        Boxes boxes;
        QVERIFY(runExport(nullptr, orb::simpleDevIo()));
        QCOMPARE(boxes.texts(), QStringList{"Export EEPROM / Export Complete"});
        const QByteArray exported = readAll(files.save);
        QCOMPARE(exported.size(), 1046);
        QCOMPARE(memoryOf(exported), readAll(memoryFile));
        QCOMPARE(blockNumberOf(exported, 1).toHex(), QByteArray("0100"));
        QCOMPARE(blockNumberOf(exported, 2).toHex(), QByteArray("0300")); // as the controller sent it
        QCOMPARE(blockNumberOf(exported, 3).toHex(), QByteArray("0300"));
        QVERIFY(log.hasLine("Protocol", "Ack Len:168,desire Len:169 ,ID = 0x0293"));
        QVERIFY(log.hasLine("Param", "Export: reply for address 256 ignored, waiting for 128"));
    }

    void importOverFaultyReplies()
    {
        const ScopedTransferTiming timing({150, 3});
        const QString memoryFile = dir.filePath("import-faulty.bin");
        const QByteArray records = patternRecords(11, 2);
        Files files;
        QVERIFY(prepareImport(files, "import-faulty", '\x11', records));
        Sim sim({"--eeprom", memoryFile, "--param-drop", "2", "--param-wrong-address", "4"});
        QVERIFY2(sim.connect(), sim.process.log().constData());
        Boxes boxes;
        QVERIFY(runImport(nullptr, orb::simpleDevIo()));
        QCOMPARE(boxes.texts(), QStringList{"Import Complete / Please re-power the controller."});
        QCOMPARE(readAll(memoryFile), memoryOf(buildImage(currentStamp(), records)));
        // The faults did happen.
        QTRY_VERIFY(sim.process.log().contains("parameter block 4 write acknowledge echoes address 640"));
        QCOMPARE(sim.process.log().count("no reply (--param-drop)"), 2);
    }

    void refusedLastBlockIsImportFailure()
    {
        const ScopedTransferTiming timing({300, 3});
        const QString memoryFile = dir.filePath("refuse.bin");
        const QByteArray records = patternRecords(3, 9);
        Files files;
        QVERIFY(prepareImport(files, "refuse", '\x22', records));
        Sim sim({"--eeprom", memoryFile, "--param-refuse-block", "7"});
        QVERIFY2(sim.connect(), sim.process.log().constData());
        Boxes boxes;
        QVERIFY(!runImport(nullptr, orb::simpleDevIo()));
        QVERIFY2(boxes.importFailedWithMixWarning(), qPrintable(boxes.texts().join('|')));
        const QByteArray memory = readAll(memoryFile);
        QCOMPARE(memory.left(7 * 128), memoryOf(buildImage(currentStamp(), records)).left(7 * 128));
        QCOMPARE(memory.mid(7 * 128), QByteArray(128, '\x22'));
    }

    void unpluggedControllerEndsTheImport()
    {
        // Long time-outs, so only the lost link can end the dialog.
        const ScopedTransferTiming timing({60000, 3});
        const QString memoryFile = dir.filePath("unplug.bin");
        QByteArray records(1040, '\x44');
        Files files;
        files.open = dir.filePath("unplug.KG1");
        QVERIFY(writeRaw(files.open, buildImage(currentStamp(), records)));
        Sim sim({"--eeprom", memoryFile, "--param-drop", "1000"});
        QVERIFY2(sim.connect(), sim.process.log().constData());
        // The simulator goes once the dialog is up.
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (QApplication::activeModalWidget()) {
                poll.stop();
                sim.process.stop();
            }
        });
        poll.start();
        Boxes boxes;
        QVERIFY(!runImport(nullptr, orb::simpleDevIo()));
        QVERIFY2(boxes.importFailedWithMixWarning(), qPrintable(boxes.texts().join('|')));
    }
};

QTEST_MAIN(TestParamFileDevSim)
#include "test_paramfile_devsim.moc"
