// The upgrade page on a fake device with the real connection manager, update
// client and update dialog: which rows show, where the versions come from,
// how offers relabel the links and open the dialog, the upgrade gate, the
// tips, the handshakes on entering and the display after an unplug.
#include "upgrade/PageTestRig.h"
#include "upgrade/pages/qUpgradePage.h"

#include "app/framework/qResources.h"
#include "support/LogCapture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using kzo::test::FakeDevIo;
using kzo::test::offer;
using kzo::test::PageBoxRecorder;
using kzo::test::PageRig;
using kzo::upgrade::UpgradeRowWidgets;

namespace {

// The page with its dialog runs recorded instead of run modally.
struct PageUnderTest {
    explicit PageUnderTest(PageRig& rig) : rig(rig), page(&rig.host, &rig.dialog)
    {
        rig.io.addListener(&page);
        page.setDialogRunner([this](qUpdater& d) {
            opened.push_back(d.moduleId());
            this->rig.host.calls << QStringLiteral("dialog:%1").arg(d.moduleId());
        });
        page.resize(850, 560);
        // On the screen, as the current page is: a hidden page draws nothing.
        page.show();
    }
    ~PageUnderTest() { rig.io.removeListener(&page); }

    UpgradeRowWidgets* row(int module) { return page.widgets().row(module); }
    QString buttonText(int module) { return row(module)->button->text(); }

    PageRig& rig;
    qUpgradePage page;
    std::vector<int> opened;
};

// Handshake frames written since the last call: their two payload bytes.
std::vector<std::pair<int, int>> takeHandshakes(FakeDevIo& io)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& f : io.takeFrames())
        if (f.id() == orb::cmdid::Handshake)
            out.emplace_back(f.payload()[0], f.payload()[1]);
    return out;
}

void deliverOffer(PageRig& rig, FirmwareDataInfo info)
{
    // Through the update client's own signal, as a server reply would.
    emit rig.uploader.firmwareCheckResult(info);
}

bool rowShown(const UpgradeRowWidgets* row, const QWidget& page)
{
    const UpgradeRowWidgets& r = *row;
    return r.name->isVisibleTo(&page) && r.loader->isVisibleTo(&page) && r.hardware->isVisibleTo(&page)
        && r.firmware->isVisibleTo(&page) && r.button->isVisibleTo(&page);
}

bool rowHidden(const UpgradeRowWidgets* row, const QWidget& page)
{
    const UpgradeRowWidgets& r = *row;
    return !r.name->isVisibleTo(&page) && !r.loader->isVisibleTo(&page) && !r.hardware->isVisibleTo(&page)
        && !r.firmware->isVisibleTo(&page) && !r.button->isVisibleTo(&page);
}

} // namespace

class TestUpgradePage : public QObject {
    Q_OBJECT

private slots:
    void onlyTheMainControllerRowShowsAtFirst()
    {
        PageRig rig;
        PageUnderTest t(rig);
        QVERIFY(rowShown(t.row(1), t.page));
        for (int m : {2, 3, 4, 7, 9, 10, 11, 12})
            QVERIFY2(rowHidden(t.row(m), t.page), qPrintable(QString::number(m)));
        for (int m : {1, 2, 3, 4, 7, 9, 10, 11, 12})
            QCOMPARE(t.buttonText(m), QStringLiteral("No updates"));
        QCOMPARE(t.row(1)->name->text(), QStringLiteral("Main Controller"));
        QCOMPARE(t.row(1)->button->objectName(), QStringLiteral("BTN_MC"));
        QCOMPARE(t.row(12)->loader->objectName(), QStringLiteral("cmu_loader_version"));

        // The mask bits select rows: LED (2) and CMU (128), nothing else.
        t.page.setRowVisible(2 | 128, true);
        QVERIFY(rowShown(t.row(4), t.page));
        QVERIFY(rowShown(t.row(12), t.page));
        QVERIFY(rowHidden(t.row(2), t.page));
        QVERIFY(rowHidden(t.row(3), t.page));
        t.page.setRowVisible(128, false);
        QVERIFY(rowHidden(t.row(12), t.page));
        QVERIFY(rowShown(t.row(4), t.page));
        // The main controller's row has no bit: no mask hides it.
        t.page.setRowVisible(0xFFFF, false);
        QVERIFY(rowShown(t.row(1), t.page));
    }

    void versionsComeFromTheKeysTheWindowWrites()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        QCoreApplication::processEvents();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        appModel().setValue("fw_imu", QStringLiteral("1.7"));
        appModel().setValue("loader_imu", QStringLiteral("1.1"));
        appModel().setValue("hwid_imu", QStringLiteral("305419896"));
        appModel().setValue("fw_cmu", QStringLiteral("2.0"));
        appModel().setValue("loader_cmu", QStringLiteral("1.3"));
        const auto before = appModel().snapshot();

        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("3.2 "));
        QCOMPARE(t.row(2)->firmware->text(), QStringLiteral("1.7 "));
        QCOMPARE(t.row(2)->loader->text(), QStringLiteral("1.1 "));
        QCOMPARE(t.row(2)->hardware->text(), QStringLiteral("305419896"));
        QCOMPARE(t.row(12)->firmware->text(), QStringLiteral("2.0 "));
        QCOMPARE(t.row(12)->loader->text(), QStringLiteral("1.3 "));
        // The CMU's hardware id is its own, never the IMU's.
        QCOMPARE(t.row(12)->hardware->text(), QStringLiteral("---"));
        // Shown, never written back: the display form stays on the screen.
        QVERIFY(appModel().snapshot() == before);

        appModel().setValue("hwid_cmu", QStringLiteral("77"));
        appModel().setValue("fw_mc", QString());
        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(12)->hardware->text(), QStringLiteral("77"));
        QCOMPARE(t.row(1)->firmware->text(), QStringLiteral("---"));
        QCOMPARE(appModel().value("fw_mc"), QString());
    }

    void framesOnlyOfTheHandshakeOrStatusPollRedrawNothing()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("---"));
        QCoreApplication::processEvents();
        appModel().setValue("fw_mc", QStringLiteral("4.1"));
        rig.io.deliver(kzo::test::payloadRecord(orb::cmdid::HandshakeAck, {1, 0}));
        rig.io.deliver(kzo::test::payloadRecord(0x0222, {0, 0}));
        QVERIFY(!t.page.isRefreshPending());
        QCoreApplication::processEvents();
        QCOMPARE(t.row(1)->firmware->text(), QStringLiteral("---"));
        rig.io.deliver(kzo::test::payloadRecord(0x1245, {0}));
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("4.1 "));
    }

    // The channel frames keep coming while another page is shown: a hidden
    // page queues no redraw for them, and shows what changed when entered.
    void aHiddenPageRedrawsNothingUntilEntered()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        QCoreApplication::processEvents();
        t.page.hide();
        appModel().setValue("fw_mc", QStringLiteral("5.0"));
        rig.io.deliver(kzo::test::payloadRecord(0x1245, {0}));
        QCoreApplication::processEvents();
        QCOMPARE(t.row(1)->firmware->text(), QStringLiteral("---"));
        for (int i = 0; i < 20; ++i) {
            rig.io.deliver(kzo::test::payloadRecord(0x1245, {0}));
            QVERIFY(!t.page.isRefreshPending());
        }
        t.page.show();
        t.page.PageEnter();
        QCOMPARE(t.row(1)->firmware->text(), QStringLiteral("5.0 "));
        // Shown again, a frame redraws once more.
        appModel().setValue("fw_mc", QStringLiteral("5.1"));
        rig.io.deliver(kzo::test::payloadRecord(0x1245, {0}));
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("5.1 "));
    }

    void aModuleInItsLoaderShowsZero_data()
    {
        QTest::addColumn<int>("module");
        QTest::newRow("main controller over USB") << 1;
        QTest::newRow("CMU over USB") << 12;
        QTest::newRow("IMU loader") << 2;
    }
    void aModuleInItsLoaderShowsZero()
    {
        QFETCH(int, module);
        PageRig rig;
        PageUnderTest t(rig);
        for (const char* key : {"fw_mc", "fw_imu", "loader_imu", "fw_cmu", "loader_cmu"})
            appModel().setValue(key, QStringLiteral("5.5"));
        if (module == 1)
            rig.plugWithoutHandshake(0xFE);
        else if (module == 12)
            rig.plugWithoutHandshake(0xFD);
        else {
            rig.plugRunning();
            rig.io.deliver(kzo::test::payloadRecord(orb::cmdid::ImuLoaderReady, {0}));
        }
        QCOMPARE(rig.connector.loaderDevice(), module);
        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(module)->firmware->text(), QStringLiteral("0"));
        if (module != 1)
            QCOMPARE(t.row(module)->loader->text(), QStringLiteral("0"));
        // The other modules keep their versions.
        for (int other : {1, 2, 12})
            if (other != module)
                QCOMPARE(t.row(other)->firmware->text(), QStringLiteral("5.5 "));
        QCOMPARE(appModel().value(module == 1 ? "fw_mc" : module == 2 ? "fw_imu" : "fw_cmu"), QStringLiteral("5.5"));
    }

    void offersRelabelTheLinks()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.signIn();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        appModel().setValue("fw_gps", QStringLiteral("1.0"));

        // Same version, written with all four numbers.
        deliverOffer(rig, offer(1, QStringLiteral("3.2.0.0")));
        QCOMPARE(t.buttonText(1), QStringLiteral("Latest version:3.2.0.0"));
        QCOMPARE(t.row(1)->button->accessibleName(), QStringLiteral("Main Controller: Latest version:3.2.0.0"));
        // The display form with its trailing space compares equal as well.
        appModel().setValue("fw_mc", QStringLiteral("3.2 "));
        deliverOffer(rig, offer(1, QStringLiteral("3.2.0.0")));
        QCOMPARE(t.buttonText(1), QStringLiteral("Latest version:3.2.0.0"));
        // An older offer is not "new".
        deliverOffer(rig, offer(1, QStringLiteral("3.1")));
        QCOMPARE(t.buttonText(1), QStringLiteral("Latest version:3.1"));

        // GPS: a newer version only relabels.
        deliverOffer(rig, offer(3, QStringLiteral("1.1")));
        QCOMPARE(t.buttonText(3), QStringLiteral("New version available:1.1"));
        QCoreApplication::processEvents();
        QVERIFY(t.opened.empty());
        QVERIFY(!rig.host.calls.contains(QStringLiteral("focus:1")));

        // Incomplete offers are ignored.
        deliverOffer(rig, offer(3, QString()));
        auto noFile = offer(3, QStringLiteral("9.9"));
        noFile.fileId.clear();
        deliverOffer(rig, noFile);
        deliverOffer(rig, offer(3, QStringLiteral("9.9"), 0));
        QCOMPARE(t.buttonText(3), QStringLiteral("New version available:1.1"));
        // A module without a row changes nothing.
        deliverOffer(rig, offer(13, QStringLiteral("9.9")));
        QCoreApplication::processEvents();
        QVERIFY(t.opened.empty());
    }

    void aNewerOfferOpensTheDialogLater_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("main controller") << 1 << QByteArray("fw_mc");
        QTest::newRow("IMU") << 2 << QByteArray("fw_imu");
        QTest::newRow("LED") << 4 << QByteArray("fw_led");
        QTest::newRow("CMU") << 12 << QByteArray("fw_cmu");
    }
    void aNewerOfferOpensTheDialogLater()
    {
        QFETCH(int, module);
        QFETCH(QByteArray, key);
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.signIn();
        appModel().setValue(key.toStdString(), QStringLiteral("3.2"));
        deliverOffer(rig, offer(module, QStringLiteral("3.10")));
        QCOMPARE(t.buttonText(module), QStringLiteral("New version available:3.10"));
        // Not from inside the reply's slot: nothing opened yet.
        QVERIFY(t.opened.empty());
        QVERIFY(rig.host.calls.isEmpty());
        QTRY_COMPARE(t.opened, std::vector<int>{module});
        // The upgrade page is brought to front first, then the pages are
        // left and the dialog runs for the offered module.
        const QStringList expected{QStringLiteral("focus:1"), QStringLiteral("leaveAll"),
                                   QStringLiteral("dialog:%1").arg(module)};
        QCOMPARE(rig.host.calls, expected);
        QCOMPARE(rig.dialog.moduleId(), module);
    }

    void offersDuringAnUpgradeAreIgnored()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.signIn();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        appModel().setStatus(AppUpgrading);
        deliverOffer(rig, offer(1, QStringLiteral("3.3")));
        deliverOffer(rig, offer(2, QStringLiteral("3.3")));
        QCoreApplication::processEvents();
        QCOMPARE(t.buttonText(1), QStringLiteral("No updates"));
        QVERIFY(t.opened.empty());
        QVERIFY(rig.host.calls.isEmpty());

        // An offer queued just before the upgrade started opens nothing either.
        appModel().setStatus(AppIdle);
        deliverOffer(rig, offer(1, QStringLiteral("3.3")));
        appModel().setStatus(AppUpgrading);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY(t.opened.empty());
        QVERIFY(!rig.host.calls.contains(QStringLiteral("focus:1")));
    }

    void theGateRefusesInOrder_data()
    {
        QTest::addColumn<int>("module");
        QTest::newRow("main controller") << 1;
        QTest::newRow("IMU") << 2;
        QTest::newRow("CMU") << 12;
        QTest::newRow("GPS") << 3;
        QTest::newRow("receiver") << 9;
    }
    void theGateRefusesInOrder()
    {
        QFETCH(int, module);
        PageRig rig;
        PageUnderTest t(rig);
        PageBoxRecorder boxes;
        QPushButton* button = t.row(module)->button;

        // 1. The dialog is shown already: nothing at all.
        QVERIFY(rig.dialog.setModuleId(7));
        rig.dialog.show();
        QVERIFY(rig.dialog.isVisible());
        button->click();
        QVERIFY(boxes.boxes.empty());
        QVERIFY(rig.host.calls.isEmpty());
        QCOMPARE(rig.dialog.moduleId(), 7);
        rig.dialog.hide();

        // 2. An upgrade runs: refused with a tip, whatever else holds.
        appModel().setStatus(AppUpgrading);
        button->click();
        QCOMPARE(rig.host.tips(), QStringList{QStringLiteral("A firmware upgrade is running, please wait until it ends! ")});
        QVERIFY(boxes.boxes.empty());
        appModel().setStatus(AppIdle);
        rig.host.calls.clear();

        // 3. Not connected: the "Info" box.
        button->click();
        QCOMPARE(boxes.boxes.size(), size_t(1));
        QCOMPARE(boxes.boxes[0].title, QStringLiteral("Info"));
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Please connect to the controller!"));
        QVERIFY(rig.host.calls.isEmpty());

        // 4. No server configuration: the network-error tip.
        rig.plugRunning();
        button->click();
        QCOMPARE(rig.host.tips(), QStringList{qResources::get().networkError});
        QCOMPARE(rig.host.calls.size(), 1);

        // 5. Not signed in: the tip, then the login offer.
        rig.host.calls.clear();
        appModel().setValue("login_server_url", QStringLiteral("http://127.0.0.1:9/login"));
        button->click();
        QCOMPARE(rig.host.calls, (QStringList{QStringLiteral("tip:Please login first! "), QStringLiteral("login")}));

        // 6. Signed in: the dialog opens for this module.
        rig.host.calls.clear();
        appModel().setValue("ssid", QStringLiteral("S1"));
        button->click();
        QCOMPARE(boxes.boxes.size(), size_t(1));
        QCOMPARE(t.opened, std::vector<int>{module});
        QCOMPARE(rig.host.calls, (QStringList{QStringLiteral("leaveAll"), QStringLiteral("dialog:%1").arg(module)}));
    }

    void relayedModulesNeedTheHandshakeAnswer()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.signIn();
        // A link whose main controller never answered the handshake.
        rig.plugWithoutHandshake(0x00);
        QVERIFY(rig.connector.isConnected());
        QVERIFY(rig.connector.handshakePending());
        for (int module : {4, 3, 7, 9, 10, 11}) {
            rig.host.calls.clear();
            t.row(module)->button->click();
            QCOMPARE(rig.host.calls, QStringList{QStringLiteral("tip:Current connection does not support upgrade! ")});
        }
        QVERIFY(t.opened.empty());
        // The modules on the link itself do not need it.
        t.row(1)->button->click();
        QCOMPARE(t.opened, std::vector<int>{1});

        // Answered: the relayed module opens and is logged.
        kzo::test::LogCapture log;
        rig.io.deliver(kzo::test::payloadRecord(orb::cmdid::HandshakeAck, {1, 0}));
        t.row(3)->button->click();
        QCOMPARE(t.opened, (std::vector<int>{1, 3}));
        QVERIFY(log.hasLine(QStringLiteral("UpgradeOL"), QStringLiteral("Upgrade Device Id: 0x03")));
    }

    void aShownDialogKeepsItsModule()
    {
        PageRig rig;
        PageUnderTest t(rig);
        PageBoxRecorder boxes;
        rig.plugRunning();
        rig.signIn();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        // The IMU's dialog is up (a download may run in it).
        QVERIFY(rig.dialog.setModuleId(2));
        rig.dialog.show();
        // Neither the main controller's link nor its offer retargets it.
        t.row(1)->button->click();
        deliverOffer(rig, offer(1, QStringLiteral("3.3")));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(rig.dialog.moduleId(), 2);
        QVERIFY(t.opened.empty());
        QVERIFY(rig.host.calls.isEmpty());
        QVERIFY(boxes.boxes.empty());
        rig.dialog.hide();
    }

    void enteringSendsBothHandshakesAndListensToTheWindow()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.io.takeFrames();
        t.page.PageEnter();
        QCOMPARE(takeHandshakes(rig.io), (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}}));

        emit rig.host.s_navigator_disabled();
        QCOMPARE(rig.host.tips(), QStringList{QStringLiteral(" You must update Main Controller firmware to new version.  ")});
        emit rig.host.signal_showTipText(QStringLiteral("Hello"));
        QCOMPARE(t.page.widgets().label_tip->text(), QStringLiteral("Hello"));
        QVERIFY(t.page.widgets().label_tip->isVisibleTo(&t.page));
        QVERIFY(t.page.isTipTimerActive());
        QCOMPARE(t.page.widgets().label_tip->styleSheet(), QStringLiteral("QLabel {font:bold 12px \"Arial\";color:red}"));
        // Entering twice listens once.
        t.page.PageEnter();
        rig.host.calls.clear();
        emit rig.host.s_navigator_disabled();
        QCOMPARE(rig.host.calls.size(), 1);

        // Left: the tip goes and the window's signals no longer reach the page.
        t.page.PageLeave();
        QVERIFY(!t.page.widgets().label_tip->isVisibleTo(&t.page));
        QVERIFY(!t.page.isTipTimerActive());
        rig.host.calls.clear();
        emit rig.host.s_navigator_disabled();
        emit rig.host.signal_showTipText(QStringLiteral("Again"));
        QVERIFY(rig.host.calls.isEmpty());
        QVERIFY(!t.page.widgets().label_tip->isVisibleTo(&t.page));
    }

    void theDialogRunsBetweenLeavingAndReenteringThePage()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.signIn();
        t.page.PageEnter();
        // The window's leave-all reaches this page too.
        rig.host.onLeaveAll = [&] { t.page.PageLeave(); };
        std::vector<std::pair<int, int>> handshakesBeforeRun;
        t.page.setDialogRunner([&](qUpdater& d) {
            handshakesBeforeRun = takeHandshakes(rig.io);
            t.opened.push_back(d.moduleId());
            // While the dialog runs the page is left: no tips from the window.
            emit rig.host.s_navigator_disabled();
        });
        QSignalSpy entered(&rig.dialog, &qUpdater::signal_EnterPage);
        t.row(1)->button->click();
        QCOMPARE(entered.count(), 1);
        QCOMPARE(t.opened, std::vector<int>{1});
        QVERIFY(rig.host.tips().isEmpty());
        // Re-entered afterwards: handshakes again, the window's signals again.
        QCOMPARE(takeHandshakes(rig.io), (std::vector<std::pair<int, int>>{{1, 0}, {2, 0}}));
        emit rig.host.s_navigator_disabled();
        QCOMPARE(rig.host.tips().size(), 1);
    }

    void theLockedNavigationTipNamesTheModule_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("imuLoader");
        QTest::addColumn<QString>("name");
        QTest::newRow("LED") << 0x40 << false << QStringLiteral("LED");
        QTest::newRow("GPS") << 0x30 << false << QStringLiteral("GPS");
        QTest::newRow("IMU") << 0x00 << true << QStringLiteral("IMU");
        QTest::newRow("PMU names the main controller") << 0x70 << false << QStringLiteral("Main Controller");
        QTest::newRow("none") << 0x00 << false << QStringLiteral("Main Controller");
    }
    void theLockedNavigationTipNamesTheModule()
    {
        QFETCH(int, status);
        QFETCH(bool, imuLoader);
        QFETCH(QString, name);
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning(static_cast<uint8_t>(status));
        if (imuLoader)
            rig.io.deliver(kzo::test::payloadRecord(orb::cmdid::ImuLoaderReady, {0}));
        t.page.PageEnter();
        emit rig.host.s_navigator_disabled();
        QCOMPARE(rig.host.tips(), QStringList{QStringLiteral(" You must update ") + name
                                              + QStringLiteral(" firmware to new version.  ")});
    }

    void anUnplugClearsTheDisplay()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        rig.signIn();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        appModel().setValue("fw_imu", QStringLiteral("1.1"));
        appModel().setValue("hwid_imu", QStringLiteral("12"));
        appModel().setValue("receiver_freq", QStringLiteral("2.4G"));
        t.page.setRowVisible(16 | 1, true);
        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("3.2 "));
        QCOMPARE(t.row(9)->name->text(), QStringLiteral("Receiver2.4G"));
        deliverOffer(rig, offer(3, QStringLiteral("1.0")));
        QCOMPARE(t.buttonText(3), QStringLiteral("New version available:1.0"));

        rig.unplug();
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("---"));
        for (int m : {1, 2, 3, 4, 7, 9, 10, 11, 12}) {
            QCOMPARE(t.buttonText(m), QStringLiteral("No updates"));
            QCOMPARE(t.row(m)->firmware->text(), QStringLiteral("---"));
            QCOMPARE(t.row(m)->loader->text(), QStringLiteral("---"));
            QCOMPARE(t.row(m)->hardware->text(), QStringLiteral("---"));
        }
        QVERIFY(rowHidden(t.row(9), t.page));
        QVERIFY(rowShown(t.row(2), t.page));
        QCOMPARE(appModel().value("receiver_freq"), QString());
        // The versions themselves belong to the window.
        QCOMPARE(appModel().value("fw_mc"), QStringLiteral("3.2"));
    }

    void theChangeTabButtonSwitchesTabs()
    {
        PageRig rig;
        PageUnderTest t(rig);
        auto& ui = t.page.widgets();
        QVERIFY(!ui.tabWidget_Upgrade->tabBar()->isVisibleTo(&t.page));
        QCOMPARE(ui.tabWidget_Upgrade->currentWidget(), ui.tab_Basic);
        QCOMPARE(ui.pushButtonChangeTab->text(), QStringLiteral("Advance"));
        ui.pushButtonChangeTab->click();
        QCOMPARE(ui.tabWidget_Upgrade->currentWidget(), ui.tab_Advance);
        QCOMPARE(ui.pushButtonChangeTab->text(), QStringLiteral("Basic"));
        QCOMPARE(ui.pushButtonChangeTab->accessibleName(), QStringLiteral("Basic"));
        ui.pushButtonChangeTab->click();
        QCOMPARE(ui.tabWidget_Upgrade->currentWidget(), ui.tab_Basic);
        QCOMPARE(ui.pushButtonChangeTab->text(), QStringLiteral("Advance"));
    }

    void everyButtonIsNamedAndPressableThroughAccessibility()
    {
        PageRig rig;
        PageUnderTest t(rig);
        PageBoxRecorder boxes;
        t.page.show();
        const auto buttons = t.page.findChildren<QAbstractButton*>();
        QVERIFY(buttons.size() >= 10);
        for (QAbstractButton* b : buttons) {
            if (!b->isVisibleTo(&t.page))
                continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b);
            QVERIFY(iface);
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(b->objectName()));
        }
        QAccessibleInterface* mc = QAccessible::queryAccessibleInterface(t.row(1)->button);
        QCOMPARE(mc->text(QAccessible::Name), QStringLiteral("Main Controller: No updates"));
        // Pressed the way an assistive tool does: the gate runs as for a click.
        QAccessibleActionInterface* action = mc->actionInterface();
        QVERIFY(action);
        action->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(boxes.boxes.size(), size_t(1));
        QCOMPARE(boxes.boxes[0].text, QStringLiteral("Please connect to the controller!"));
    }

    void renderedPage()
    {
        PageRig rig;
        PageUnderTest t(rig);
        rig.plugRunning();
        appModel().setValue("fw_mc", QStringLiteral("3.2"));
        appModel().setValue("fw_imu", QStringLiteral("1.7"));
        appModel().setValue("loader_imu", QStringLiteral("1.1"));
        appModel().setValue("hwid_imu", QStringLiteral("305419896"));
        appModel().setValue("fw_cmu", QStringLiteral("2.0"));
        appModel().setValue("loader_cmu", QStringLiteral("1.3"));
        rig.deliverVersionReply();
        QTRY_COMPARE(t.row(1)->firmware->text(), QStringLiteral("3.2 "));
        t.page.setDialogRunner([](qUpdater&) {});
        deliverOffer(rig, offer(3, QStringLiteral("1.1")));
        t.page.onShowTipText(QStringLiteral("Please login first! "));
        t.page.show();
        const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR);
        QVERIFY(t.page.grab().save(dir + QStringLiteral("/upgrade-page.png")));
        // Every row, to check the columns line up.
        t.page.setRowVisible(0xFF, true);
        deliverOffer(rig, offer(2, QStringLiteral("1.8")));
        QCoreApplication::processEvents();
        QVERIFY(t.page.grab().save(dir + QStringLiteral("/upgrade-page-all-rows.png")));
        t.page.widgets().pushButtonChangeTab->click();
        QVERIFY(t.page.grab().save(dir + QStringLiteral("/upgrade-page-advance.png")));
    }
};

QTEST_MAIN(TestUpgradePage)
#include "test_upgrade_page.moc"
