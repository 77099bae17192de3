// The main window's coordination on an in-process device: navigation lock,
// login-gated firmware queries, the read-all sequence, version replies (also
// malformed ones and those while a module sits in its loader), the firmware
// check and the device's firmware pair, forced upgrades, the language button
// and the texts shared through the resource catalogue.
#include "app/mainframe/FrameFixture.h"
#include "support/RepaintCounter.h"
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include "app/FirmwareCheck.h"
#include "app/Language.h"
#include "app/config/GlobalCfg.h"
#include "app/framework/qResources.h"
#include "support/LogCapture.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "widgets/MessageBoxes.h"
#include "widgets/qPageButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <map>

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

const char* const versionKeys[] = {"fw_mc", "fw_imu", "hwid_imu", "loader_imu", "fw_cmu", "loader_cmu"};

void setAllVersions(const QString& value)
{
    for (const char* k : versionKeys)
        appModel().setValue(k, value);
}

std::map<QString, QString> versionValues()
{
    std::map<QString, QString> out;
    for (const char* k : versionKeys)
        out[QString::fromLatin1(k)] = appModel().value(k);
    return out;
}

// The flags of every checkFirmwareUpdates emission the spy saw.
std::vector<int> flagsOf(const QSignalSpy& spy)
{
    std::vector<int> out;
    for (const QList<QVariant>& args : spy)
        out.push_back(args.at(0).toInt());
    return out;
}

// Answers the next modal message box with No and keeps its text.
class ModalBoxReader : public QObject {
public:
    QString text;
    ModalBoxReader()
    {
        auto* poll = new QTimer(this);
        poll->setInterval(10);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            poll->stop();
            box->button(QMessageBox::No)->click();
        });
        poll->start();
    }
};

// Counts the firmware queries the window hands to the update server.
struct QueryLog {
    std::vector<int> modules;
    void attach(qMainFrame& frame)
    {
        frame.setLoggedInTest([] { return true; });
        frame.setFirmwareRequester([this](int m) { modules.push_back(m); });
    }
};

} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
    FakeDevIo io;

    void connectDevice(uint8_t status, bool handshakeAnswered = true)
    {
        kzo::test::connectDevice(io, status, handshakeAnswered);
    }

private slots:
    void initTestCase() { currentDevIo = &io; }

    // The module code 12 enters through a status report on USB before the
    // handshake answer, code 2 through the IMU loader's own frame.
    void enterLoader(int module)
    {
        if (module == 12) {
            connectDevice(0xFD, false);
        } else {
            connectDevice(0x00);
            io.deliver(payloadRecord(ImuLoaderReady, {}));
        }
    }

    void init()
    {
        io.clearWritten();
        kzo::test::resetFrameState();
        setAllVersions(QString());
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
        // Every bit, in the fixed order.
        asked.clear();
        fx.frame->onCheckFirmUpdates(0x1FF);
        QCOMPARE(asked, (std::vector<int>{1, 2, 4, 3, 7, 11, 9, 10, 12}));
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
        // A second reply on the same connection is handled (it ends in
        // devValueChanged) but runs no second check.
        QSignalSpy handled(fx.frame.get(), &qMainFrame::devValueChanged);
        io.deliver(versionReply(0x03000002u));
        QTRY_COMPARE(handled.count(), 1);
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
        QSignalSpy handled(fx.frame.get(), &qMainFrame::devValueChanged);
        io.deliver(versionReply(0x03010002u));
        QTRY_COMPARE(handled.count(), 1);
        QCOMPARE(appModel().value("fw_mc"), QStringLiteral("0"));
        QCOMPARE(appModel().value("fw_imu"), QStringLiteral("1.5"));
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
        // A frame lights the activity image; it goes out once frames stop.
        // Lighting repaints the icon and lays out nothing in the window.
        QTRY_COMPARE(activity->property("active").toBool(), true);
        QTRY_COMPARE(activity->property("active").toBool(), false);
        QCoreApplication::processEvents();
        {
            const kzo::test::RepaintCounter counter(*fx.frame);
            fx.frame->_dataTransfer(false);
            QTRY_VERIFY(counter.paintsOf(activity) > 0);
            // Steady traffic (the gimbal page's 20 frames a second) keeps it
            // lit: no blink, so no repaint per frame.
            const int painted = counter.paintsOf(activity);
            QElapsedTimer sinceFrame;
            sinceFrame.start();
            for (int i = 0; i < 15; ++i) {
                QTest::qWait(20);
                if (sinceFrame.elapsed() < qMainFrame::activityMs) // a stalled test machine proves nothing
                    QVERIFY(activity->property("active").toBool());
                fx.frame->_dataTransfer(false);
                sinceFrame.restart();
            }
            QCOMPARE(counter.paintsOf(activity), painted);
            QTRY_COMPARE(activity->property("active").toBool(), false);
            QCoreApplication::processEvents();
            QCOMPARE(counter.layouts, 0);
        }
        io.dispatch(EvDisconnected, nullptr);
        QTRY_COMPARE(link->property("linked").toBool(), false);
        QTRY_COMPARE_WITH_TIMEOUT(appModel().status(), int(AppIdle), 5000);
    }

    void connectionFailureWarning()
    {
        FrameFixture fx(io);
        std::vector<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler answer([&](QWidget*, const kzo::ui::BoxRequest& box) {
            boxes.push_back(box);
            return QMessageBox::Ok;
        });
        fx.frame->setConnectFailureHint(QStringLiteral("add your user to the \"dialout\" group"));
        fx.frame->onConnectFail();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes[0].title, QStringLiteral("Warning"));
        QVERIFY(boxes[0].text.startsWith("Connection failure! Please make sure the COM-port is not occupied"));
        QVERIFY(boxes[0].text.contains("dialout"));
    }

    void languageButtonNamesLanguageInUse_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("withPack");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("checked");
        // The system speaks Chinese in every row.
        QTest::newRow("English stored") << int(QLocale::English) << true << QStringLiteral("English ")
                                        << QStringLiteral("en_US");
        QTest::newRow("Chinese stored") << int(QLocale::Chinese) << true
                                        << QString::fromUtf8("简体中文(Language) ") << QStringLiteral("zh_CN");
        QTest::newRow("Chinese stored, pack missing")
            << int(QLocale::Chinese) << false << QStringLiteral("English ") << QStringLiteral("en_US");
    }
    void languageButtonNamesLanguageInUse()
    {
        QFETCH(int, stored);
        QFETCH(bool, withPack);
        QFETCH(QString, button);
        QFETCH(QString, checked);
        QTemporaryDir data;
        QVERIFY(QFile::copy(QStringLiteral(KZO_BIN_DIR "/config.xml"), data.path() + "/config.xml"));
        QDir(data.path()).mkpath("language");
        if (withPack)
            QVERIFY(QFile::copy(QStringLiteral(KZO_BIN_DIR "/language/kzo_zh_CN.qm"),
                                data.path() + "/language/kzo_zh_CN.qm"));
        QTemporaryDir home;
        QSettings settings(home.path() + "/settings.ini", QSettings::IniFormat);
        settings.setValue("language", stored);
        // The locale name starts as the system's, as at every start.
        kzo::app::setCurrentLocale(QStringLiteral("zh_CN"));
        QTranslator translator;
        kzo::test::LogCapture log;
        kzo::app::loadLanguage(translator, settings, data.path(), QLocale(QLocale::Chinese, QLocale::China));
        {
            FrameFixture fx(io);
            QCOMPARE(fx.frame->languageMenuButton()->text(), button);
            QStringList checkedEntries;
            for (QAction* a : fx.frame->languageMenuWidget()->actions())
                if (a->isChecked())
                    checkedEntries << a->whatsThis();
            QCOMPARE(checkedEntries, QStringList{checked});
        }
        QCoreApplication::removeTranslator(&translator);
    }

    void sharedTextsComeFromResources()
    {
        // A catalogue whose texts differ from every literal: what the window
        // shows can only have come from it.
        qResources res;
        res.restoreQuestion = QStringLiteral("<b>restore from the catalogue?</b>");
        res.networkError = QStringLiteral("network error from the catalogue");
        FrameFixture fx(io);
        fx.frame->showLoginOrError(); // no update-server configuration here
        QTRY_COMPARE(fx.frame->currentTip(), res.networkError);

        connectDevice(0x00);
        QVERIFY(fx.connector.isConnected());
        appModel().setStatus(AppIdle);
        ModalBoxReader reader;
        QVERIFY(!fx.frame->restoreDefaults()); // answered No
        QCOMPARE(reader.text, res.restoreQuestion);
        io.dispatch(EvDisconnected, nullptr);
    }

    void deviceFirmwarePairIsKept_data()
    {
        QTest::addColumn<uint>("mcWord");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("hide");
        QTest::newRow("matching") << 0x03000002u << 0 << 0;
        QTest::newRow("newer minor") << 0x03010002u << 1 << 0;
        QTest::newRow("newer hide") << 0x0300A702u << 0 << 0xA7;
        QTest::newRow("both") << 0x0405FE09u << 5 << 0xFE;
    }
    void deviceFirmwarePairIsKept()
    {
        QFETCH(uint, mcWord);
        QFETCH(int, minor);
        QFETCH(int, hide);
        kzo::app::storeDeviceFirmwarePair({0x55, 0x55});
        FrameFixture fx(io);
        QSignalSpy checks(fx.frame.get(), &qMainFrame::fwVersionCheck);
        connectDevice(0x00);
        io.deliver(versionReply(mcWord));
        QTRY_COMPARE(checks.count(), 1);
        QCOMPARE(kzo::app::deviceFirmwarePair(), std::make_pair(minor, hide));
        QCOMPARE(checks.at(0).at(0).toInt(), (minor == 0 && hide == 0) ? 0 : 2);
        io.dispatch(EvDisconnected, nullptr);
    }

    void forcedUpgradeOfModuleInLoader_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<bool>("upgrading");
        QTest::addColumn<QString>("tip");
        QTest::newRow("CMU") << 12 << false << QStringLiteral("The CMU must be upgraded !");
        QTest::newRow("IMU") << 2 << false << QStringLiteral("The IMU must be upgraded !");
        // An upgrade already running keeps its course: lock only.
        QTest::newRow("CMU while upgrading") << 12 << true << QString();
        QTest::newRow("IMU while upgrading") << 2 << true << QString();
    }
    void forcedUpgradeOfModuleInLoader()
    {
        QFETCH(int, module);
        QFETCH(bool, upgrading);
        QFETCH(QString, tip);
        FrameFixture fx(io);
        QueryLog queries;
        queries.attach(*fx.frame);
        QSignalSpy abnormal(&fx.connector, &qConnector::deviceAbnormal);
        if (upgrading)
            appModel().setStatus(AppUpgrading);
        enterLoader(module);
        QCOMPARE(fx.connector.loaderDevice(), module);
        QTRY_COMPARE(abnormal.count(), 1);
        QTRY_COMPARE(fx.frame->currentPageIndex(), 1);
        QVERIFY(!qMainFrame::navigationAllowed());
        QCOMPARE(fx.frame->currentTip(), tip);
        // The only firmware query so far is the one for the module itself.
        QCOMPARE(queries.modules, upgrading ? std::vector<int>{} : std::vector<int>{module});
        QSignalSpy refused(fx.frame.get(), &qMainFrame::s_navigator_disabled);
        clickButton(*fx.frame, 0);
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        QCOMPARE(refused.count(), 1);
        io.dispatch(EvDisconnected, nullptr);
    }

    void forcedUpgradeEndsRunningQueue_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<bool>("ends");
        QTest::newRow("main controller on CAN") << 1 << true;
        QTest::newRow("LED") << 4 << true;
        QTest::newRow("IMU") << 2 << false;
    }
    void forcedUpgradeEndsRunningQueue()
    {
        QFETCH(int, module);
        QFETCH(bool, ends);
        FrameFixture fx(io);
        connectDevice(0x00);
        QTRY_VERIFY(fx.queue.isRunning());
        QCOMPARE(appModel().status(), int(AppLoadingAll));
        QSignalSpy finished(&fx.queue, &orb::qCmdQueue::queuefinished);
        // The module enters its loader while the read-all runs: reported
        // through the main controller (code with its nibbles swapped), or by
        // the IMU loader itself.
        if (module == 2)
            io.deliver(payloadRecord(ImuLoaderReady, {}));
        else
            io.deliver(payloadRecord(StatusReport, {uint8_t(module << 4)}));
        QCOMPARE(fx.connector.loaderDevice(), module);
        if (ends) {
            QVERIFY(!fx.queue.isRunning());
            QTRY_COMPARE(finished.count(), 1);
            QCOMPARE(finished.at(0).at(0).toBool(), false);
            QTRY_COMPARE(appModel().status(), int(AppIdle));
        } else {
            QVERIFY(fx.queue.isRunning());
            QCOMPARE(appModel().status(), int(AppLoadingAll));
            QCOMPARE(finished.count(), 0);
        }
        QCOMPARE(fx.frame->currentPageIndex(), 1);
        io.dispatch(EvDisconnected, nullptr);
    }

    void versionRepliesWhileModuleInLoader_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<bool>("cmuReply");
        QTest::addColumn<QStringList>("expected"); // fw_mc, fw_imu, hwid_imu, loader_imu, fw_cmu, loader_cmu
        QTest::addColumn<std::vector<int>>("flags");
        const QString k = QStringLiteral("keep");
        QTest::newRow("IMU in loader, 0x02C1")
            << 2 << false << QStringList{"3.2", "0", k, k, k, k} << std::vector<int>{0x001};
        QTest::newRow("IMU in loader, 0x1245")
            << 2 << true << QStringList{k, "0", k, k, "2.1", "1.0"} << std::vector<int>{0x100};
        QTest::newRow("CMU in loader, 0x02C1")
            << 12 << false << QStringList{"3.2", "1.5", "305419896", "1.1", "0", k} << std::vector<int>{0x001, 0x002};
        QTest::newRow("CMU in loader, 0x1245")
            << 12 << true << QStringList{k, k, k, k, "0", k} << std::vector<int>{};
    }
    void versionRepliesWhileModuleInLoader()
    {
        QFETCH(int, module);
        QFETCH(bool, cmuReply);
        QFETCH(QStringList, expected);
        QFETCH(std::vector<int>, flags);
        FrameFixture fx(io);
        enterLoader(module);
        QCOMPARE(fx.connector.loaderDevice(), module);
        setAllVersions(QStringLiteral("keep"));
        QSignalSpy queries(fx.frame.get(), &qMainFrame::checkFirmwareUpdates);
        QSignalSpy handled(fx.frame.get(), &qMainFrame::devValueChanged);
        if (cmuReply)
            io.deliver(ackRecord(CmuVersionAck, words({0x02000001u, 0x01000000u})));
        else
            io.deliver(versionReply(0x03000002u));
        QTRY_COMPARE(handled.count(), 1);
        QStringList got;
        for (const char* key : versionKeys)
            got << appModel().value(key);
        QCOMPARE(got, expected);
        QCOMPARE(flagsOf(queries), flags);
        io.dispatch(EvDisconnected, nullptr);
    }

    void malformedRepliesChangeNothing_data()
    {
        QTest::addColumn<uint>("id");
        QTest::addColumn<int>("dataSize");
        QTest::addColumn<int>("lengthAdjust");
        const struct {
            uint16_t id;
            int size;
            const char* name;
        } replies[] = {{VersionsAck, 16, "0x02C1"},
                       {CmuVersionAck, 8, "0x1245"},
                       {GimbalRecord1Ack, 8, "0x02A1"},
                       {GimbalRecord2Ack, 8, "0x02A6"},
                       {CameraStateAck, 4, "0x1252"}};
        for (const auto& r : replies) {
            QTest::addRow("%s one byte short", r.name) << uint(r.id) << r.size << -1;
            QTest::addRow("%s four bytes long", r.name) << uint(r.id) << r.size << 4;
            QTest::addRow("%s without data", r.name) << uint(r.id) << 0 << 0;
        }
    }
    void malformedRepliesChangeNothing()
    {
        QFETCH(uint, id);
        QFETCH(int, dataSize);
        QFETCH(int, lengthAdjust);
        FrameFixture fx(io);
        connectDevice(0x00);
        QTRY_COMPARE(appModel().status(), int(AppLoadingAll));
        setAllVersions(QStringLiteral("keep"));
        QSignalSpy queries(fx.frame.get(), &qMainFrame::checkFirmwareUpdates);
        QSignalSpy checks(fx.frame.get(), &qMainFrame::fwVersionCheck);
        QSignalSpy handled(fx.frame.get(), &qMainFrame::devValueChanged);
        // Data that would read as plausible versions, were the length ignored.
        std::vector<uint8_t> data = words({7u, 0x09000009u, 0x09010009u, 0x09000009u});
        data.resize(size_t(dataSize));
        io.deliver(ackRecord(uint16_t(id), data, lengthAdjust));
        // A well-formed CMU reply after it: once it is handled, so is the
        // malformed one before it.
        io.deliver(ackRecord(CmuVersionAck, words({0x02000001u, 0x01000000u})));
        QTRY_VERIFY(handled.count() >= 1);
        QCOMPARE(handled.count(), 1);
        QCOMPARE(flagsOf(queries), std::vector<int>{0x100});
        QCOMPARE(checks.count(), 0);
        const std::map<QString, QString> expected{{"fw_mc", "keep"},     {"fw_imu", "keep"}, {"hwid_imu", "keep"},
                                                  {"loader_imu", "keep"}, {"fw_cmu", "2.1"},  {"loader_cmu", "1.0"}};
        QCOMPARE(versionValues(), expected);
        io.dispatch(EvDisconnected, nullptr);
    }
};

QTEST_MAIN(TestMainFrame)
#include "test_mainframe.moc"
