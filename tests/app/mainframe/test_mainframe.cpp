// The main window's coordination on an in-process device: navigation lock,
// login-gated firmware queries, the read-all sequence, version replies, the
// firmware check and a main controller in its boot loader.
#include "app/mainframe/FrameFixture.h"
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include "app/config/GlobalCfg.h"
#include "support/LogCapture.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "widgets/qPageButton.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using kzo::test::ackRecord;
using kzo::test::FakeDevIo;
using kzo::test::FrameFixture;
using kzo::test::payloadRecord;
using kzo::test::words;
using namespace orb::cmdid;

namespace {

// The device's version reply: IMU hwid, IMU firmware, main controller, IMU loader.
std::vector<uint8_t> versionReply(uint32_t mcWord)
{
    return ackRecord(VersionsAck, words({305419896u, 0x01000005u, mcWord, 0x01000001u}));
}

void clickButton(qMainFrame& f, int index) { QTest::mouseClick(f.pageButton(index), Qt::LeftButton); }

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
    FakeDevIo io;

    // Link up and the device's answers up to its first status report.
    void connectDevice(uint8_t status, bool handshakeAnswered = true)
    {
        io.dispatch(EvConnected, nullptr);
        if (handshakeAnswered)
            io.deliver(payloadRecord(HandshakeAck, {1, 0}));
        io.deliver(payloadRecord(StatusReport, {status}));
    }

private slots:
    void initTestCase() { currentDevIo = &io; }

    void init()
    {
        io.clearWritten();
        qMainFrame::setNavigationAllowed(true);
        appModel().setStatus(AppIdle);
        appModel().setNavigationBusy(0);
        for (const char* k : {"fw_mc", "fw_imu", "hwid_imu", "loader_imu", "fw_cmu", "loader_cmu"})
            appModel().setValue(k, QString());
    }

    void windowLayout()
    {
        FrameFixture fx(io);
        QCOMPARE(fx.frame->pageCount(), 3);
        QCOMPARE(fx.frame->pageButton(0)->caption(), QStringLiteral("Basic"));
        QCOMPARE(fx.frame->pageButton(1)->caption(), QStringLiteral("Upgrade"));
        QCOMPARE(fx.frame->pageButton(2)->caption(), QStringLiteral("Info"));
        QCOMPARE(fx.frame->size(), QSize(878, 753));
        QVERIFY(fx.frame->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(fx.frame->pageButton(0)->isChecked());
        QVERIFY(fx.frame->page(0)->isVisible());
        QVERIFY(!fx.frame->page(1)->isVisible());
        // All buttons fit in one view: both scroll buttons stay disabled.
        for (const char* name : {"pageScrollUp", "pageScrollDown"})
            QVERIFY(!fx.frame->findChild<QPushButton*>(name)->isEnabled());
        // The language menu lists config.xml's entries.
        QCOMPARE(fx.frame->languageMenuWidget()->actions().size(), 2);
    }

    void navigationLockLeavesUpgradeOpen()
    {
        FrameFixture fx(io);
        QSignalSpy refused(fx.frame.get(), &qMainFrame::s_navigator_disabled);
        clickButton(*fx.frame, 2);
        QCOMPARE(fx.frame->currentPageIndex(), 2);
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
        QCOMPARE(refused.count(), 0);

        qMainFrame::setNavigationAllowed(false);
        clickButton(*fx.frame, 2);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
        QCOMPARE(refused.count(), 1);
        clickButton(*fx.frame, 1);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QVERIFY(fx.frame->page(1)->isEntered());
        QVERIFY(!fx.frame->page(0)->isEntered());

        // The restore-defaults lock refuses even the upgrade page.
        qMainFrame::setNavigationAllowed(true);
        appModel().setNavigationBusy(1);
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QCOMPARE(refused.count(), 2);
        appModel().setNavigationBusy(0);
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
    }

    void focusPagePastTheEnd()
    {
        FrameFixture fx(io);
        fx.frame->focusPage(3);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
        fx.frame->focusPage(-1);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
        QVERIFY(fx.frame->pageButton(0)->isChecked());
        fx.frame->focusPage(2);
        QCOMPARE(fx.frame->currentPageIndex(), 2);
        QVERIFY(!fx.frame->pageButton(0)->isChecked());
        QVERIFY(fx.frame->pageButton(2)->isChecked());
    }

    void firmwareQueriesWaitForLogin()
    {
        FrameFixture fx(io);
        bool logged = false;
        std::vector<int> asked;
        fx.frame->setLoggedInTest([&] { return logged; });
        fx.frame->setFirmwareRequester([&](int m) { asked.push_back(m); });
        fx.frame->onCheckFirmUpdates(0x100);
        fx.frame->onCheckFirmUpdates(0x020 | 0x001);
        fx.frame->onCheckFirmUpdates(0x040 | 0x002);
        fx.frame->onCheckFirmUpdates(0x001); // twice the same bit: once
        QVERIFY(asked.empty());

        logged = true;
        kzo::test::LogCapture log;
        fx.frame->onLoginOK(1);
        // Bit order: MC, IMU, LED, GPS, PMU, GLONASS, receiver, NV08C, CMU.
        QCOMPARE(asked, (std::vector<int>{1, 2, 11, 9, 12}));
        QVERIFY(log.bytes().contains("onLogin OK: 355\n"));
        fx.frame->onLoginOK(1);
        QCOMPARE(asked.size(), size_t(5));

        // Logged in: sent at once; the argument-less form asks for IMU and CMU.
        fx.frame->onCheckFirmUpdates();
        QCOMPARE(asked, (std::vector<int>{1, 2, 11, 9, 12, 2, 12}));
    }

    void readAllAndVersions()
    {
        FrameFixture fx(io);
        QSignalSpy checks(fx.frame.get(), &qMainFrame::fwVersionCheck);
        connectDevice(0x00);
        QVERIFY(fx.connector.isConnected());
        QCOMPARE(fx.connector.loaderDevice(), 0);
        QTRY_COMPARE(appModel().status(), int(AppLoadingAll));
        // Handshake and status request, then the first command of the read-all.
        QTRY_VERIFY(io.writtenIds().size() >= 3);
        QCOMPARE(io.writtenIds()[2], ReadVersions);
        QCOMPARE(io.written()[2].size(), size_t(35));

        io.deliver(versionReply(0x03000002u));
        QCOMPARE(appModel().value("fw_mc"), QStringLiteral("3.2"));
        QCOMPARE(appModel().value("fw_imu"), QStringLiteral("1.5"));
        QCOMPARE(appModel().value("loader_imu"), QStringLiteral("1.1"));
        QCOMPARE(appModel().value("hwid_imu"), QStringLiteral("305419896"));
        io.deliver(ackRecord(CmuVersionAck, words({0x02000001u, 0x01000000u})));
        QCOMPARE(appModel().value("fw_cmu"), QStringLiteral("2.1"));
        QCOMPARE(appModel().value("loader_cmu"), QStringLiteral("1.0"));
        for (uint16_t ack : {GimbalRecord1Ack, GimbalRecord2Ack})
            io.deliver(ackRecord(ack, {0, 0, 0, 0, 0, 0, 0, 0}));
        io.deliver(ackRecord(CameraStateAck, {0, 0, 0, 0}));
        QTRY_COMPARE(appModel().status(), int(AppIdle));
        // The five requests, in order.
        const auto ids = io.writtenIds();
        QCOMPARE(std::vector<uint16_t>(ids.begin() + 2, ids.begin() + 7),
                 (std::vector<uint16_t>{0x02C0, 0x1244, 0x02A2, 0x02A7, 0x1253}));

        // The check runs once per connection, with a matching firmware.
        QTRY_COMPARE(checks.count(), 1);
        QCOMPARE(checks.at(0).at(0).toInt(), 0);
        io.deliver(versionReply(0x03000002u));
        QTest::qWait(50);
        QCOMPARE(checks.count(), 1);
        QVERIFY(qMainFrame::navigationAllowed());
        QCOMPARE(fx.frame->currentPageIndex(), 0);
        io.dispatch(EvDisconnected, nullptr);
    }

    void mismatchedFirmwareLocksNavigation()
    {
        FrameFixture fx(io);
        connectDevice(0x00);
        QTRY_COMPARE(appModel().status(), int(AppLoadingAll));
        // Version word byte 2 is the firmware's minor number: 1 is newer.
        io.deliver(versionReply(0x03010002u));
        if constexpr (debugMode) {
            // The debug build only stops the queue and keeps every page open.
            QTRY_VERIFY(!fx.queue.isEnabled());
            QCOMPARE(fx.frame->currentPageIndex(), 0);
            QVERIFY(qMainFrame::navigationAllowed());
            QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 5000);
            io.dispatch(EvDisconnected, nullptr);
            return;
        }
        QTRY_COMPARE(fx.frame->currentPageIndex(), 1);
        QVERIFY(!qMainFrame::navigationAllowed());
        QVERIFY(!fx.queue.isEnabled());
        QCOMPARE(fx.frame->currentTip(), QStringLiteral("Main controller Firmware mis-match!"));
        QSignalSpy refused(fx.frame.get(), &qMainFrame::s_navigator_disabled);
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QCOMPARE(refused.count(), 1);

        // The disabled queue ends its run; an unplug unlocks navigation.
        QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 5000);
        io.dispatch(EvDisconnected, nullptr);
        QTRY_VERIFY(qMainFrame::navigationAllowed());
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 0);
    }

    void olderFirmwareAsksForUpgrade()
    {
        FrameFixture fx(io);
        // Verdict 1 (the device is older than this software) names the fix.
        fx.frame->onFwVersionCheck(1);
        if constexpr (debugMode) {
            QCOMPARE(fx.frame->currentPageIndex(), 0);
            return;
        }
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QCOMPARE(fx.frame->currentTip(), QStringLiteral("Main controller Firmware mis-match!,please update you firmware!"));
        QVERIFY(!qMainFrame::navigationAllowed());
    }

    void mainControllerInLoaderMode()
    {
        FrameFixture fx(io);
        QSignalSpy checks(fx.frame.get(), &qMainFrame::fwVersionCheck);
        kzo::test::LogCapture log;
        // Status 0xFE before any handshake answer: the boot loader on USB.
        connectDevice(0xFE, false);
        QCOMPARE(fx.connector.loaderDevice(), 1);
        QTRY_COMPARE(fx.frame->currentPageIndex(), 1);
        QVERIFY(!qMainFrame::navigationAllowed());
        QCOMPARE(fx.frame->currentTip(), QStringLiteral("The main controller must be upgraded !"));
        QTRY_VERIFY(log.bytes().contains("_loadAllParameters not invoked,APP_STATUS = 0,isLoaderMode = 1\n"));
        QCOMPARE(appModel().status(), int(AppIdle));
        for (uint16_t id : io.writtenIds())
            QVERIFY(id != ReadVersions);

        // A version reply now marks the main controller "0" and runs no check.
        io.deliver(versionReply(0x03010002u));
        QCOMPARE(appModel().value("fw_mc"), QStringLiteral("0"));
        QCOMPARE(appModel().value("fw_imu"), QStringLiteral("1.5"));
        QTest::qWait(50);
        QCOMPARE(checks.count(), 0);
        io.dispatch(EvDisconnected, nullptr);
    }

    void statusBarFollowsLink()
    {
        FrameFixture fx(io);
        auto* link = fx.frame->findChild<QLabel*>("linkIcon");
        auto* activity = fx.frame->findChild<QLabel*>("activityIcon");
        QCOMPARE(link->property("linked").toBool(), false);
        connectDevice(0x00);
        QTRY_COMPARE(link->property("linked").toBool(), true);
        // Every frame flashes the activity image for 40 ms.
        QTRY_COMPARE(activity->property("active").toBool(), true);
        QTRY_COMPARE(activity->property("active").toBool(), false);
        io.dispatch(EvDisconnected, nullptr);
        QTRY_COMPARE(link->property("linked").toBool(), false);
        QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 5000);
    }

    void connectionFailureWarning()
    {
        FrameFixture fx(io);
        fx.frame->setConnectFailureHint(QStringLiteral("add your user to the \"dialout\" group"));
        fx.frame->onConnectFail();
        QMessageBox* box = fx.frame->connectionFailureBox();
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("Warning"));
        QVERIFY(box->text().startsWith("Connection failure! Please make sure the COM-port is not occupied"));
        QVERIFY(box->text().contains("dialout"));
        // Never two at once.
        fx.frame->onConnectFail();
        QCOMPARE(fx.frame->findChildren<QMessageBox*>().size(), 1);
        box->close();
    }
};

QTEST_MAIN(TestMainFrame)
#include "test_mainframe.moc"
