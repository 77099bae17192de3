// The internal page's upgrades in the user's flash log: the engine's file
// upgrades followed to their outcome (success, failure, a module that never
// enters its loader), and the page's own IMU list (done, silent, abandoned).
#include "upgrade/PageTestRig.h"
#include "upgrade/pages/qInternalPage.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using kzo::test::ackRecord;
using kzo::test::PageRig;
using kzo::upgrade::FlashRecord;

namespace {

QByteArray pattern(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(i * 7 + 3);
    return b;
}

} // namespace

class TestInternalFlashLog : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<PageRig> rig;
    std::unique_ptr<qInternalPage> page;
    QString chosen;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(bytes);
        return f.fileName();
    }
    std::vector<FlashRecord> log() const { return kzo::upgrade::readFlashLog(kzo::upgrade::flashLogPath(), 100); }

private slots:
    void initTestCase()
    {
        kzo::upgrade::setPortSource([] { return QStringLiteral("/dev/ttyACM7"); });
    }
    void init()
    {
        QFile::remove(kzo::upgrade::flashLogPath());
        rig = std::make_unique<PageRig>();
        page = std::make_unique<qInternalPage>();
        rig->io.addListener(page.get());
        page->setFileChooser([this](const QString&, const QString&, const QString&) { return chosen; });
    }
    void cleanup()
    {
        rig->io.removeListener(page.get());
        page.reset();
        rig.reset();
    }

    void engineSuccess()
    {
        appModel().setValue("fw_cmu", "2.1 ");
        const QByteArray image = pattern(600);
        chosen = writeFile("cmu-2.2.bin", image);
        page->widgets().BTN_CMU->click();
        QVERIFY(page->flashWatch().following());
        page->flashWatch().poll();
        QVERIFY(log().empty()); // still running
        rig->engine.finish(true);
        page->flashWatch().poll();
        QVERIFY(!page->flashWatch().following());
        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].module, QString("cmu"));
        QCOMPARE(entries[0].port, QString("/dev/ttyACM7"));
        QCOMPARE(entries[0].versionBefore, QString("2.1"));
        QCOMPARE(entries[0].image, QString("cmu-2.2.bin"));
        QCOMPARE(entries[0].size, 600);
        QCOMPARE(entries[0].md5, kzo::upgrade::md5Hex(image));
        QCOMPARE(entries[0].outcome, QString("ok"));
        // Later looks add nothing.
        page->flashWatch().poll();
        QCOMPARE(log().size(), size_t(1));
    }

    void engineFailure()
    {
        chosen = writeFile("pitch.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
        page->widgets().BTN_PITCH->click();
        QVERIFY(page->flashWatch().following());
        emit rig->engine.upgradeError(1);
        rig->engine.finish(false);
        page->flashWatch().poll();
        QCOMPARE(log().size(), size_t(1));
        QCOMPARE(log()[0].module, QString("pitch"));
        QCOMPARE(log()[0].outcome, QString("failed: the module reported a transmit error"));
    }

    // The engine waits for a boot loader for ever; the watch ends it.
    void moduleNeverEntersItsLoader()
    {
        chosen = writeFile("yaw.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
        page->widgets().BTN_YAW->click();
        page->flashWatch().setStallTimeout(300);
        for (int i = 0; i < 3; ++i)
            page->flashWatch().poll();
        QVERIFY(rig->engine.isIdle()); // ended by the watch
        page->flashWatch().poll();
        QCOMPARE(log().size(), size_t(1));
        QCOMPARE(log()[0].module, QString("yaw"));
        QCOMPARE(log()[0].outcome, QString("refused: the module did not enter its boot loader"));
    }

    void engineResetElsewhere()
    {
        chosen = writeFile("roll.hex", ":0400000001020304F2\r\n:00000001FF\r\n");
        page->widgets().BTN_ROLL->click();
        rig->engine.reset();
        page->flashWatch().poll();
        QCOMPARE(log().size(), size_t(1));
        QCOMPARE(log()[0].outcome, QString("failed: stopped before the end"));
    }

    void imuListOutcomes()
    {
        appModel().setValue("fw_imu", "1.5 ");
        const QByteArray image = pattern(256);
        chosen = writeFile("imu.bin", image);
        page->widgets().BTN_GIMBAL->click();
        for (uint16_t id : {orb::cmdid::ImuLoaderReady, orb::cmdid::ImuLengthAck, orb::cmdid::ImuBlockAck,
                            orb::cmdid::ImuBlockAck, orb::cmdid::ImuDone})
            rig->io.deliver(ackRecord(id, {0}));
        QTRY_VERIFY(page->gimbalRun().done());
        QCOMPARE(log().size(), size_t(1));
        QCOMPARE(log()[0].module, QString("imu"));
        QCOMPARE(log()[0].versionBefore, QString("1.5"));
        QCOMPARE(log()[0].md5, kzo::upgrade::md5Hex(image));
        QCOMPARE(log()[0].outcome, QString("ok"));

        // A loader that never answers.
        page->setAckTimeout(30);
        page->widgets().BTN_GIMBAL->click();
        QTRY_COMPARE(log().size(), size_t(2));
        QCOMPARE(log()[1].outcome, QString("refused: the IMU boot loader did not answer"));

        // Left in the middle.
        page->setAckTimeout(60000);
        page->widgets().BTN_GIMBAL->click();
        rig->io.deliver(ackRecord(orb::cmdid::ImuLoaderReady, {0}));
        QTRY_VERIFY(page->gimbalRun().started());
        page->PageLeave();
        QCOMPARE(log().size(), size_t(3));
        QCOMPARE(log()[2].outcome, QString("failed: abandoned: the page was left"));
    }
};

QTEST_MAIN(TestInternalFlashLog)
#include "test_internal_flashlog.moc"
