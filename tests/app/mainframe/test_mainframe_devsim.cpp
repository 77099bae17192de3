// The main window against the device simulator over a pty: the read-all
// sequence on connection, a firmware that does not match, and the end of
// the link when the window closes.
#include "app/mainframe/FrameFixture.h"
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"

#include "app/LinkShutdown.h"
#include "app/config/GlobalCfg.h"
#include "commands/qAppModel.h"
#include "link/SimpleDevIo.h"
#include "widgets/qPageButton.h"
#include "protocol/FrameCodec.h"

#include <QLabel>
#include <QTest>
#include <atomic>

using kzo::test::DevSimProcess;
using kzo::test::FrameFixture;
using kzo::test::SimLink;

namespace {

// The simulator ends with this test program, whatever happens to it.
QStringList simArgs(QStringList args)
{
    args.prepend(QStringLiteral("--exit-with-parent"));
    return args;
}

// Counts the link events it is told about, on whichever thread.
class LinkEventCounter : public orb::DevListener {
public:
    std::atomic<int> connects{0};
    std::atomic<int> disconnects{0};
    void onDevEvent(const DevEvent* event) override
    {
        if (event->kind == EvConnected)
            ++connects;
        else if (event->kind == EvDisconnected)
            ++disconnects;
    }
};

} // namespace

class TestMainFrameDevSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        kzo::test::talkLikeTheProgram();
    }

    void init()
    {
        qMainFrame::setNavigationAllowed(true);
        appModel().setStatus(AppIdle);
        for (const char* k : {"fw_mc", "fw_imu", "hwid_imu", "loader_imu", "fw_cmu", "loader_cmu"})
            appModel().setValue(k, QString());
    }

    void readAllOnConnection()
    {
        DevSimProcess sim(simArgs({"--mc-version", "3.7", "--cmu-version", "2.4"}));
        QVERIFY2(sim.ok(), sim.log().constData());
        FrameFixture fx(orb::simpleDevIo());
        SimLink link(sim.port());
        QTRY_VERIFY_WITH_TIMEOUT(fx.connector.isConnected(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(appModel().value("fw_cmu"), QStringLiteral("2.4"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 10000);
        QCOMPARE(appModel().value("fw_mc"), QStringLiteral("3.7"));
        QCOMPARE(appModel().value("fw_imu"), QStringLiteral("1.5"));
        QCOMPARE(appModel().value("loader_imu"), QStringLiteral("1.1"));
        QCOMPARE(appModel().value("hwid_imu"), QStringLiteral("305419896"));
        QCOMPARE(appModel().value("loader_cmu"), QStringLiteral("1.0"));
        QVERIFY(qMainFrame::navigationAllowed());
        QCOMPARE(fx.frame->currentPageIndex(), 0);

        // The simulator saw the five requests in their order.
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("<- 0x1253"), 5000);
        const QByteArray log = sim.log();
        qsizetype at = 0;
        for (const char* id : {"<- 0x02c0", "<- 0x1244", "<- 0x02a2", "<- 0x02a7", "<- 0x1253"}) {
            const qsizetype next = log.indexOf(id, at);
            QVERIFY2(next > at, id);
            at = next;
        }
        QTRY_VERIFY(fx.frame->findChild<QLabel*>("linkIcon")->property("linked").toBool());
    }

    void mismatchedFirmwareLocksOnUpgradePage()
    {
        DevSimProcess sim(simArgs({"--fw-minor", "1"}));
        QVERIFY2(sim.ok(), sim.log().constData());
        FrameFixture fx(orb::simpleDevIo());
        SimLink link(sim.port());
        if constexpr (debugMode) {
            // The debug build only stops the queue and keeps every page open.
            QTRY_VERIFY_WITH_TIMEOUT(!fx.queue.isEnabled(), 10000);
            QVERIFY(qMainFrame::navigationAllowed());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(fx.frame->currentPageIndex(), 1, 10000);
        QVERIFY(!qMainFrame::navigationAllowed());
        QCOMPARE(fx.frame->currentTip(), QStringLiteral("Main controller Firmware mis-match!"));
        QTest::mouseClick(fx.frame->pageButton(2), Qt::LeftButton);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QTest::mouseClick(fx.frame->pageButton(1), Qt::LeftButton);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        // The queue is switched off for this connection; the window stays
        // locked after the run has ended.
        QVERIFY(!fx.queue.isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 10000);
        QVERIFY(!qMainFrame::navigationAllowed());
    }

    void closingTheWindowReportsOneDisconnection_data()
    {
        QTest::addColumn<bool>("unplugFirst");
        QTest::newRow("connected") << false;
        QTest::newRow("device gone before") << true;
    }
    void closingTheWindowReportsOneDisconnection()
    {
        QFETCH(bool, unplugFirst);
        DevSimProcess sim(simArgs({}));
        QVERIFY2(sim.ok(), sim.log().constData());
        FrameFixture fx(orb::simpleDevIo());
        LinkEventCounter counter;
        orb::simpleDevIo().addListener(&counter);
        // The finder as start-up runs it: stopped before the link is shut down.
        SimLink finder(sim.port(), SimLink::KeepPort);
        QTRY_VERIFY_WITH_TIMEOUT(fx.connector.isConnected(), 10000);
        if (unplugFirst) {
            sim.stop();
            QTRY_COMPARE_WITH_TIMEOUT(counter.disconnects.load(), 1, 10000);
        }
        // What the program does at its end: the window closes, the finder
        // stops, the link is shut down.
        fx.frame->close();
        finder.stop();
        kzo::app::shutDownLink(orb::simpleDevIo(), {&counter, fx.frame.get(), &fx.queue, &fx.connector});
        QCOMPARE(counter.connects.load(), 1);
        QCOMPARE(counter.disconnects.load(), 1);
        QVERIFY(orb::simpleDevIo().connectedPort().empty());
    }
};

QTEST_MAIN(TestMainFrameDevSim)
#include "test_mainframe_devsim.moc"
