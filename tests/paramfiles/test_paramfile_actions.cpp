// Export and import as the tools page starts them: file dialogs (answered by
// the test), the remembered folder, the file name, the overwrite question,
// the checks before anything is sent, the transfer and the boxes at the end.
#include "paramfiles/ParamFileActions.h"

#include "paramfiles/FileChooser.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/TransferTiming.h"
#include "widgets/MessageBoxes.h"

#include "app/config/GlobalCfg.h"
#include "paramfiles/FakeParamController.h"
#include "paramfiles/FileSizeLimit.h"
#include "paramfiles/ParamTestFiles.h"
#include "support/FakeDevIo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace kzo::paramfiles;
using kzo::test::FakeDevIo;
using kzo::test::FakeParamController;
using kzo::test::readAll;
using kzo::test::writeRaw;
using Boxes = kzo::test::RecordedBoxes;
using kzo::ui::BoxRequest;

namespace {

// A file of this program's version whose byte i of the records is i * 5 + seed.
QByteArray sampleFile(uint8_t seed) { return buildImage(currentStamp(), kzo::test::patternRecords(5, seed)); }

QSettings settings() { return QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp); }

// Answers file dialogs with a fixed path (empty: cancelled) and records how
// each was opened.
struct Chooser {
    QString answer;
    int calls = 0;
    QString startDir, filter;
    kzo::paramfiles::FileChooser hook()
    {
        return [this](QWidget*, const QString&, const QString& dir, const QString& f) {
            ++calls;
            startDir = dir;
            filter = f;
            return answer;
        };
    }
};

} // namespace

class TestParamFileActions : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    Chooser save, open;
    std::unique_ptr<ScopedFileChoosers> choosers;
    std::unique_ptr<ScopedTransferTiming> timing;

    // Writes a file in the test folder and makes it the open dialog's answer.
    bool offerForImport(const QString& name, const QByteArray& bytes)
    {
        open.answer = dir.filePath(name);
        return writeRaw(open.answer, bytes);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        choosers = std::make_unique<ScopedFileChoosers>(save.hook(), open.hook());
        // Short, so the cases with a lost answer end quickly.
        timing = std::make_unique<ScopedTransferTiming>(TransferTiming{30, 3});
    }
    void init()
    {
        save = Chooser{};
        open = Chooser{};
        settings().remove(QStringLiteral("path/config"));
    }
    void cleanupTestCase()
    {
        timing.reset();
        choosers.reset();
    }

    void exportWritesTheFileAndRemembersTheFolder()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.blockNumbers[0] = 0x0A0B;
        QDir(dir.path()).mkpath("sub");
        save.answer = dir.filePath("sub/params");
        Boxes boxes;
        QVERIFY(runExport(nullptr, io));
        QCOMPARE(save.calls, 1);
        QCOMPARE(save.startDir, QString());
        QCOMPARE(save.filter, QString("Config(*.KG1)"));
        const QByteArray file = readAll(dir.filePath("sub/params.KG1"));
        QCOMPARE(file.size(), 1046);
        QCOMPARE(file.left(6).toHex(), QByteArray("01332b400000"));
        QCOMPARE(file.mid(134, 2).toHex(), QByteArray("0b0a"));
        QCOMPARE(file.mid(6), ctl.fileRecords());
        QCOMPARE(boxes.texts(), QStringList{"Export EEPROM / Export Complete"});
        QCOMPARE(settings().value("path/config").toString(), QFileInfo(dir.filePath("sub")).absoluteFilePath());

        // The next dialog opens there; a name with the suffix is kept as it is.
        save.answer = dir.filePath("sub/again.KG1");
        QVERIFY(runExport(nullptr, io));
        QCOMPARE(save.startDir, QFileInfo(dir.filePath("sub")).absoluteFilePath());
        QVERIFY(QFile::exists(dir.filePath("sub/again.KG1")));
        QVERIFY(!QFile::exists(dir.filePath("sub/again.KG1.KG1")));
    }

    void cancelledFileDialogDoesNothing()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        Boxes boxes;
        QVERIFY(!runExport(nullptr, io));
        QVERIFY(!runImport(nullptr, io));
        QCOMPARE(io.writeCount(), 0);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!settings().contains("path/config"));
    }

    void overwriteQuestionIsAboutTheNameWritten()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        // "plain" exists, but "plain.KG1" is what would be written: no question.
        QVERIFY(writeRaw(dir.filePath("plain"), "keep"));
        save.answer = dir.filePath("plain");
        {
            Boxes boxes;
            QVERIFY(runExport(nullptr, io));
            QCOMPARE(boxes.texts(), QStringList{"Export EEPROM / Export Complete"});
            QCOMPARE(readAll(dir.filePath("plain")), QByteArray("keep"));
        }
        // Now "plain.KG1" exists: asked about it; No leaves it and sends nothing.
        io.clearWritten();
        QVERIFY(writeRaw(dir.filePath("plain.KG1"), "old"));
        {
            Boxes boxes;
            boxes.reply = QMessageBox::No;
            QVERIFY(!runExport(nullptr, io));
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown[0].icon, QMessageBox::Question);
            QVERIFY(boxes.shown[0].text.contains(QDir::toNativeSeparators(dir.filePath("plain.KG1"))));
            QCOMPARE(readAll(dir.filePath("plain.KG1")), QByteArray("old"));
            QCOMPARE(io.writeCount(), 0);
        }
    }

    void exportOverALongerFileLeavesExactlyTheNewFile()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        const QString path = dir.filePath("long.KG1");
        QVERIFY(writeRaw(path, QByteArray(5000, '\x5A')));
        save.answer = path;
        Boxes boxes; // answers Yes to the overwrite question
        QVERIFY(runExport(nullptr, io));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(readAll(path), buildImage(currentStamp(), ctl.fileRecords()));
    }

    void failedWriteShowsFailureAndKeepsTheOldFile()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        const QString path = dir.filePath("keep.KG1");
        const QByteArray old(3000, '\x33');
        QVERIFY(writeRaw(path, old));
        save.answer = path;
        Boxes boxes;
        bool ok = true;
        {
            kzo::test::FileSizeLimit limit(200);
            QVERIFY(limit.active());
            ok = runExport(nullptr, io);
        }
        QVERIFY(!ok);
        QCOMPARE(readAll(path), old);
        QCOMPARE(boxes.shown.size(), 2); // the overwrite question, then the failure
        QCOMPARE(boxes.shown[1].title, QString("Export EEPROM"));
        QVERIFY2(boxes.shown[1].text.startsWith("Export Failure"), qPrintable(boxes.shown[1].text));
        QCOMPARE(QDir(dir.path()).entryList({"keep*"}, QDir::Files), QStringList{"keep.KG1"});
    }

    void exportEndsWithFailureWhenTheLinkGoes()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.disconnectAtRequest = 4;
        save.answer = dir.filePath("lost-link");
        Boxes boxes;
        QVERIFY(!runExport(nullptr, io));
        QCOMPARE(boxes.texts(), QStringList{"Export EEPROM / Export Failure"});
        QVERIFY(!QFile::exists(dir.filePath("lost-link.KG1")));
    }

    void importWritesTheFileAndAsksToRepower()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        const QByteArray file = sampleFile(3);
        // A longer file (as the old export could leave) counts up to 1046 bytes.
        QVERIFY(offerForImport("in.KG1", file + QByteArray(700, '\x77')));
        Boxes boxes;
        QVERIFY(runImport(nullptr, io));
        QCOMPARE(open.filter, QString("Config(*.KG1)"));
        QCOMPARE(boxes.texts(), QStringList{"Import Complete / Please re-power the controller."});
        for (int k = 0; k < 8; ++k)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(ctl.memory.data() + k * 128), 128),
                     file.mid(6 + k * 130, 128));
        QCOMPARE(settings().value("path/config").toString(), QFileInfo(dir.path()).absoluteFilePath());
    }

    void importChecksTheVersionBeforeSending()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        QByteArray file = sampleFile(1);
        file[5] = 1; // another hide version
        QVERIFY(offerForImport("other.KG1", file));
        Boxes boxes;
        QVERIFY(!runImport(nullptr, io));
        QCOMPARE(boxes.texts(), QStringList{"Info / Configuration file version does not match."});
        QCOMPARE(io.writeCount(), 0);
    }

    void shortFileIsRefusedBeforeSending()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        QVERIFY(offerForImport("short.KG1", sampleFile(2).left(1045)));
        const auto before = ctl.memory;
        Boxes boxes;
        QVERIFY(!runImport(nullptr, io));
        QCOMPARE(io.writeCount(), 0);
        QCOMPARE(ctl.memory, before);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].title, QString("Info"));
        // Opening it changed nothing (read-only).
        QCOMPARE(readAll(dir.filePath("short.KG1")).size(), 1045);
    }

    void refusedLastBlockIsImportFailure()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.refuseBlock = 7;
        QVERIFY(offerForImport("refused.KG1", sampleFile(4)));
        Boxes boxes;
        QVERIFY(!runImport(nullptr, io));
        QVERIFY2(boxes.importFailedWithMixWarning(), qPrintable(boxes.texts().join('|')));
    }

    void lostAcknowledgementIsSentAgain()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.onRequest = [&](int n) {
            if (n == 3)
                ctl.dropReplies = 1;
        };
        QVERIFY(offerForImport("lost.KG1", sampleFile(5)));
        Boxes boxes;
        QVERIFY(runImport(nullptr, io));
        QCOMPARE(ctl.writeAddresses.size(), size_t(9));
        QCOMPARE(ctl.writeAddresses[3], ctl.writeAddresses[4]);
        QCOMPARE(boxes.texts(), QStringList{"Import Complete / Please re-power the controller."});
    }

    void importEndsWithFailureWhenTheLinkGoes()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        ctl.disconnectAtRequest = 2;
        QVERIFY(offerForImport("gone.KG1", sampleFile(6)));
        Boxes boxes;
        QVERIFY(!runImport(nullptr, io));
        QVERIFY2(boxes.importFailedWithMixWarning(), qPrintable(boxes.texts().join('|')));
    }

    void cancelledImportWarnsOfAMix()
    {
        FakeDevIo io;
        FakeParamController ctl(io);
        // Cancel is pressed while the fourth block is on its way.
        ctl.onRequest = [&](int n) {
            if (n != 3)
                return;
            ctl.answer = false;
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    if (QWidget* w = QApplication::activeModalWidget())
                        if (auto* b = w->findChild<QPushButton*>("cancelButton"))
                            b->click();
                },
                Qt::QueuedConnection);
        };
        QVERIFY(offerForImport("cancel.KG1", sampleFile(7)));
        Boxes boxes;
        QVERIFY(!runImport(nullptr, io));
        QCOMPARE(ctl.requests, 4);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].icon, QMessageBox::Warning);
        QVERIFY(boxes.shown[0].text.contains("mix of old and new parameters"));
    }
};

QTEST_MAIN(TestParamFileActions)
#include "test_paramfile_actions.moc"
