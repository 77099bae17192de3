// The firmware update dialog on its own: its texts and states, the refresh
// branches that need no server, which offers it takes, the device and
// connection events, the debug key sequence and the links it opens.
#include "UpdaterFixture.h"
#include "support/LogCapture.h"

#include "app/framework/HelpView.h"
#include "online/DataUploader.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/qDebugModeCheckDlg.h"
#include "upgrade/updater/qUpdater.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

using namespace kzo::test;

namespace {

FirmwareDataInfo offer(int module, int size, const QString& checksum = {})
{
    FirmwareDataInfo f;
    f.deviceId = module;
    f.version = QStringLiteral("2.0.0.0");
    f.infoUrl = QStringLiteral("http://127.0.0.1:9/notes?id=1");
    f.fileId = QStringLiteral("mc-2.0.0.0");
    f.size = size;
    f.checksum = checksum;
    return f;
}

} // namespace

class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestUpdaterDialog : public UpdaterDialogTest {
    Q_OBJECT

    std::unique_ptr<qConnector> connector;
    std::unique_ptr<orb::DevUpgrade> engine;
    std::unique_ptr<DataUploader> uploader;
    std::unique_ptr<FakeUpgradeHost> host;

    // The main controller's dialog, on a live link, takes `f`: its download
    // starts towards an address that refuses.
    FirmwareDataInfo startDownload(FirmwareDataInfo f)
    {
        linkUp(*connector);
        appModel().setValue("firmware_download_server_url", QStringLiteral("http://127.0.0.1:9/download"));
        open(1);
        dlg->onFirmwareCheckResult(f);
        return f;
    }

private slots:
    void init()
    {
        for (const char* k : {"ssid", "fw_mc", "fw_imu", "receiver_freq", "firmware_download_server_url",
                              "firmware_update_server_url"})
            appModel().setValue(k, QString());
        appModel().setValue("ssid", QStringLiteral("S-test"));
        appModel().setStatus(AppIdle);
        connector = std::make_unique<qConnector>();
        engine = std::make_unique<orb::DevUpgrade>();
        uploader = std::make_unique<DataUploader>();
        host = std::make_unique<FakeUpgradeHost>();
        dlg = std::make_unique<qUpdater>(host.get());
    }
    void cleanup()
    {
        dlg.reset();
        host.reset();
        uploader.reset();
        engine.reset();
        connector.reset();
        appModel().setStatus(AppIdle);
    }

    void constructedIdle()
    {
        QCOMPARE(status(), QStringLiteral("----------"));
        QVERIFY(!shown("buttonRefresh"));
        QVERIFY(!shown("label_4"));
        QVERIFY(!enabled("buttonUpgrade"));
        QVERIFY(child<QPushButton>("buttonUpgrade")->isDefault());
        QCOMPARE(child<QLabel>("label_version_new")->text(), QStringLiteral("--"));
        QCOMPARE(child<QLabel>("label_3")->text(), QStringLiteral("Firmware Upgrade"));
        QVERIFY(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
        for (const char* b : {"buttonUpgrade", "buttonExit", "buttonRefresh"})
            QCOMPARE(child<QPushButton>(b)->accessibleName(), child<QPushButton>(b)->text());
        QCOMPARE(dlg->moduleId(), 0);
    }

    void statusColours()
    {
        dlg->refreshStatusInfo(QStringLiteral("A"), 1);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">A</div>"));
        dlg->refreshStatusInfo(QStringLiteral("B"), 2);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: green;\">B</div>"));
        dlg->refreshStatusInfo(QStringLiteral("C"));
        QCOMPARE(status(), QStringLiteral("C"));
    }

    void openingShowsModuleAndVersion_data()
    {
        QTest::addColumn<int>("module");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("version");
        QTest::newRow("main controller") << 1 << "Main Controller" << "1.2.3.4";
        QTest::newRow("imu") << 2 << "IMU" << "3.1";
        QTest::newRow("receiver with its band") << 9 << "Receiver5.8G" << "--";
        QTest::newRow("cmu without a version") << 12 << "CMU" << "--";
    }
    void openingShowsModuleAndVersion()
    {
        QFETCH(int, module);
        QFETCH(QString, name);
        QFETCH(QString, version);
        appModel().setValue("fw_mc", QStringLiteral("1.2.3.4"));
        appModel().setValue("fw_imu", QStringLiteral("3.1"));
        appModel().setValue("receiver_freq", QStringLiteral("5.8G"));
        open(module);
        QCOMPARE(child<QLabel>("label_product")->text(), name);
        QCOMPARE(child<QLabel>("label_version_cur")->text(), version);
        // Not connected: the check is not even tried.
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Please connect to the controller!</div>"));
    }

    void refreshWithoutServerConfigIsANetworkError()
    {
        linkUp(*connector);
        open(1);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Network error! Please</div>"));
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(!web().contains(QStringLiteral("No firmware updates!")));
        QCOMPARE(host->loginRequests, 0);
    }

    void refreshWhileDownloadingOnlyRefuses()
    {
        startDownload(offer(1, 2048));
        QCOMPARE(dlg->downloadState(), 1);
        LogCapture log;
        const QString before = status();
        dlg->cmdRefresh();
        QVERIFY(log.text().contains(QStringLiteral("Firmware is downloading ...refresh not permitted! \n")));
        QCOMPARE(status(), before);
        QCOMPARE(dlg->downloadState(), 1);
    }

    void offerStartsDownloadAndShowsProgress()
    {
        FirmwareDataInfo f = startDownload(offer(1, 2048, QStringLiteral("abc")));
        QCOMPARE(dlg->downloadState(), 1);
        QVERIFY(shown("label_4"));
        QCOMPARE(child<QLabel>("label_version_new")->text(), QStringLiteral("2.0.0.0"));
        QCOMPARE(child<HelpView>("webView")->url(), QUrl(f.infoUrl));
        QVERIFY(!shown("buttonRefresh"));
        QCOMPARE(status(), QStringLiteral("Downloading, please wait..."));
        // Against the offered size, whatever the server announces.
        dlg->downFileProgress(512, 4096);
        QCOMPARE(status(), QStringLiteral("Downloading ... 25%"));
        dlg->downFileProgress(2047, -1);
        QCOMPARE(status(), QStringLiteral("Downloading ... 99%"));
        // A second offer for the module while downloading is only logged.
        LogCapture log;
        dlg->onFirmwareCheckResult(f);
        QVERIFY(log.hasLine(QStringLiteral("Download"), QStringLiteral("Downloading Status:1")));
        // The address refuses: the network error ends the download.
        QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 0, 10000);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Network error, Please </div>"));
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(!enabled("buttonUpgrade"));
    }

    void offerWithoutSizeMeansNoUpdates()
    {
        linkUp(*connector);
        open(1);
        FirmwareDataInfo f = offer(1, 0);
        dlg->onFirmwareCheckResult(f);
        QVERIFY(web().contains(QStringLiteral("No firmware updates!")));
        QVERIFY(web().startsWith(QStringLiteral("<div style= \"font-size; 10px;\">")));
        QVERIFY(!shown("label_4"));
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(!enabled("buttonUpgrade"));
        QCOMPARE(dlg->downloadState(), 0);
    }

    // A check that got no usable answer must offer Refresh, not claim the
    // firmware is current.
    void failedCheckIsANetworkError()
    {
        linkUp(*connector);
        open(1);
        const QString before = web();
        FirmwareDataInfo f = offer(1, 0);
        f.failed = true;
        dlg->onFirmwareCheckResult(f);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Network error! Please</div>"));
        QVERIFY(!web().contains(QStringLiteral("No firmware updates!")));
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(!shown("label_4"));
        QVERIFY(!enabled("buttonUpgrade"));
        QCOMPARE(dlg->downloadState(), 0);
        QCOMPARE(web(), before);
    }

    void offersTheDialogIgnores()
    {
        linkUp(*connector);
        appModel().setValue("firmware_download_server_url", QStringLiteral("http://127.0.0.1:9/download"));
        // Hidden.
        QVERIFY(dlg->setModuleId(1));
        FirmwareDataInfo f = offer(1, 2048);
        dlg->onFirmwareCheckResult(f);
        QCOMPARE(dlg->downloadState(), 0);
        // Another module.
        dlg->show();
        FirmwareDataInfo other = offer(2, 2048);
        dlg->onFirmwareCheckResult(other);
        QCOMPARE(dlg->downloadState(), 0);
        QVERIFY(!shown("label_4"));
        // While an upgrade runs (another user of the engine holds status 1).
        appModel().setStatus(AppUpgrading);
        dlg->onFirmwareCheckResult(f);
        QCOMPARE(dlg->downloadState(), 0);
        QVERIFY(!shown("label_4"));
        appModel().setStatus(AppIdle);
        // Larger than any image the dialog takes.
        FirmwareDataInfo huge = offer(1, int(qUpdater::maxImageBytes + 1));
        dlg->onFirmwareCheckResult(huge);
        QCOMPARE(dlg->downloadState(), 0);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Download error! Please</div>"));
    }

    void moduleNeverChangesUnderAShownOrBusyDialog()
    {
        linkUp(*connector);
        QVERIFY(dlg->setModuleId(2));
        dlg->show();
        QVERIFY(!dlg->setModuleId(1));
        QCOMPARE(dlg->moduleId(), 2);
        dlg->hide();
        // A download running for module 2 (hidden, e.g. behind a closing box).
        appModel().setValue("firmware_download_server_url", QStringLiteral("http://127.0.0.1:9/download"));
        dlg->show();
        FirmwareDataInfo f = offer(2, 2048);
        dlg->onFirmwareCheckResult(f);
        dlg->hide();
        QCOMPARE(dlg->downloadState(), 1);
        QVERIFY(!dlg->setModuleId(1));
        QCOMPARE(dlg->moduleId(), 2);
    }

    void noLoginWithoutServerConfiguration()
    {
        linkUp(*connector);
        appModel().setValue("ssid", QString());
        open(1);
        QCOMPARE(status(), QStringLiteral("<div style=\"color: red;\">Network error! Please</div>"));
        QCOMPARE(host->loginRequests, 0);
        QVERIFY(shown("buttonRefresh"));
    }

    void reconnectWhileIdleCloses()
    {
        open(1);
        QVERIFY(dlg->isVisible());
        linkUp(*connector);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->moduleId(), 0);
        QCOMPARE(status(), QStringLiteral("Device is connected!"));
    }

    void connectionLossShowsNoVersion()
    {
        appModel().setValue("fw_mc", QStringLiteral("1.0"));
        linkUp(*connector);
        open(1);
        QCOMPARE(child<QLabel>("label_version_cur")->text(), QStringLiteral("1.0"));
        linkDown(*connector);
        QCOMPARE(child<QLabel>("label_version_cur")->text(), QStringLiteral("--"));
        QVERIFY(!enabled("buttonUpgrade"));
        QVERIFY(enabled("buttonExit"));
        QVERIFY(dlg->isVisible());
    }

    void exitLeavesOtherStatusesAlone_data()
    {
        QTest::addColumn<int>("appStatus");
        QTest::newRow("read-all") << int(AppLoadingAll);
        QTest::newRow("restore") << int(AppRestoring);
    }
    void exitLeavesOtherStatusesAlone()
    {
        QFETCH(int, appStatus);
        linkUp(*connector);
        open(1);
        appModel().setStatus(appStatus);
        dlg->cmdRefresh();
        QCOMPARE(appModel().status(), appStatus);
        dlg->cmdExit();
        QCOMPARE(appModel().status(), appStatus);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->moduleId(), 0);
    }

    void exitEndsALeftOverUpgradeStatus()
    {
        open(1);
        // The engine is idle; a status 1 left behind is ended by the close.
        appModel().setStatus(AppUpgrading);
        dlg->cmdExit();
        QCOMPARE(appModel().status(), int(AppIdle));
    }

    void portOpenedReachesTheDialogOnItsOwnThread()
    {
        startDownload(offer(1, 2048));
        QCOMPARE(dlg->downloadState(), 1);
        std::thread link([this] {
            const DevEvent up{EvConnected, nullptr};
            dlg->onDevEvent(&up);
        });
        link.join();
        // Nothing changed on the link's thread.
        QCOMPARE(dlg->downloadState(), 1);
        QTRY_COMPARE(dlg->downloadState(), 0);
        QVERIFY(!enabled("buttonUpgrade"));
    }

    void debugKeySequence_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("entries");
        QTest::newRow("the sequence") << "kzzo" << 1;
        QTest::newRow("after noise") << "akzzo" << 1;
        QTest::newRow("restarted by its first key") << "kzkzzo" << 1;
        QTest::newRow("broken") << "kzxzo" << 0;
        QTest::newRow("one repeat short") << "kzo" << 0;
        QTest::newRow("twice") << "kzzokzzo" << 2;
    }
    void debugKeySequence()
    {
        QFETCH(QString, keys);
        QFETCH(int, entries);
        // The slot would open the credentials box; only the signal is watched here.
        disconnect(dlg.get(), &qUpdater::enterDebugMode, dlg.get(), &qUpdater::doEnterDebugMode);
        QSignalSpy spy(dlg.get(), &qUpdater::enterDebugMode);
        dlg->show();
        QTest::keyClick(dlg.get(), Qt::Key_Escape); // a fresh start for the shared state
        dlg->show();
        for (QChar c : keys)
            QTest::keyClick(dlg.get(), c.toLatin1());
        QCOMPARE(spy.count(), entries);
    }

    void debugKeySequenceResetByEscapeAndKeypadEnter()
    {
        disconnect(dlg.get(), &qUpdater::enterDebugMode, dlg.get(), &qUpdater::doEnterDebugMode);
        QSignalSpy spy(dlg.get(), &qUpdater::enterDebugMode);
        dlg->show();
        QTest::keyClick(dlg.get(), 'k');
        QTest::keyClick(dlg.get(), 'z');
        QTest::keyClick(dlg.get(), Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(dlg.get(), 'z');
        QTest::keyClick(dlg.get(), 'o');
        QCOMPARE(spy.count(), 0);
    }

    void debugCredentialsChecked()
    {
        qDebugModeCheckDlg d;
        d.show();
        auto* user = d.findChild<QLineEdit*>(QStringLiteral("lineEditUsername"));
        auto* pass = d.findChild<QLineEdit*>(QStringLiteral("lineEditPassword"));
        auto* tips = d.findChild<QLabel*>(QStringLiteral("label_tips"));
        QCOMPARE(pass->echoMode(), QLineEdit::Password);
        QVERIFY(pass->minimumWidth() >= 170);
        QVERIFY(tips->text().isEmpty());
        d.onOK();
        QCOMPARE(tips->text(), QStringLiteral("User name can not be null"));
        QVERIFY(d.isVisible());
        user->setText(QStringLiteral("tester"));
        d.onOK();
        QCOMPARE(tips->text(), QStringLiteral("Password can not be null"));
        QVERIFY(d.isVisible());
        pass->setText(QStringLiteral("pw"));
        d.onOK();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.userName(), QStringLiteral("tester"));
        QCOMPARE(d.password(), QStringLiteral("pw"));
    }

    void debugModeCancelled()
    {
        dlg->show();
        answerModal<qDebugModeCheckDlg>(this, [](qDebugModeCheckDlg* d) { d->onCancel(); });
        const QString before = status();
        dlg->doEnterDebugMode();
        QCOMPARE(status(), before);
        QCOMPARE(dlg->downloadState(), 0);
    }

    void onlyWebLinksOpen()
    {
        UrlSink sink;
        for (const char* s : {"http", "https", "file", "javascript", "ftp"})
            QDesktopServices::setUrlHandler(QLatin1String(s), &sink, "open");
        dlg->onOpenUrl(QUrl(QStringLiteral("https://example.com/a")));
        dlg->onOpenUrl(QUrl(QStringLiteral("http://example.com/b")));
        dlg->onOpenUrl(QUrl(QStringLiteral("file:///etc/passwd")));
        dlg->onOpenUrl(QUrl(QStringLiteral("javascript:alert(1)")));
        dlg->onOpenUrl(QUrl(QStringLiteral("ftp://example.com/c")));
        for (const char* s : {"http", "https", "file", "javascript", "ftp"})
            QDesktopServices::unsetUrlHandler(QLatin1String(s));
        QCOMPARE(sink.opened, (QList<QUrl>{QUrl("https://example.com/a"), QUrl("http://example.com/b")}));
    }

    void serverTextsStayText()
    {
        FirmwareDataInfo f = offer(1, 2048);
        f.version = QStringLiteral("<img src=x>2.0");
        f.infoUrl = QStringLiteral("javascript:alert(1)");
        startDownload(f);
        auto* v = child<QLabel>("label_version_new");
        QCOMPARE(v->text(), f.version);
        QCOMPARE(v->textFormat(), Qt::PlainText);
        // Not a web address: not loaded.
        QVERIFY(child<HelpView>("webView")->url() != QUrl(f.infoUrl));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestUpdaterDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_updater_dialog.moc"
