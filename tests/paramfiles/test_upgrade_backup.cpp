// The window's parameter copy around a main-controller upgrade, against
// kzo-devsim's parameter memory: the saved file's bytes, the question when
// saving fails, and the offer to load the copy back.
#include "paramfiles/UpgradeBackup.h"

#include "paramfiles/ParamBackup.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/TransferTiming.h"

#include "link/SimpleDevIo.h"
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "paramfiles/ParamTestFiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kzo::paramfiles;
using kzo::test::DevSimProcess;
using kzo::test::SimLink;
using kzo::test::readAll;
using Boxes = kzo::test::RecordedBoxes;

namespace {

QByteArray memoryOf(const QByteArray& file)
{
    QByteArray m;
    for (int k = 0; k < 8; ++k)
        m.append(file.mid(6 + k * 130, 128));
    return m;
}

struct Sim {
    explicit Sim(const QStringList& args) : process(args)
    {
        if (process.ok())
            link = std::make_unique<SimLink>(process.port());
    }
    bool connect() { return process.ok() && QTest::qWaitFor([this] { return link && SimLink::open(); }, 10000); }
    DevSimProcess process;
    std::unique_ptr<SimLink> link;
};

} // namespace

class TestUpgradeBackup : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString folder() const { return dir.filePath("backups"); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        kzo::test::talkLikeTheProgram();
    }
    void init() { QDir(folder()).removeRecursively(); }

    void fileNames()
    {
        const QDateTime at(QDate(2026, 1, 2), QTime(3, 4, 5));
        QCOMPARE(backupFileName(at, "KG1"), QString("params-20260102-030405.KG1"));
        QCOMPARE(newBackupPath(folder(), at), folder() + "/params-20260102-030405.KG1");
        QVERIFY(QFileInfo(folder()).isDir());
    }

    void savedCopyIsTheControllersMemory()
    {
        const ScopedTransferTiming timing({300, 3});
        const QString memory = dir.filePath("mem1.bin");
        Sim sim({"--eeprom", memory});
        QVERIFY(sim.connect());
        Boxes boxes;
        const UpgradeBackup b = backupBeforeUpgrade(nullptr, orb::simpleDevIo(), folder());
        QVERIFY(b.goOn);
        QVERIFY2(QRegularExpression("/backups/params-\\d{8}-\\d{6}\\.KG1$").match(b.path).hasMatch(), qPrintable(b.path));
        const QByteArray saved = readAll(b.path);
        QCOMPARE(saved.size(), 1046);
        QCOMPARE(saved.left(6), buildImage(currentStamp(), {}).left(6));
        QCOMPARE(memoryOf(saved), readAll(memory));
        // Says where.
        QCOMPARE(boxes.texts(), QStringList{"Parameter backup / The parameters were saved to " + b.path
                                            + " before the upgrade."});
    }

    void failedCopyLetsTheUserChoose_data()
    {
        QTest::addColumn<int>("reply");
        QTest::addColumn<bool>("goOn");
        QTest::newRow("stop") << int(QMessageBox::No) << false;
        QTest::newRow("go on") << int(QMessageBox::Yes) << true;
    }
    void failedCopyLetsTheUserChoose()
    {
        QFETCH(int, reply);
        QFETCH(bool, goOn);
        const ScopedTransferTiming timing({100, 1});
        Sim sim({"--eeprom", dir.filePath("mem2.bin"), "--param-drop", "1000"});
        QVERIFY(sim.connect());
        Boxes boxes;
        boxes.reply = QMessageBox::StandardButton(reply);
        const UpgradeBackup b = backupBeforeUpgrade(nullptr, orb::simpleDevIo(), folder());
        QCOMPARE(b.goOn, goOn);
        QVERIFY(b.path.isEmpty());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes.shown[0].text, QString("The parameters could not be saved before the upgrade: the controller did "
                                              "not answer.\nUpgrade the main controller without a backup?"));
        QCOMPARE(boxes.shown[0].defaultButton, QMessageBox::No);
        QVERIFY(QDir(folder()).entryList(QDir::Files).isEmpty()); // no partial file
    }

    void copyIsOfferedForImport()
    {
        const ScopedTransferTiming timing({300, 3});
        const QString memory = dir.filePath("mem3.bin");
        QVERIFY(kzo::test::writeRaw(memory, QByteArray(1024, '\x11')));
        const QByteArray records = kzo::test::patternRecords(5, 1);
        const QString copy = dir.filePath("copy.KG1");
        QVERIFY(kzo::test::writeRaw(copy, buildImage(currentStamp(), records)));
        Sim sim({"--eeprom", memory});
        QVERIFY(sim.connect());

        {
            Boxes boxes;
            boxes.reply = QMessageBox::No;
            QVERIFY(!offerBackupImport(nullptr, orb::simpleDevIo(), copy));
            QCOMPARE(boxes.shown.size(), 1);
            QVERIFY(boxes.shown[0].text.startsWith("The parameters saved before the upgrade are in " + copy));
            QCOMPARE(readAll(memory), QByteArray(1024, '\x11'));
        }
        Boxes boxes;
        QVERIFY(offerBackupImport(nullptr, orb::simpleDevIo(), copy));
        QCOMPARE(boxes.texts().last(), QString("Import Complete / Please re-power the controller."));
        QCOMPARE(readAll(memory), memoryOf(buildImage(currentStamp(), records)));
    }
};

QTEST_MAIN(TestUpgradeBackup)
#include "test_upgrade_backup.moc"
