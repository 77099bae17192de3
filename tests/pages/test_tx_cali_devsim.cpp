// The calibration page against the device simulator over a pty: the whole
// range record and a rotating calibration driven by the page's buttons; the
// tip's fall-back after silence, a rotation that never ends, a wrong-length
// report, and a device pulled out in the middle.
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "pages/qTxCali.h"
#include "support/LogCapture.h"

#include "commands/qConnector.h"
#include "link/SimpleDevIo.h"
#include "protocol/FrameCodec.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;

namespace {

// The connection manager and the page listening on the serial device I/O for
// a scope, so a failed check never leaves a destroyed listener behind.
struct Rig {
    qConnector connector;
    qTxCali page;
    const kzo::pages::TxCaliUi& ui = page.widgets();
    Rig()
    {
        orb::simpleDevIo().addListener(&connector);
        orb::simpleDevIo().addListener(&page);
    }
    ~Rig()
    {
        orb::simpleDevIo().removeListener(&page);
        orb::simpleDevIo().removeListener(&connector);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;
};

bool atStart(const qTxCali& page)
{
    const auto& ui = page.widgets();
    return ui.pushButton->text() == QLatin1String("Start Cali") && ui.pushButton->isEnabled()
        && ui.label_message->text() == QLatin1String("--") && ui.range_record->isEnabled()
        && ui.pushButton_3->text() == QLatin1String("Start Rec") && ui.pushButton_3->isEnabled()
        && !ui.pushButton_1->isVisibleTo(&page) && !ui.pushButton_4->isVisibleTo(&page)
        && !ui.label_RangeTip->isVisibleTo(&page);
}

} // namespace

class TestTxCaliDevSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        kzo::test::talkLikeTheProgram();
    }

    void rangeRecordAndRotation()
    {
        DevSimProcess sim({"--rotation-time", "0.5"});
        QVERIFY2(sim.ok(), sim.log().constData());
        Rig rig;
        const auto& ui = rig.ui;
        SimLink link(sim.port());
        QTRY_VERIFY_WITH_TIMEOUT(rig.connector.isConnected(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.page.resetPending(), 5000);
        QVERIFY(atStart(rig.page));

        ui.pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton_3->text(), QStringLiteral("Roll left"), 5000);
        QVERIFY(!ui.pushButton_1->isEnabled());
        const std::vector<std::pair<QPushButton*, QString>> walk{
            {ui.pushButton_3, "The gimbal is not rolling left enough."},
            {ui.pushButton_3, "Rolling left is recorded, now please roll to the \nright side."},
            {ui.pushButton_4, "The gimbal is not rolling right enough."},
            {ui.pushButton_4, "Rolling right record OK, now rolling left"},
            {ui.pushButton_3, "The Roll record is finished"},
            {ui.pushButton_1, "The gimbal is not tilting up enough."},
            {ui.pushButton_1, "Tilting up is recorded,now please tilt down."},
            {ui.pushButton_2, "The gimbal is not tilting down enough"},
            {ui.pushButton_2, "Pitching down record OK, now pitching up"},
            {ui.pushButton_1, "The Tilt record is finished"},
        };
        for (const auto& [button, tip] : walk) {
            QVERIFY2(button->isEnabled() && button->isVisibleTo(&rig.page), qPrintable(button->text()));
            button->click();
            QTRY_COMPARE_WITH_TIMEOUT(ui.label_RangeTip->text(), tip, 5000);
        }
        for (QPushButton* b : ui.rangeButtons())
            QVERIFY(!b->isEnabled());

        ui.pushButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton->text(), QStringLiteral("Start Rotate"), 5000);
        QVERIFY(!ui.pushButton->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton->text(), QStringLiteral("Data Save"), 5000);
        ui.pushButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton->text(), QStringLiteral("Finished"), 5000);
        QCOMPARE(ui.label_message->text(), QStringLiteral("Data saved,please disassemble fixtures then repower the gimbal."));
    }

    void silenceWrongLengthAndLoss()
    {
        kzo::test::LogCapture log;
        DevSimProcess sim({"--rotation-time", "never", "--calibration-report", "17,3,0.2,40"});
        QVERIFY2(sim.ok(), sim.log().constData());
        Rig rig;
        const auto& ui = rig.ui;
        SimLink link(sim.port());
        QTRY_VERIFY_WITH_TIMEOUT(rig.connector.isConnected(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Protocol", "Ack Len:40,desire Len:39 ,ID = 0x02a9"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.page.resetPending(), 5000);
        QVERIFY(atStart(rig.page)); // the wrong-length report changed nothing

        // Silence after a range report: "--" on the 101st timeout.
        ui.pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton_3->text(), QStringLiteral("Roll left"), 5000);
        ui.pushButton_3->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.label_RangeTip->text(), QStringLiteral("The gimbal is not rolling left enough."), 5000);
        for (int i = 0; i < 100; ++i)
            rig.page.onTimeout();
        QVERIFY(ui.label_RangeTip->text() != QLatin1String("--"));
        rig.page.onTimeout();
        QCOMPARE(ui.label_RangeTip->text(), QStringLiteral("--"));

        // A rotation that never ends gives the page back.
        ui.pushButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton->text(), QStringLiteral("Start Rotate"), 5000);
        for (int i = 0; i < kzo::pages::CaliFlow::rotateSilenceLimit; ++i)
            rig.page.onTimeout();
        QVERIFY(atStart(rig.page));

        // Started again, then the device is pulled out.
        ui.pushButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(ui.pushButton->text(), QStringLiteral("Start Rotate"), 5000);
        sim.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!SimLink::open(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(atStart(rig.page), 5000);
    }
};

QTEST_MAIN(TestTxCaliDevSim)
#include "test_tx_cali_devsim.moc"
