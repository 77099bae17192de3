// The main parameter page on a fake device: the requests on entry and while
// polling, every reply reaching its field, the two mode-record writes byte
// by byte, what the user's typing protects, the compare-with-device styles,
// the online-help link, and what a redraw costs.
#include "pages/MainPageRecords.h"
#include "pages/qMainPage.h"
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"
#include "support/RepaintCounter.h"
#include "widgets/WidgetShots.h"

#include "app/framework/qResources.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "protocol/GlobalDataCache.h"
#include "app/framework/PageContainers.h"
#include "widgets/KzoSpinBox.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstring>

using namespace kzo::test;
using namespace orb::cmdid;

namespace {

// The page on the fake device for a scope, taken off however the test ends.
class Plugged {
public:
    Plugged(FakeDevIo& io, qMainPage& page) : io(io), page(page)
    {
        io.addListener(&page);
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.clearWritten();
    }
    ~Plugged() { io.removeListener(&page); }
    Plugged(const Plugged&) = delete;
    Plugged& operator=(const Plugged&) = delete;

private:
    FakeDevIo& io;
    qMainPage& page;
};

std::vector<uint8_t> payloadOf(const WrittenFrame& f) { return {f.bytes.begin() + 30, f.bytes.end() - 4}; }

// Delivers a reply and waits until the page has drawn it.
void deliverShown(FakeDevIo& io, qMainPage& page, const std::vector<uint8_t>& record)
{
    io.deliver(record);
    QTRY_VERIFY(!page.isRefreshPending());
}

// Both mode records: JIT enabled with J = 1, 2, 3 and gains 100, 110, 120;
// FBL enabled with F = 2, 1, 0 and gains 130, 140, 150.
constexpr uint16_t jitMode = 0x8000 | 1 | (2 << 2) | (3 << 4);
constexpr uint16_t fblMode = 0x8000 | (2 << 2) | (1 << 4) | (0 << 6);

void deliverModeRecords(FakeDevIo& io, qMainPage& page)
{
    io.deliver(ackRecord(FcJitAck, jitData(jitMode, 100, 110, 120)));
    deliverShown(io, page, ackRecord(FcFblAck, fblData(fblMode, 130, 140, 150)));
}

std::vector<uint16_t> idsOf(const std::vector<WrittenFrame>& frames)
{
    std::vector<uint16_t> ids;
    for (const auto& f : frames)
        ids.push_back(f.id());
    return ids;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

} // namespace

class TestMainPage : public QObject {
    Q_OBJECT
    FakeDevIo io;

    // Every way the page writes; true when none of them sent a frame.
    bool noWriteGoesOut(qMainPage& page)
    {
        page.writeAll();
        page.WriteJIT();
        page.WriteFBLParameters();
        page.WriteGain();
        return io.written().empty();
    }

private slots:
    void entrySendsTheElevenRequestsInOrder()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        page.PageEnter();
        const auto frames = io.takeFrames();
        QCOMPARE(idsOf(frames), (std::vector<uint16_t>{0x0283, 0x0280, 0x021C, 0x0244, 0x0246, 0x0298, 0x020D, 0x0209,
                                                       0x029B, 0x0262, 0x024C}));
        for (const auto& f : frames) {
            QCOMPARE(f.size(), 35); // parameterless: one unused payload byte
            QCOMPARE(kzo::frame::recordLength(f.record()), uint16_t(31));
        }
        QVERIFY(page.polling());
        int pollTimers = 0;
        for (const QTimer* t : page.findChildren<QTimer*>())
            pollTimers += t->isActive() && t->interval() == qMainPage::pollMs;
        QCOMPARE(pollTimers, 1);
        page.PageLeave();
        QVERIFY(!page.polling());
    }

    // Shown through its container, the page is entered once and left with it.
    void theContainerEntersAndLeavesThePage()
    {
        qMainPageBase base;
        auto* page = new qMainPage();
        base.addTabPage(page);
        base.focusPage(0);
        const Plugged plugged(io, *page);
        base.PageEnter();
        QCOMPARE(io.writtenIds().size(), size_t(11));
        QVERIFY(page->polling());
        base.PageLeave();
        QVERIFY(!page->polling());
    }

    void pollReadsChannelsModesAndEveryTenthTheVoltage()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        for (int i = 0; i < 30; ++i)
            page.OnCaliRequest();
        const auto ids = idsOf(io.takeFrames());
        // Each poll: 0x021C, 0x0280, 0x0283, sometimes followed by 0x0244.
        std::vector<int> voltageAt;
        int poll = 0;
        for (size_t i = 0; i < ids.size();) {
            QCOMPARE(ids[i], uint16_t(0x021C));
            QCOMPARE(ids[i + 1], uint16_t(0x0280));
            QCOMPARE(ids[i + 2], uint16_t(0x0283));
            i += 3;
            if (i < ids.size() && ids[i] == 0x0244) {
                voltageAt.push_back(poll);
                ++i;
            }
            ++poll;
        }
        QCOMPARE(poll, 30);
        QCOMPARE(voltageAt.size(), size_t(3));
        QCOMPARE(voltageAt[1] - voltageAt[0], 10);
        QCOMPARE(voltageAt[2] - voltageAt[1], 10);
    }

    void theTimerPollsWhileEntered()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        page.PageEnter();
        io.clearWritten();
        auto polls = [&] {
            const auto ids = io.writtenIds();
            return std::count(ids.begin(), ids.end(), FcChannelsRead);
        };
        QTRY_VERIFY(polls() >= 2);
        page.PageLeave();
        io.clearWritten();
        QTest::qWait(3 * qMainPage::pollMs);
        QVERIFY(io.writtenIds().empty());
    }

    void repliesReachTheirFields()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        io.deliver(ackRecord(FcVoltageAck, voltageData(12340)));
        io.deliver(ackRecord(FcProtectionAck, protectionData(10500, 3, 9900, 1)));
        io.deliver(ackRecord(FcFailsafeAck, leading(23, {0, 1, 2})));
        io.deliver(ackRecord(FcSwitchAck, leading(40, {1, 0})));
        io.deliver(ackRecord(FcIdleSpeedAck, leading(8, {8})));
        io.deliver(ackRecord(FcReceiverAck, {2, 1}));
        io.deliver(ackRecord(FcMixerAck, leading(33, {18})));
        deliverShown(io, page, ackRecord(FcMountingAck, mountingData({0.12f, -0.035f, 0, 1.5f, 0, -0.2f}, 1)));
        QCOMPARE(ui.currentVoltage->text(), QStringLiteral("12.34 V"));
        QCOMPARE(ui.protectionSwitch->text(), QStringLiteral("ON"));
        QCOMPARE(ui.batteryType->text(), QStringLiteral("3S LiPo"));
        QCOMPARE(ui.firstLevel->text(), QStringLiteral("10.50V"));
        QCOMPARE(ui.secondLevel->text(), QStringLiteral("9.90V"));
        QCOMPARE(ui.failsafeMethod->text(), QStringLiteral("Go-Home and Landing"));
        QCOMPARE(ui.goHomeSwitch->text(), QStringLiteral("ON"));
        QCOMPARE(ui.gimbalSwitch->text(), QStringLiteral("ON"));
        QCOMPARE(ui.idleSpeed->text(), QStringLiteral("Recommended"));
        QCOMPARE(ui.receiverType->text(), QStringLiteral("D-Bus"));
        QCOMPARE(ui.cutOffType->text(), QStringLiteral("Intelligent"));
        QCOMPARE(ui.mixerType->text(), QStringLiteral("Octo-rotor X"));
        QVERIFY(!ui.mixerPicture->pixmap().isNull());
        QCOMPARE(ui.imuOrientation->text(), QStringLiteral("Right"));
        QCOMPARE(ui.imuLocation[0]->text(), QStringLiteral("12cm"));
        QCOMPARE(ui.imuLocation[1]->text(), QStringLiteral("-3.5cm"));
        QCOMPARE(ui.gpsLocation[0]->text(), QStringLiteral("150cm"));
        QCOMPARE(ui.gpsLocation[2]->text(), QStringLiteral("-20cm"));

        // Mixer 3 is no mixer; an idle level outside the table keeps the text.
        io.deliver(ackRecord(FcMixerAck, leading(33, {3})));
        io.deliver(ackRecord(FcIdleSpeedAck, leading(8, {5})));
        io.deliver(ackRecord(FcSwitchAck, leading(40, {0, 0})));
        deliverShown(io, page, ackRecord(FcFailsafeAck, leading(23, {0, 0, 4})));
        QCOMPARE(ui.mixerType->text(), QStringLiteral("NONE"));
        QVERIFY(ui.mixerPicture->pixmap().isNull());
        QCOMPARE(ui.idleSpeed->text(), QStringLiteral("Recommended"));
        QCOMPARE(ui.gimbalSwitch->text(), QStringLiteral("OFF"));
        QCOMPARE(ui.failsafeMethod->text(), QStringLiteral("Landing"));
        QCOMPARE(ui.goHomeSwitch->text(), QStringLiteral("OFF"));
    }

    void batteryVoltageThreshold()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverShown(io, page, ackRecord(FcVoltageAck, voltageData(3999)));
        QCOMPARE(ui.currentVoltage->text(), QStringLiteral("DISCONNECTED"));
        deliverShown(io, page, ackRecord(FcVoltageAck, voltageData(4000)));
        QCOMPARE(ui.currentVoltage->text(), QStringLiteral("4.00 V"));
        deliverShown(io, page, ackRecord(FcVoltageAck, voltageData(4560)));
        QCOMPARE(ui.currentVoltage->text(), QStringLiteral("4.56 V"));
    }

    void channelMonitor()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverShown(io, page,
                     ackRecord(FcChannelsAck, channelEntries({{1, 1500}, {2, -300}, {8, -1200}, {9, 77}, {0, 66},
                                                              {3, 999}, {65535, 55}})));
        QCOMPARE(ui.channelSliders[0]->value(), 1500);
        QCOMPARE(ui.channelValues[0]->text(), QStringLiteral("1000"));
        QCOMPARE(ui.channelSliders[1]->value(), -300);
        QCOMPARE(ui.channelValues[1]->text(), QStringLiteral("-300"));
        QCOMPARE(ui.channelSliders[2]->value(), 999);
        QCOMPARE(ui.channelSliders[7]->value(), -1200);
        QCOMPARE(ui.channelValues[7]->text(), QStringLiteral("-1000"));
        // Numbers outside 1..8 move nothing.
        for (int i : {3, 4, 5, 6}) {
            QCOMPARE(ui.channelSliders[i]->value(), 0);
            QCOMPARE(ui.channelValues[i]->text(), QStringLiteral("0"));
        }
    }

    void wrongLengthRepliesAreLoggedAndIgnored()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverShown(io, page, ackRecord(FcVoltageAck, voltageData(12000)));
        LogCapture log;
        io.deliver(ackRecord(FcVoltageAck, {0x10, 0x27, 0, 0}, 1));
        io.deliver(ackRecord(FcMixerAck, leading(32, {1})));
        io.deliver(ackRecord(FcJitAck, jitData(jitMode, 1, 2, 3), -1));
        QVERIFY(!page.isRefreshPending());
        QCOMPARE(ui.currentVoltage->text(), QStringLiteral("12.00 V"));
        QCOMPARE(ui.mixerType->text(), QStringLiteral("--"));
        QVERIFY(!page.data().lastJit());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:36,desire Len:35 ,ID = 0x0245"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:63,desire Len:64 ,ID = 0x020a"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:44,desire Len:45 ,ID = 0x0284"), log.bytes().constData());
    }

    void modeRecordsFillTheGroups()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        // Nothing to edit before the device has told what it holds.
        for (QComboBox* c : ui.jitBoxes)
            QVERIFY(!c->isEnabled());
        for (KzoSpinBox* s : ui.gainBoxes())
            QVERIFY(!s->isEnabled());
        deliverModeRecords(io, page);
        QCOMPARE(ui.jitBoxes[0]->currentIndex(), 1);
        QCOMPARE(ui.jitBoxes[1]->currentIndex(), 2);
        QCOMPARE(ui.jitBoxes[2]->currentIndex(), 3);
        QCOMPARE(ui.fblBoxes[0]->currentIndex(), 2);
        QCOMPARE(ui.fblBoxes[1]->currentIndex(), 1);
        QCOMPARE(ui.fblBoxes[2]->currentIndex(), 0);
        const auto gains = ui.gainBoxes();
        const std::array<int, 6> values = {100, 110, 120, 130, 140, 150};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(gains[i]->value(), values[i]);
            QVERIFY(gains[i]->isEnabled());
            // Equal to the device: value style 1.
            QCOMPARE(gains[i]->styleSheet(), qResources::get().valueStyle(1));
        }
        // Bit 15 clear disables that group only.
        deliverShown(io, page, ackRecord(FcFblAck, fblData(fblMode & 0x7FFF, 130, 140, 150)));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(ui.jitBoxes[i]->isEnabled());
            QVERIFY(gains[i]->isEnabled());
            QVERIFY(!ui.fblBoxes[i]->isEnabled());
            QVERIFY(!gains[3 + i]->isEnabled());
        }
    }

    // Typing in a gain keeps the device's replies off it until it is
    // written; the style tells whether it differs from the device.
    void typingProtectsAGainUntilWritten()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        page.PageEnter();
        const auto& ui = page.widgets();
        deliverModeRecords(io, page);
        QVERIFY(page.acceptsDevice(qMainPage::RollGain));
        ui.rollGain->selectAll();
        QTest::keyClicks(ui.rollGain, "77");
        QVERIFY(!page.acceptsDevice(qMainPage::RollGain));
        QVERIFY(page.acceptsDevice(qMainPage::PitchGain));
        QCOMPARE(ui.rollGain->value(), 77);
        QCOMPARE(ui.rollGain->styleSheet(), qResources::get().valueStyle(0));
        QCOMPARE(ui.pitchGain->styleSheet(), qResources::get().valueStyle(1));

        // Polled replies move the other gains but not the typed one.
        deliverShown(io, page, ackRecord(FcJitAck, jitData(jitMode, 101, 111, 121)));
        QCOMPARE(ui.pitchGain->value(), 101);
        QCOMPARE(ui.rollGain->value(), 77);
        QCOMPARE(ui.verticalGain->value(), 121);

        // Enter writes both records; the typed gain follows the device again.
        io.clearWritten();
        QTest::keyClick(ui.rollGain, Qt::Key_Return);
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
        QVERIFY(page.acceptsDevice(qMainPage::RollGain));
        deliverShown(io, page, ackRecord(FcJitAck, jitData(jitMode, 101, 77, 121)));
        QCOMPARE(ui.rollGain->styleSheet(), qResources::get().valueStyle(1));
        deliverShown(io, page, ackRecord(FcJitAck, jitData(jitMode, 101, 78, 121)));
        QCOMPARE(ui.rollGain->value(), 78);

        // A wheel step counts as typing too; entering the page again lets
        // the device back in.
        QTest::keyClicks(ui.elevFbGain, "9");
        QVERIFY(!page.acceptsDevice(qMainPage::ElevFbGain));
        page.PageLeave();
        page.PageEnter();
        QVERIFY(page.acceptsDevice(qMainPage::ElevFbGain));
        page.PageLeave();
    }

    void writeAllFramesByteByByte()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        // The device's FBL record carries bytes the page does not name.
        io.deliver(ackRecord(FcJitAck, jitData(0xFFFF, 100, 110, 120)));
        deliverShown(io, page, ackRecord(FcFblAck, fblData(0xFFFF, 130, 140, 150)));
        ui.jitBoxes[0]->setCurrentIndex(2);
        ui.jitBoxes[1]->setCurrentIndex(0);
        ui.jitBoxes[2]->setCurrentIndex(1);
        ui.fblBoxes[0]->setCurrentIndex(1);
        ui.fblBoxes[1]->setCurrentIndex(3);
        ui.fblBoxes[2]->setCurrentIndex(2);
        const auto gains = ui.gainBoxes();
        for (int i = 0; i < 6; ++i)
            gains[i]->setValue(1000 + i);
        io.clearWritten();
        page.writeAll();
        const auto frames = io.takeFrames();
        QCOMPARE(idsOf(frames), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));

        QCOMPARE(frames[0].size(), 48);
        QCOMPARE(kzo::frame::recordLength(frames[0].record()), uint16_t(44));
        QCOMPARE(payloadOf(frames[0]), jitData(2 | (0 << 2) | (1 << 4), 1000, 1001, 1002));

        QCOMPARE(frames[1].size(), 69);
        QCOMPARE(kzo::frame::recordLength(frames[1].record()), uint16_t(65));
        std::vector<uint8_t> fbl = fblData((1 << 2) | (3 << 4) | (2 << 6), 1003, 1004, 1005);
        QCOMPARE(payloadOf(frames[1]), fbl);
        // Spelled out: bytes 2-6 and 19-34 are the device's own.
        for (int i : {2, 3, 4, 5, 6, 19, 20, 27, 34})
            QCOMPARE(payloadOf(frames[1])[i], uint8_t(0x40 + i));
        QCOMPARE(payloadOf(frames[1])[1], uint8_t(0)); // bit 15 and the bits above F3 are zero
    }

    void singleWritesAndGainEdits()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        deliverModeRecords(io, page);
        page.WriteJIT();
        QCOMPARE(idsOf(io.takeFrames()), std::vector<uint16_t>{FcJitWrite});
        page.WriteFBLParameters();
        QCOMPARE(idsOf(io.takeFrames()), std::vector<uint16_t>{FcFblWrite});
        page.WriteGain();
        QCOMPARE(idsOf(io.takeFrames()), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
    }

    void nothingIsWrittenBeforeBothRecords()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        QVERIFY(noWriteGoesOut(page));

        // Only the JIT record: its group can be edited, still nothing goes.
        deliverShown(io, page, ackRecord(FcJitAck, jitData(jitMode, 100, 110, 120)));
        QVERIFY(ui.jitBoxes[0]->isEnabled());
        ui.jitBoxes[0]->setCurrentIndex(3);
        emit ui.jitBoxes[0]->activated(3);
        QTest::keyClick(ui.pitchGain, Qt::Key_Return);
        QVERIFY(noWriteGoesOut(page));

        // With the FBL record as well, the same selection goes out.
        deliverShown(io, page, ackRecord(FcFblAck, fblData(fblMode, 130, 140, 150)));
        emit ui.jitBoxes[0]->activated(3);
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
    }

    void reselectingTheDevicesValueSendsNothing()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverModeRecords(io, page);
        // The device holds J = 1, 2, 3 and F = 2, 1, 0.
        for (int i = 0; i < 3; ++i) {
            emit ui.jitBoxes[i]->activated(i + 1);
            emit ui.fblBoxes[i]->activated(2 - i);
        }
        QVERIFY(io.written().empty());
        // J3 may hold the value of J1 without that being a re-select.
        ui.jitBoxes[2]->setCurrentIndex(1);
        emit ui.jitBoxes[2]->activated(1);
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
        io.clearWritten();
        ui.fblBoxes[1]->setCurrentIndex(3);
        emit ui.fblBoxes[1]->activated(3);
        const auto frames = io.takeFrames();
        QCOMPARE(idsOf(frames), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
        QCOMPARE(kzo::frame::readU16(frames[1].payload()), uint16_t((2 << 2) | (3 << 4) | (0 << 6)));
    }

    void aLostLinkForgetsTheRecords()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverModeRecords(io, page);
        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(!ui.jitBoxes[0]->isEnabled());
        QVERIFY(!ui.pitchGain->isEnabled());
        QVERIFY(!ui.fblBoxes[0]->isEnabled());
        QVERIFY(noWriteGoesOut(page));
        // The next device's records make it writable again.
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        deliverModeRecords(io, page);
        QVERIFY(ui.jitBoxes[0]->isEnabled());
        page.writeAll();
        QCOMPARE(io.writtenIds(), (std::vector<uint16_t>{FcJitWrite, FcFblWrite}));
    }

    void writingLetsTheDeviceBackIn()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        deliverModeRecords(io, page);
        for (KzoSpinBox* s : ui.gainBoxes())
            QTest::keyClicks(s, "1");
        for (int g = 0; g < 6; ++g)
            QVERIFY(!page.acceptsDevice(qMainPage::Gain(g)));
        page.WriteJIT();
        for (int g = 0; g < 3; ++g)
            QVERIFY(page.acceptsDevice(qMainPage::Gain(g)));
        for (int g = 3; g < 6; ++g)
            QVERIFY(!page.acceptsDevice(qMainPage::Gain(g)));
        page.WriteFBLParameters();
        for (int g = 3; g < 6; ++g)
            QVERIFY(page.acceptsDevice(qMainPage::Gain(g)));
    }

    void onlineHelpLink()
    {
        qMainPage page;
        page.show();
        const auto& ui = page.widgets();
        QVERIFY(!ui.onlineHelp->isVisible());
        appModel().setValue("online_help_main_url", QStringLiteral("https://help.example/main?a=1&b=<2>"));
        page.onGetAddressResult(1); // the server did not answer: nothing changes
        QVERIFY(!ui.onlineHelp->isVisible());
        page.onGetAddressResult(0);
        QVERIFY(ui.onlineHelp->isVisible());
        QVERIFY(ui.onlineHelp->text().contains(QStringLiteral("OnLine Help")));
        QVERIFY(ui.onlineHelp->text().contains(QStringLiteral("href=\"https://help.example/main?a=1&amp;b=&lt;2&gt;\"")));
        QVERIFY(!ui.onlineHelp->text().contains(QStringLiteral("<2>")));
        appModel().setValue("online_help_main_url", QString());
        page.onGetAddressResult(0);
        QVERIFY(!ui.onlineHelp->isVisible());
    }

    // Only web links leave the program, through the desktop's browser.
    void onlineHelpOpensWebLinksOnly()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        qMainPage page;
        QLabel* link = page.widgets().onlineHelp;
        emit link->linkActivated(QStringLiteral("https://help.example/main"));
        emit link->linkActivated(QStringLiteral("file:///etc/passwd"));
        emit link->linkActivated(QStringLiteral("javascript:alert(1)"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://help.example/main"))});
    }

    // The page keeps its records to itself: the shared cache block that the
    // window reads as the flight status is not overwritten by the receiver reply.
    void sharedCacheIsLeftAlone()
    {
        qMainPage page;
        const Plugged plugged(io, page);
        const auto before = orb::dataCache().blocks;
        deliverShown(io, page, ackRecord(FcReceiverAck, {2, 1}));
        QCOMPARE(page.widgets().receiverType->text(), QStringLiteral("D-Bus"));
        QVERIFY(std::memcmp(&before, &orb::dataCache().blocks, sizeof before) == 0);
    }

    void everyControlHasAName()
    {
        qMainPage page;
        for (QAbstractSpinBox* s : page.findChildren<QAbstractSpinBox*>())
            QVERIFY2(!s->accessibleName().isEmpty(), qPrintable(s->objectName()));
        for (QComboBox* c : page.findChildren<QComboBox*>())
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
        for (QSlider* s : page.findChildren<QSlider*>())
            QVERIFY2(!s->accessibleName().isEmpty(), qPrintable(s->objectName()));
        QVERIFY(!page.widgets().onlineHelp->accessibleName().isEmpty());
        QTabBar* bar = page.widgets().tabs->tabBar();
        QCOMPARE(bar->tabText(0), QStringLiteral("Basic"));
        QCOMPARE(bar->tabText(1), QStringLiteral("Advanced"));
        QCOMPARE(page.whatsThis(), QStringLiteral("view"));
    }

    // Polled replies that carry what is shown already cost no repaint and
    // no layout anywhere in the page; a change repaints only its widget.
    void unchangedRepliesRepaintNothing()
    {
        qMainPage page;
        page.resize(850, 560);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        auto pollReplies = [&](int ch1) {
            io.deliver(ackRecord(FcChannelsAck, channelEntries({{1, ch1}, {2, -300}, {3, 0}, {4, 700}, {5, 100},
                                                                {6, 999}, {7, -300}, {8, 12}, {9, 5}, {0, 0}})));
            io.deliver(ackRecord(FcJitAck, jitData(jitMode, 100, 110, 120)));
            io.deliver(ackRecord(FcFblAck, fblData(fblMode, 130, 140, 150)));
            io.deliver(ackRecord(FcVoltageAck, voltageData(12000)));
            io.deliver(ackRecord(FcMixerAck, leading(33, {2})));
            deliverShown(io, page, ackRecord(FcSwitchAck, leading(40, {1})));
        };
        pollReplies(-1000);
        QTest::qWait(50);

        {
            const RepaintCounter counter(page);
            for (int i = 0; i < 5; ++i)
                pollReplies(-1000);
            QTest::qWait(50);
            QCOMPARE(counter.layouts, 0);
            for (QWidget* w : page.findChildren<QWidget*>())
                QVERIFY2(counter.paintsOf(w) == 0, qPrintable(w->objectName() + " " + w->metaObject()->className()));
            QCOMPARE(counter.paintsOf(&page), 0);
        }
        const RepaintCounter counter(page);
        pollReplies(-900);
        QTRY_VERIFY(counter.paintsOf(ui.channelSliders[0]) > 0);
        QTest::qWait(50);
        QCOMPARE(counter.layouts, 0);
        QCOMPARE(counter.paintsOf(ui.channelSliders[1]), 0);
        QCOMPARE(counter.paintsOf(ui.currentVoltage), 0);
        QCOMPARE(counter.paintsOf(ui.pitchGain), 0);
    }

    void renderedPage()
    {
        qMainPage page;
        page.resize(850, 560);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const Plugged plugged(io, page);
        const auto& ui = page.widgets();
        saveShot(page, QStringLiteral("main_page_empty"));
        io.deliver(ackRecord(FcVoltageAck, voltageData(11870)));
        io.deliver(ackRecord(FcProtectionAck, protectionData(10500, 3, 9900, 1)));
        io.deliver(ackRecord(FcFailsafeAck, leading(23, {0, 1, 1})));
        io.deliver(ackRecord(FcSwitchAck, leading(40, {1, 0})));
        io.deliver(ackRecord(FcIdleSpeedAck, leading(8, {8})));
        io.deliver(ackRecord(FcReceiverAck, {2, 1}));
        io.deliver(ackRecord(FcMixerAck, leading(33, {2})));
        io.deliver(ackRecord(FcMountingAck, mountingData({0.12f, -0.035f, 0, 1.234567f, 0, -0.2f}, 2)));
        io.deliver(ackRecord(FcChannelsAck, channelEntries({{1, -1000}, {2, -400}, {3, 0}, {4, 700}, {5, 1500},
                                                            {6, 999}, {7, -300}, {8, 12}})));
        deliverModeRecords(io, page);
        QTest::keyClicks(ui.rollGain, "5");
        QTest::qWait(50);
        QVERIFY(saveShot(page, QStringLiteral("main_page_basic")));
        // Long texts fit their fields.
        for (QLabel* l : {ui.failsafeMethod, ui.mixerType, ui.currentVoltage, ui.imuLocation[0], ui.gpsLocation[0]})
            QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                     qPrintable(l->objectName() + ": " + l->text()));
        ui.tabs->setCurrentIndex(1);
        QTest::qWait(50);
        QVERIFY(saveShot(page, QStringLiteral("main_page_advanced")));
    }

    // In its container at the window's size, as --all-pages shows it.
    void renderedInItsContainer()
    {
        qMainPageBase base;
        auto* page = new qMainPage();
        base.addTabPage(page);
        base.focusPage(0);
        base.resize(850, 600);
        base.show();
        QVERIFY(QTest::qWaitForWindowExposed(&base));
        const Plugged plugged(io, *page);
        deliverModeRecords(io, *page);
        deliverShown(io, *page, ackRecord(FcMixerAck, leading(33, {1})));
        QTest::qWait(50);
        QVERIFY(saveShot(base, QStringLiteral("main_page_in_container")));
        // Nothing of the page is cut off at the bottom or the right.
        const QRect area = page->rect();
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisible())
                continue;
            const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
            QVERIFY2(area.contains(r), qPrintable(w->objectName() + QLatin1Char(' ') + w->metaObject()->className()));
        }
    }
};

QTEST_MAIN(TestMainPage)
#include "test_main_page.moc"
