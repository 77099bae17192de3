// The calibration page on a fake device: the status reports of the range
// record and the rotating calibration become texts, buttons and help topics;
// the buttons send their commands; the tip falls back to "--" after silence;
// a connection resets the view, and neither a lost device nor a rotation that
// never reports leaves it stuck.
#include "pages/AckRecords.h"
#include "pages/qTxCali.h"
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"
#include "widgets/WidgetShots.h"

#include "app/framework/qPageTemplate.h"
#include "commands/CommandCatalogue.h"
#include "commands/qConnector.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

using kzo::test::ackRecord;
using kzo::test::FakeDevIo;
using namespace orb::cmdid;

namespace {

const char* const rangeTexts[] = {
    "The Tilt record is finished",
    "The gimbal is not tilting up enough.",
    "Tilting up is recorded,now please tilt down.",
    "The gimbal is not tilting down enough",
    "Pitching down record OK, now pitching up",
    "The Roll record is finished",
    "The gimbal is not rolling left enough.",
    "Rolling left is recorded, now please roll to the \nright side.",
    "The gimbal is not rolling right enough.",
    "Rolling right record OK, now rolling left",
};

// The page in a container with a help view, on a fake device with the
// connection manager listening, taken off the device however the test ends.
struct Bench {
    FakeDevIo io;
    qConnector connector;
    qPageTemplate container{nullptr, 240, false, 19};
    qTxCali* page = new qTxCali;
    const kzo::pages::TxCaliUi& ui = page->widgets();

    Bench()
    {
        io.addListener(&connector);
        container.addTabPage(page);
        io.addListener(page);
    }
    ~Bench()
    {
        io.removeListener(page);
        io.removeListener(&connector);
    }
    // Link up and the first status report: the connection manager reports the connection.
    void connectDevice()
    {
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.deliverId(StatusReport, {0, 0, 0, 0});
    }
    void report(uint8_t procedure, uint8_t code)
    {
        io.deliver(ackRecord(GimbalCalibStatus, {procedure, code, 0, 0, 0, 0, 0, 0}));
        QTRY_VERIFY(!page->isRefreshPending());
    }
    void timeouts(int n)
    {
        for (int i = 0; i < n; ++i)
            page->onTimeout();
    }
    // The topic last put into the help view (a help page or the missing-page text).
    QString helpShown() const { return container.shownHelpUrl().toString() + container.shownHelpHtml(); }
    bool helpShows(const char* topic) const { return helpShown().endsWith(QLatin1String(topic) + ".html"); }
};

// Everything a person sees of the page, for comparing two states.
QStringList looks(const qTxCali& page)
{
    const auto& ui = page.widgets();
    const bool tip = ui.label_RangeTip->isVisibleTo(&page);
    QStringList out{ui.label_message->text(), ui.calibration_help->whatsThis(), ui.range_record->whatsThis(),
                    tip ? ui.label_RangeTip->text() : QString(), QString::number(tip),
                    QString::number(ui.range_record->isEnabled())};
    for (QPushButton* b : {ui.pushButton, ui.pushButton_1, ui.pushButton_2, ui.pushButton_3, ui.pushButton_4})
        out << b->text() + (b->isEnabled() ? "+" : "-") + (b->isVisibleTo(&page) ? "v" : "h");
    return out;
}

// Only "Start Rec" to press; the rotating calibration ready to start.
bool atStart(const qTxCali& page)
{
    const qTxCali fresh;
    return looks(page) == looks(fresh);
}

} // namespace

class TestTxCali : public QObject {
    Q_OBJECT
private slots:
    void startStateAndCommands()
    {
        Bench b;
        QCOMPARE(b.page->title(), QStringLiteral("Calibration"));
        QCOMPARE(b.ui.calibration_help->title(), QStringLiteral("Rotating Calibration"));
        QCOMPARE(b.ui.range_record->title(), QStringLiteral("Range Record"));
        QCOMPARE(looks(*b.page), (QStringList{"--", "calibration_help", "range_record", "", "0", "1", "Start Cali+v",
                                           "Tilt up+h", "Tilt down+h", "Start Rec+v", "Roll right+h"}));
        b.io.clearWritten();
        for (QPushButton* button : {b.ui.pushButton_1, b.ui.pushButton_2, b.ui.pushButton_3, b.ui.pushButton_4, b.ui.pushButton})
            button->click();
        QCOMPARE(b.io.writtenIds(), (std::vector<uint16_t>{0x02D0, 0x02D2, 0x02D4, 0x02D6, 0x02A8}));
        for (const auto& f : b.io.written())
            QCOMPARE(f.size(), size_t(35)); // parameterless
        QCOMPARE(b.ui.pushButton_3->accessibleName(), QStringLiteral("Start Rec"));
    }

    // Start, roll left and right until 105, tilt up and down until 100.
    void rangeRecordWalk()
    {
        Bench b;
        b.ui.pushButton_3->click(); // "Start Rec": the next range topic is shown at once
        b.report(16, 99);
        QCOMPARE(looks(*b.page).mid(2), (QStringList{"roll_help", "--", "1", "1", "Start Cali+v", "Tilt up-v", "Tilt down-v",
                                                  "Roll left+v", "Roll right+v"}));
        QVERIFY2(b.helpShows("roll_help"), qPrintable(b.helpShown()));
        for (uint8_t code : {106, 107, 108, 109}) {
            b.report(16, code);
            QCOMPARE(b.ui.label_RangeTip->text(), QString::fromLatin1(rangeTexts[code - 100]));
        }
        b.report(16, 105);
        QCOMPARE(looks(*b.page).mid(2), (QStringList{"pitch_help", rangeTexts[5], "1", "1", "Start Cali+v", "Tilt up+v",
                                                  "Tilt down+v", "Roll left-v", "Roll right-v"}));
        QVERIFY(b.helpShows("pitch_help")); // shown without a press
        for (uint8_t code : {101, 102, 103, 104}) {
            b.report(16, code);
            QCOMPARE(b.ui.label_RangeTip->text(), QString::fromLatin1(rangeTexts[code - 100]));
        }
        b.report(16, 100);
        QCOMPARE(looks(*b.page).mid(2), (QStringList{"finish_help", rangeTexts[0], "1", "1", "Start Cali+v", "Tilt up-v",
                                                  "Tilt down-v", "Roll left-v", "Roll right-v"}));
        QVERIFY(b.helpShows("pitch_help")); // the finish topic waits for the mouse
    }

    void edgeCases()
    {
        Bench b;
        b.report(16, 99);
        QVERIFY(!b.ui.pushButton_1->isEnabled() && !b.ui.pushButton_2->isEnabled());
        QVERIFY(!b.helpShows("roll_help")); // nobody pressed "Start Rec" here
        b.report(16, 107);
        QCOMPARE(b.ui.label_RangeTip->text(), QString::fromLatin1(rangeTexts[7])); // keeps its line break
        const QStringList before = looks(*b.page);
        for (uint8_t code : {110, 98, 0, 255})
            b.report(16, code);
        b.report(18, 1);
        QCOMPARE(looks(*b.page), before);
        // After the roll, a repeated start leaves the tilt buttons enabled.
        b.report(16, 105);
        b.report(16, 99);
        QVERIFY(b.ui.pushButton_1->isEnabled() && b.ui.pushButton_2->isEnabled());
        QCOMPARE(b.ui.range_record->whatsThis(), QStringLiteral("pitch_help"));
    }

    // A reconnection forgets the recording at once, so the delayed reset two
    // seconds later always brings back "Start Rec".
    void reconnectionReturnsToStartRec()
    {
        Bench b;
        b.page->onConnectionChanged(true);
        b.page->onConnDelayHandle();
        b.report(16, 99);
        b.report(16, 106);
        b.page->onConnDelayHandle(); // while recording: nothing changes
        QCOMPARE(b.ui.pushButton_3->text(), QStringLiteral("Roll left"));
        b.page->onConnectionChanged(true);
        QVERIFY(!b.ui.label_RangeTip->isVisibleTo(b.page));
        QVERIFY(b.page->resetPending());
        QCOMPARE(b.ui.pushButton_3->text(), QStringLiteral("Roll left"));
        QTRY_COMPARE_WITH_TIMEOUT(b.ui.pushButton_3->text(), QStringLiteral("Start Rec"), qTxCali::connDelayMs + 3000);
        QVERIFY(atStart(*b.page));
    }

    void silenceShowsDashesOnThe101stTimeout()
    {
        Bench b;
        b.report(16, 99);
        b.report(16, 102);
        b.timeouts(100);
        QCOMPARE(b.ui.label_RangeTip->text(), QString::fromLatin1(rangeTexts[2]));
        b.timeouts(1);
        QCOMPARE(b.ui.label_RangeTip->text(), QStringLiteral("--"));
        // The 100 ms timer runs while the page is entered.
        b.container.PageEnter();
        QVERIFY(b.page->ticking());
        b.container.PageLeave();
        QVERIFY(!b.page->ticking());
    }

    void rotatingCalibration()
    {
        Bench b;
        b.ui.pushButton->click();
        b.report(17, 1);
        QCOMPARE(b.ui.label_message->text(),
                 QStringLiteral("Fix the gimbal on aircraft,place the aircraft on a very flat surface,then rotate the aircraft "
                                "around its center axis 2 circles."));
        QCOMPARE(looks(*b.page).mid(1, 6).join('|'), QStringLiteral("start_rotate_help|range_record||0|0|Start Rotate-v"));
        QVERIFY(b.helpShows("start_rotate_help"));
        b.report(17, 2);
        QCOMPARE(b.ui.label_message->text(), QStringLiteral("Calibration is finished,click the button to save data."));
        QCOMPARE(looks(*b.page).mid(1, 6).join('|'), QStringLiteral("save_data_help|range_record||0|0|Data Save+v"));
        QVERIFY(b.helpShows("start_rotate_help"));
        b.ui.pushButton->click();
        b.report(17, 3);
        QCOMPARE(b.ui.label_message->text(), QStringLiteral("Data saved,please disassemble fixtures then repower the gimbal."));
        QCOMPARE(looks(*b.page).mid(1, 6).join('|'), QStringLiteral("save_finish_help|range_record||0|0|Finished-v"));
        QVERIFY(b.helpShows("save_finish_help"));
        b.report(17, 4);
        QCOMPARE(b.ui.pushButton->text(), QStringLiteral("Finished"));
    }

    void wrongLengthIsLoggedAndIgnored()
    {
        Bench b;
        kzo::test::LogCapture log;
        const QStringList before = looks(*b.page);
        b.io.deliver(ackRecord(GimbalCalibStatus, {17, 1, 0, 0, 0, 0, 0, 0, 0}));
        b.io.deliver(ackRecord(GimbalCalibStatus, {16, 99, 0, 0, 0, 0, 0}));
        QTRY_VERIFY(!b.page->isRefreshPending());
        QCOMPARE(looks(*b.page), before);
        QVERIFY2(log.hasLine("Protocol", "Ack Len:40,desire Len:39 ,ID = 0x02a9"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:38,desire Len:39 ,ID = 0x02a9"), log.bytes().constData());
    }

    // A device pulled out in the middle of either procedure leaves nothing
    // disabled behind.
    void lossReturnsToStartState()
    {
        Bench b;
        b.connectDevice();
        b.page->onConnDelayHandle();
        b.report(16, 99);
        b.report(16, 105);
        b.io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QVERIFY(atStart(*b.page));
        QVERIFY(!b.page->resetPending());

        b.connectDevice();
        b.page->onConnDelayHandle();
        b.report(17, 1);
        QVERIFY(!b.ui.pushButton->isEnabled());
        b.io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QVERIFY(atStart(*b.page));
    }

    // A rotation that never reports its end gives the page back after the
    // limit; every "rotating" report starts the count again.
    void silentRotationStartsOver()
    {
        Bench b;
        b.report(17, 1);
        b.timeouts(kzo::pages::CaliFlow::rotateSilenceLimit - 1);
        b.report(17, 1);
        b.timeouts(kzo::pages::CaliFlow::rotateSilenceLimit - 1);
        QCOMPARE(b.ui.pushButton->text(), QStringLiteral("Start Rotate"));
        QVERIFY(!b.ui.range_record->isEnabled());
        b.timeouts(1);
        QVERIFY(atStart(*b.page));
        // A finished rotation waiting to be saved is not timed out.
        b.report(17, 2);
        b.timeouts(kzo::pages::CaliFlow::rotateSilenceLimit + 1);
        QCOMPARE(b.ui.pushButton->text(), QStringLiteral("Data Save"));
    }

    // Reports written on another thread while the page draws them: the last one is shown.
    void reportsFromAnotherThread()
    {
        Bench b;
        std::atomic<bool> done{false};
        std::thread device([&] {
            for (int i = 0; i < 3000; ++i)
                b.io.deliver(ackRecord(GimbalCalibStatus, {16, static_cast<uint8_t>(101 + i % 4), 0, 0, 0, 0, 0, 0}));
            b.io.deliver(ackRecord(GimbalCalibStatus, {16, 106, 0, 0, 0, 0, 0, 0}));
            done = true;
        });
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, 60000);
        device.join();
        QVERIFY(finished);
        QTRY_COMPARE(b.ui.label_RangeTip->text(), QString::fromLatin1(rangeTexts[6]));
    }

    void rendersTwoStates()
    {
        Bench b;
        b.container.resize(900, 520);
        b.container.show();
        b.ui.pushButton_3->click();
        b.report(16, 99);
        b.report(16, 107);
        QVERIFY(kzo::test::saveShot(*b.page, QStringLiteral("calibration_range_record")));
        b.report(17, 2);
        QVERIFY(kzo::test::saveShot(*b.page, QStringLiteral("calibration_data_save")));
    }
};

QTEST_MAIN(TestTxCali)
#include "test_tx_cali.moc"
