// The gimbal page as a widget: device replies reach the sliders, labels and
// spin boxes through the page framework's queued refresh; Write sends what
// changed; entering the page polls the channels while a device is linked;
// losing the link shows that no live data are left and sends nothing.
#include "pages/AckRecords.h"
#include "pages/TerminalLog.h"
#include "widgets/WidgetShots.h"
#include "support/FakeDevIo.h"
#include "pages/qPageGimbal.h"

#include "app/config/GlobalCfg.h"
#include "support/LogCapture.h"
#include "support/RepaintCounter.h"
#include "commands/CommandCatalogue.h"
#include "widgets/qStatusSlider.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>


using kzo::test::ackRecord;
using kzo::test::channelData;
using kzo::test::FakeDevIo;
using namespace orb::cmdid;

namespace {

// Payload bytes of a written 42-byte record frame.
std::vector<uint8_t> recordPayload(const std::vector<uint8_t>& frame)
{
    if (frame.size() != 42)
        return {};
    return {frame.begin() + 30, frame.begin() + 38};
}

std::vector<uint16_t> idsOf(FakeDevIo& io, uint16_t only)
{
    std::vector<uint16_t> out;
    for (uint16_t id : io.writtenIds())
        if (id == only)
            out.push_back(id);
    return out;
}

// The page on the fake device with the device plugged in, taken off again
// however the test ends, so no later event reaches a destroyed page.
class Plugged {
public:
    Plugged(FakeDevIo& io, qPageGimbal& page) : io(io), page(page)
    {
        io.addListener(&page);
        io.onCommDeviceArrival(L"/dev/ttyACM0");
    }
    ~Plugged() { io.removeListener(&page); }
    Plugged(const Plugged&) = delete;
    Plugged& operator=(const Plugged&) = delete;

private:
    FakeDevIo& io;
    qPageGimbal& page;
};

// Every write box holds its own number, 1 to 16.
void fillWriteBoxes(const kzo::pages::GimbalPageUi& ui)
{
    for (int i = 0; i < 16; ++i)
        ui.writeBoxes[i]->setValue(i + 1);
}

// Every channel shows "no live data": an empty value "--" and a greyed monitor.
bool showsNoLiveData(const qPageGimbal& page)
{
    const auto& ui = page.widgets();
    if (ui.groupBox_3->isEnabled() || ui.groupBox_4->isEnabled())
        return false;
    for (int i = 0; i < 8; ++i)
        if (ui.values[i]->text() != QLatin1String("--") || ui.sliders[i]->isEnabled())
            return false;
    return true;
}

} // namespace

class TestGimbalPage : public QObject {
    Q_OBJECT
    FakeDevIo io;

private slots:
    void channelsReachSlidersAndLabels()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        const auto rec = ackRecord(GimbalChannelsAck, channelData({-1000, -400, 0, 700, 1001, 999, -300, 12}));
        io.deliver(rec);
        QVERIFY(page.isRefreshPending());
        const auto& ui = page.widgets();
        QTRY_COMPARE(ui.values[0]->text(), QStringLiteral("-1000"));
        QCOMPARE(ui.sliders[0]->value(), -1000);
        QCOMPARE(ui.values[1]->text(), QStringLiteral("-400"));
        QCOMPARE(ui.sliders[3]->value(), 700);
        QCOMPARE(ui.sliders[3]->currentSegment(), 4); // "H.Trace"
        QCOMPARE(ui.values[4]->text(), QStringLiteral("Disc."));
        QCOMPARE(ui.sliders[4]->value(), ui.sliders[4]->maximum());
        QCOMPARE(ui.values[5]->text(), QStringLiteral("999"));
        QCOMPARE(ui.values[7]->text(), QStringLiteral("12"));
        QCOMPARE(ui.sliders[6]->currentSegment(), 0); // "DOWNWARD" ends at -300 inclusive
        QVERIFY(ui.groupBox_3->isEnabled());
        QVERIFY(ui.sliders[0]->isEnabled());
    }

    // A new frame repaints the bars and numbers that changed and nothing
    // else: no layout pass anywhere in the page, no repaint of a still bar.
    void aChannelFrameRepaintsOnlyWhatChanged()
    {
        qPageGimbal page;
        page.resize(620, 560);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        io.deliver(ackRecord(GimbalChannelsAck, channelData({-1000, -400, 0, 700, 100, 999, -300, 12})));
        QTRY_COMPARE(ui.values[0]->text(), QStringLiteral("-1000"));
        QCoreApplication::processEvents();

        const kzo::test::RepaintCounter counter(page);
        // Only the first channel moves.
        io.deliver(ackRecord(GimbalChannelsAck, channelData({-900, -400, 0, 700, 100, 999, -300, 12})));
        QTRY_COMPARE(ui.values[0]->text(), QStringLiteral("-900"));
        QTRY_VERIFY(counter.paintsOf(ui.sliders[0]) > 0);
        QCoreApplication::processEvents();
        QCOMPARE(counter.layouts, 0);
        for (int i = 1; i < 8; ++i) {
            QCOMPARE(counter.paintsOf(ui.sliders[i]), 0);
            QCOMPARE(counter.paintsOf(ui.values[i]), 0);
        }
    }

    void valuesOutsideTheSliderRangeKeepTheirNumber()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        io.deliver(ackRecord(GimbalChannelsAck, channelData({1500, -32768, 1000, -1000, 1002, 32767, -1001, 1001})));
        const auto& ui = page.widgets();
        // The label shows what the device sent; the marker stops at the end
        // of the -1000..1000 bar.
        QTRY_COMPARE(ui.values[0]->text(), QStringLiteral("1500"));
        QCOMPARE(ui.sliders[0]->value(), 1000);
        QCOMPARE(ui.values[1]->text(), QStringLiteral("-32768"));
        QCOMPARE(ui.sliders[1]->value(), -1000);
        QCOMPARE(ui.sliders[2]->value(), 1000);
        QCOMPARE(ui.sliders[3]->value(), -1000);
        QCOMPARE(ui.sliders[3]->currentSegment(), 0); // "H.Free"
        QCOMPARE(ui.values[4]->text(), QStringLiteral("1002"));
        QCOMPARE(ui.sliders[4]->value(), 1000);
        QCOMPARE(ui.sliders[5]->value(), 1000);
        QCOMPARE(ui.sliders[5]->currentSegment(), 2); // "ON"
        QCOMPARE(ui.values[6]->text(), QStringLiteral("-1001"));
        QCOMPARE(ui.sliders[6]->value(), -1000);
        QCOMPARE(ui.values[7]->text(), QStringLiteral("Disc."));
        QCOMPARE(ui.sliders[7]->value(), 1000);
    }

    void noLiveDataBeforeADeviceIsLinked()
    {
        qPageGimbal page;
        io.addListener(&page);
        io.clearWritten();
        QVERIFY(showsNoLiveData(page));
        page.PageEnter();
        QVERIFY(!page.polling());
        page.loadchannels();
        page.broadcastHook1();
        QVERIFY(io.written().empty());
        // The device arrives while the page is shown: polling starts by itself.
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        QTRY_VERIFY(page.polling());
        QTRY_VERIFY(!idsOf(io, GimbalChannelsRead).empty());
        // Still nothing to show until the first values arrive.
        QVERIFY(showsNoLiveData(page));
        io.deliver(ackRecord(GimbalChannelsAck, channelData({5, 6, 7, 8, 9, 10, 11, 12})));
        QTRY_COMPARE(page.widgets().values[0]->text(), QStringLiteral("5"));
        QVERIFY(page.widgets().groupBox_3->isEnabled());
        QVERIFY(page.widgets().groupBox_4->isEnabled());
        page.PageLeave();
        io.removeListener(&page);
    }

    void unplugShowsNoLiveDataAndStopsPolling()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        page.PageEnter();
        QTRY_VERIFY(!idsOf(io, GimbalChannelsRead).empty());
        io.deliver(ackRecord(GimbalChannelsAck, channelData({-400, 300, 0, 700, 1001, 999, -300, 12})));
        const auto& ui = page.widgets();
        QTRY_COMPARE(ui.values[0]->text(), QStringLiteral("-400"));
        QVERIFY(!showsNoLiveData(page));

        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(showsNoLiveData(page));
        QVERIFY(!page.polling());
        // A poll that was already due when the link went away sends nothing,
        // nor do the other requests.
        io.clearWritten();
        page.loadchannels();
        page.broadcastHook1();
        page.onReadBtnClicked();
        page.on_RB_ON_clicked();
        QVERIFY(io.written().empty());

        // Re-plugged while the page is still shown: polling resumes by itself
        // and the values come back with the first reply.
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        QTRY_VERIFY(page.polling());
        QTRY_VERIFY(!idsOf(io, GimbalChannelsRead).empty());
        QVERIFY(showsNoLiveData(page));
        io.deliver(ackRecord(GimbalChannelsAck, channelData({1, 2, 3, 4, 5, 6, 7, 8})));
        QTRY_COMPARE(ui.values[7]->text(), QStringLiteral("8"));
        QVERIFY(!showsNoLiveData(page));
        page.PageLeave();
    }

    void noLiveDataLooksGreyed()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        page.resize(700, 420);
        page.show();
        const auto& ui = page.widgets();
        io.deliver(ackRecord(GimbalChannelsAck, channelData({-400, 300, 0, 700, 1001, 999, -300, 12})));
        QTRY_COMPARE(ui.values[3]->text(), QStringLiteral("700"));
        // MODE's "H.Free" zone at the bar's left end is in the zone colour.
        QImage mode = ui.sliders[3]->grab().toImage();
        QCOMPARE(QColor(mode.pixel(2, 2)), QColor(11, 163, 212));
        kzo::test::saveShot(page, QStringLiteral("gimbal_live"));

        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(showsNoLiveData(page));
        mode = ui.sliders[3]->grab().toImage();
        const QColor grey(mode.pixel(2, 2));
        QVERIFY2(grey.red() == grey.green() && grey.green() == grey.blue(), qPrintable(grey.name()));
        // No marker is left on the bar: its middle row holds only zone greys,
        // and the place where 700 was drawn looks like the rest of its zone.
        const int y = mode.height() / 2;
        for (int x = 0; x < mode.width(); ++x) {
            const QColor c(mode.pixel(x, y));
            if (c.red() != c.green() || c.green() != c.blue()) {
                // Only the white zone labels may differ from grey; they are white.
                QCOMPARE(c, QColor(Qt::white));
            }
        }
        QVERIFY(ui.values[3]->palette().color(QPalette::Disabled, QPalette::WindowText)
                != ui.values[3]->palette().color(QPalette::Active, QPalette::WindowText));
        kzo::test::saveShot(page, QStringLiteral("gimbal_no_live_data"));
    }

    void replugWhileLeftDoesNotPoll()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        page.PageEnter();
        QVERIFY(page.polling());
        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(!page.polling());
        page.PageLeave();
        QTRY_VERIFY(!page.widgets().pushReadButton->isEnabled());
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        // Once the arrival has reached the widgets, the page is still not polling.
        QTRY_VERIFY(page.widgets().pushReadButton->isEnabled());
        QVERIFY(!page.polling());
        page.PageEnter();
        QVERIFY(page.polling());
        page.PageLeave();
    }

    void unplugDropsTheHeldBackSecondWrite()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        auto& ui = page.widgets();
        fillWriteBoxes(ui);
        io.clearWritten();
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        QVERIFY(page.data().secondWritePending());

        // Unplugged before record 1 was acknowledged; another device is
        // plugged in and answers a read of record 1.
        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QVERIFY(!page.data().secondWritePending());
        io.onCommDeviceArrival(L"/dev/ttyACM1");
        io.clearWritten();
        io.deliver(ackRecord(GimbalRecord1Ack, {9, 9, 9, 9, 9, 9, 9, 9}));
        QCOMPARE(io.writtenIds(), std::vector<uint16_t>{});
        QTRY_COMPARE(ui.readBoxes[3]->value(), 9); // the reply itself is shown
        QCOMPARE(idsOf(io, GimbalRecord2Write).size(), size_t(0));
        QVERIFY(!page.retrying());

        // What went to the old device is forgotten: the same Write goes again.
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        QCOMPARE(recordPayload(io.written()[0]), (std::vector<uint8_t>{4, 1, 2, 3, 5, 6, 7, 8}));
    }

    void unplugStopsResendsOfTheSecondRecord()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        auto& ui = page.widgets();
        fillWriteBoxes(ui);
        page.onWriteBtnClicked();
        io.deliver(ackRecord(GimbalRecord1Ack, {4, 1, 2, 3, 5, 6, 7, 8}));
        QTRY_VERIFY(page.retrying());
        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(!page.retrying());
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.clearWritten();
        // A re-send that was due when the link went away goes nowhere.
        page.WriteDataHandler();
        QCOMPARE(idsOf(io, GimbalRecord2Write).size(), size_t(0));
        QVERIFY(!page.retrying());
    }

    void wrongLengthRepliesLeaveTheRecordsAlone()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        io.deliver(ackRecord(GimbalRecord1Ack, {10, 11, 12, 13, 14, 15, 16, 17}));
        io.deliver(ackRecord(GimbalRecord2Ack, {20, 21, 22, 23, 24, 25, 26, 27}));
        io.deliver(ackRecord(CameraStateAck, {1, 0, 0, 0}));
        QTRY_COMPARE(ui.readBoxes[3]->value(), 10);
        QCOMPARE(ui.readBoxes[11]->value(), 20);
        QVERIFY(ui.RB_ON->isChecked());

        kzo::test::LogCapture log;
        io.deliver(ackRecord(GimbalRecord1Ack, {90, 91, 92, 93, 94, 95, 96, 97}, 1));
        io.deliver(ackRecord(GimbalRecord2Ack, {80, 81, 82, 83, 84, 85, 86}));
        io.deliver(ackRecord(CameraStateAck, {0, 0, 0, 0, 0}));
        // Nothing was taken in, so no refresh is even queued.
        QVERIFY(!page.isRefreshPending());
        QCOMPARE(ui.readBoxes[3]->value(), 10);
        QCOMPARE(ui.readBoxes[7]->value(), 17);
        QCOMPARE(ui.readBoxes[11]->value(), 20);
        QCOMPARE(ui.readBoxes[15]->value(), 27);
        QVERIFY(ui.RB_ON->isChecked());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:40,desire Len:39 ,ID = 0x02a1"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:38,desire Len:39 ,ID = 0x02a6"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:36,desire Len:35 ,ID = 0x1252"), log.bytes().constData());
    }

    void wrongLengthLinesAreErrors()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        kzo::test::TerminalLog terminal;
        QVERIFY(terminal.isOpen());
        // Level 3 lines are printed in the error colour, bright red.
        const QByteArray red = kzo::log::ansiColour(3);
        io.deliver(ackRecord(GimbalRecord1Ack, {1, 2, 3, 4, 5, 6, 7}));
        io.deliver(ackRecord(GimbalRecord2Ack, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
        io.deliver(ackRecord(CameraStateAck, {1, 0, 0}));
        const QByteArray out = terminal.readUntil("ID = 0x1252");
        QVERIFY2(out.contains(red + "[Protocol @"), out.constData());
        for (const char* line : {"] Ack Len:38,desire Len:39 ,ID = 0x02a1", "] Ack Len:40,desire Len:39 ,ID = 0x02a6",
                                 "] Ack Len:34,desire Len:35 ,ID = 0x1252"}) {
            const qsizetype at = out.indexOf(line);
            QVERIFY2(at > 0, line);
            const qsizetype head = out.lastIndexOf("[Protocol @", at);
            QVERIFY2(head >= red.size() && out.mid(head - red.size(), red.size()) == red, out.constData());
        }
    }

    void burstGivesOneRefresh()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        for (int i = 0; i < 50; ++i)
            io.deliver(ackRecord(GimbalChannelsAck, channelData({int16_t(i), 0, 0, 0, 0, 0, 0, 0})));
        QTRY_VERIFY(!page.isRefreshPending());
        // The refresh shows the last values.
        QCOMPARE(page.widgets().values[0]->text(), QStringLiteral("49"));
    }

    void recordsAndCameraState()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        kzo::test::LogCapture log;
        io.deliver(ackRecord(GimbalRecord1Ack, {10, 11, 12, 13, 14, 15, 16, 17}));
        io.deliver(ackRecord(GimbalRecord2Ack, {20, 21, 22, 23, 24, 25, 26, 27}));
        io.deliver(ackRecord(CameraStateAck, {1, 0, 0, 0}));
        const auto& ui = page.widgets();
        // Record 1 byte order: spinBox_4, 1, 2, 3, 5, 6, 7, 8.
        QTRY_COMPARE(ui.readBoxes[3]->value(), 10);
        QCOMPARE(ui.readBoxes[0]->value(), 11);
        QCOMPARE(ui.readBoxes[2]->value(), 13);
        QCOMPARE(ui.readBoxes[7]->value(), 17);
        // Record 2: spinBox_12, 9, 10, 11, 13, ...
        QCOMPARE(ui.readBoxes[11]->value(), 20);
        QCOMPARE(ui.readBoxes[8]->value(), 21);
        QCOMPARE(ui.readBoxes[15]->value(), 27);
        QVERIFY(ui.RB_ON->isChecked());
        QVERIFY2(log.bytes().contains("] camera_state.state = 1\n"), log.bytes().constData());
        QVERIFY(log.bytes().contains("[GIMBAL   @"));
        io.deliver(ackRecord(CameraStateAck, {2, 0, 0, 0}));
        QTRY_VERIFY(ui.RB_OFF->isChecked());
    }

    void enteringPollsChannels()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        io.clearWritten();
        page.PageEnter();
        page.PageEnter(); // a second enter does not add a second timer
        QVERIFY(page.polling());
        QTRY_VERIFY(idsOf(io, GimbalChannelsRead).size() >= 3);
        for (const auto& f : io.written())
            QCOMPARE(f.size(), size_t(35)); // parameterless: one unused payload byte
        int pollTimers = 0;
        for (const QTimer* t : page.findChildren<QTimer*>())
            pollTimers += t->isActive() && t->interval() == qPageGimbal::channelPollMs;
        QCOMPARE(pollTimers, 1);
        page.PageLeave();
        QVERIFY(!page.polling());
    }

    void writeTwiceWithoutChangeSendsNothing()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        io.clearWritten();
        auto& ui = page.widgets();
        ui.writeBoxes[3]->setValue(7); // record 1, byte 0
        page.onWriteBtnClicked();
        // Record 2 was never written and its boxes hold 0, not 'Z': both go.
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        QCOMPARE(recordPayload(io.written()[0]), (std::vector<uint8_t>{7, 0, 0, 0, 0, 0, 0, 0}));
        QVERIFY(page.data().secondWritePending());
        io.clearWritten();
        page.onWriteBtnClicked();
        QVERIFY(io.written().empty());
    }

    void twoRecordWrite()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        io.clearWritten();
        auto& ui = page.widgets();
        fillWriteBoxes(ui);
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        // Record 1 from spinBox_w4, w1, w2, w3, w5..w8.
        QCOMPARE(recordPayload(io.written()[0]), (std::vector<uint8_t>{4, 1, 2, 3, 5, 6, 7, 8}));

        io.deliver(ackRecord(GimbalRecord1Ack, {4, 1, 2, 3, 5, 6, 7, 8}));
        // Record 2 from spinBox_w12, w9, w10, w11, w13..w16, sent on the
        // acknowledgement and re-sent three times by the retry timer.
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write, GimbalRecord2Write}));
        QCOMPARE(recordPayload(io.written()[1]), (std::vector<uint8_t>{12, 9, 10, 11, 13, 14, 15, 16}));
        QTRY_VERIFY(page.retrying());
        // The timer stops by itself after the third re-send.
        QTRY_VERIFY_WITH_TIMEOUT(!page.retrying(), 5000);
        QCOMPARE(idsOf(io, GimbalRecord2Write).size(), size_t(4));
        for (const auto& f : io.written())
            if (kzo::frame::readU16(f.data() + 9) == GimbalRecord2Write)
                QCOMPARE(recordPayload(f), (std::vector<uint8_t>{12, 9, 10, 11, 13, 14, 15, 16}));

        // The written records were reset to 'Z', so the same Write goes again.
        QCOMPARE(page.data().written1(), kzo::pages::blankRecord);
        io.clearWritten();
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
    }

    void broadcastAndButtons()
    {
        qPageGimbal page;
        const Plugged plugged(io, page);
        io.clearWritten();
        page.broadcastHook1();
        page.onReadBtnClicked();
        page.on_RB_ON_clicked();
        page.on_RB_OFF_clicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{0x02A2, 0x02A7, 0x02A3, 0x1253, 0x02A2, 0x02A7, 0x1250, 0x1251}));
    }

    void debugGroupsHiddenInThisBuild()
    {
        qPageGimbal page;
        page.show();
        const auto& ui = page.widgets();
        QCOMPARE(ui.groupBox_1->isVisible(), debugMode);
        QCOMPARE(ui.groupBox_5->isVisible(), debugMode);
        QCOMPARE(ui.pushWriteButton->isVisible(), debugMode);
        QVERIFY(ui.groupBox_3->isVisible());
        QVERIFY(ui.groupBox_4->isVisible());
        QCOMPARE(ui.channelNames[7]->text(), QStringLiteral("channel8"));
    }
};

QTEST_MAIN(TestGimbalPage)
#include "test_gimbal_page.moc"
