// The gimbal page as a widget: device replies reach the sliders, labels and
// spin boxes through the page framework's queued refresh; Write sends what
// changed; entering the page polls the channels.
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"
#include "pages/qPageGimbal.h"

#include "app/config/GlobalCfg.h"
#include "support/LogCapture.h"
#include "commands/CommandCatalogue.h"
#include "widgets/qStatusSlider.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

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

} // namespace

class TestGimbalPage : public QObject {
    Q_OBJECT
    FakeDevIo io;

private slots:
    void channelsReachSlidersAndLabels()
    {
        qPageGimbal page;
        io.addListener(&page);
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
        io.removeListener(&page);
    }

    void burstGivesOneRefresh()
    {
        qPageGimbal page;
        io.addListener(&page);
        for (int i = 0; i < 50; ++i)
            io.deliver(ackRecord(GimbalChannelsAck, channelData({int16_t(i), 0, 0, 0, 0, 0, 0, 0})));
        QTRY_VERIFY(!page.isRefreshPending());
        // The refresh shows the last values.
        QCOMPARE(page.widgets().values[0]->text(), QStringLiteral("49"));
        io.removeListener(&page);
    }

    void recordsAndCameraState()
    {
        qPageGimbal page;
        io.addListener(&page);
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
        io.removeListener(&page);
    }

    void enteringPollsChannels()
    {
        qPageGimbal page;
        io.addListener(&page);
        io.clearWritten();
        page.PageEnter();
        page.PageEnter(); // a second enter does not add a second timer
        QVERIFY(page.polling());
        QTRY_VERIFY(idsOf(io, GimbalChannelsRead).size() >= 3);
        for (const auto& f : io.written())
            QCOMPARE(f.size(), size_t(35)); // parameterless: one unused payload byte
        page.PageLeave();
        QVERIFY(!page.polling());
        const size_t n = idsOf(io, GimbalChannelsRead).size();
        QTest::qWait(3 * qPageGimbal::channelPollMs);
        QCOMPARE(idsOf(io, GimbalChannelsRead).size(), n);
        io.removeListener(&page);
    }

    void writeTwiceWithoutChangeSendsNothing()
    {
        qPageGimbal page;
        io.addListener(&page);
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
        io.removeListener(&page);
    }

    void twoRecordWrite()
    {
        qPageGimbal page;
        io.addListener(&page);
        io.clearWritten();
        auto& ui = page.widgets();
        for (int i = 0; i < 16; ++i)
            ui.writeBoxes[i]->setValue(i + 1);
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        // Record 1 from spinBox_w4, w1, w2, w3, w5..w8.
        QCOMPARE(recordPayload(io.written()[0]), (std::vector<uint8_t>{4, 1, 2, 3, 5, 6, 7, 8}));

        io.deliver(ackRecord(GimbalRecord1Ack, {4, 1, 2, 3, 5, 6, 7, 8}));
        // Record 2 from spinBox_w12, w9, w10, w11, w13..w16, sent on the
        // acknowledgement and re-sent three times by the retry timer.
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write, GimbalRecord2Write}));
        QCOMPARE(recordPayload(io.written()[1]), (std::vector<uint8_t>{12, 9, 10, 11, 13, 14, 15, 16}));
        QTRY_COMPARE_WITH_TIMEOUT(idsOf(io, GimbalRecord2Write).size(), size_t(4), 5000);
        QTest::qWait(3 * qPageGimbal::retryMs);
        QCOMPARE(idsOf(io, GimbalRecord2Write).size(), size_t(4));
        for (const auto& f : io.written())
            if (kzo::frame::readU16(f.data() + 9) == GimbalRecord2Write)
                QCOMPARE(recordPayload(f), (std::vector<uint8_t>{12, 9, 10, 11, 13, 14, 15, 16}));

        // The written records were reset to 'Z', so the same Write goes again.
        QCOMPARE(page.data().written1(), kzo::pages::blankRecord);
        io.clearWritten();
        page.onWriteBtnClicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{GimbalRecord1Write}));
        io.removeListener(&page);
    }

    void broadcastAndButtons()
    {
        qPageGimbal page;
        io.addListener(&page);
        io.clearWritten();
        page.broadcastHook1();
        page.onReadBtnClicked();
        page.on_RB_ON_clicked();
        page.on_RB_OFF_clicked();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{0x02A2, 0x02A7, 0x02A3, 0x1253, 0x02A2, 0x02A7, 0x1250, 0x1251}));
        io.removeListener(&page);
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
