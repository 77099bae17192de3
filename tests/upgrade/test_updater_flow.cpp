// The firmware update dialog end to end in one process: the offer from the
// update-server simulator on 127.0.0.1, the download and its checks, the
// confirmation, and the flash into a boot loader behind a test device I/O,
// with every way the flow can fail on the way.
#include "UpdaterFixture.h"
#include "upgrade/FlashLog.h"
#include "online/OnlineTestSupport.h"

#include "app/framework/HelpView.h"
#include "app/framework/qResources.h"
#include "online/DataUploader.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/qDebugModeCheckDlg.h"
#include "upgrade/updater/qUpdater.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <thread>

using namespace kzo::test;

namespace {

constexpr int waitMs = 20000;
constexpr int imageSize = 2048;

QString red(const QString& t) { return QStringLiteral("<div style=\"color: red;\">") + t + QStringLiteral("</div>"); }
QString green(const QString& t) { return QStringLiteral("<div style=\"color: green;\">") + t + QStringLiteral("</div>"); }

void savePicture(QWidget* w, const QString& name)
{
    QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
    QVERIFY(w->grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/") + name));
}

} // namespace

class TestUpdaterFlow : public UpdaterDialogTest {
    Q_OBJECT

    std::unique_ptr<UpdSim> sim;
    std::unique_ptr<EagerDevIo> io;
    std::unique_ptr<UpdaterLoader> loader;
    std::unique_ptr<qConnector> connector;
    std::unique_ptr<orb::DevUpgrade> engine;
    std::unique_ptr<DataUploader> uploader;
    std::unique_ptr<FakeUpgradeHost> host;

    // Simulator, server configuration, a linked device with `l` as its boot loader, the dialog.
    bool start(const QStringList& simArgs, std::unique_ptr<UpdaterLoader> l = std::make_unique<UpdaterLoader>())
    {
        sim = std::make_unique<UpdSim>();
        if (!sim->start(QStringList{"--firmware-size", QString::number(imageSize)} + simArgs))
            return false;
        loader = std::move(l);
        io = std::make_unique<EagerDevIo>(EagerDevIo::AnswerOn::WritingThread,
                                          [this](const EagerDevIo::Bytes& f, int) { return loader->answer(f); });
        connector = std::make_unique<qConnector>();
        engine = std::make_unique<orb::DevUpgrade>();
        io->addListener(engine.get());
        uploader = std::make_unique<DataUploader>();
        QSignalSpy config(uploader.get(), &DataUploader::serverAddressStatus);
        appModel().setValue("request_xml_url", sim->base + QStringLiteral("server_config.xml"));
        uploader->fetchServerConfig();
        if (!config.wait(waitMs) || config.first().first().toInt() != 0)
            return false;
        linkUp(*connector);
        host = std::make_unique<FakeUpgradeHost>();
        dlg = std::make_unique<qUpdater>(host.get());
        return true;
    }

    // Opens the dialog and waits for the download to end either way.
    void openAndDownload()
    {
        open();
        QTRY_VERIFY_WITH_TIMEOUT(dlg->downloadState() != 1 && !status().startsWith(QStringLiteral("Downloading"))
                                     && !status().isEmpty(),
                                 waitMs);
    }

    // The image as the simulator serves it.
    QByteArray servedImage(const QString& fileId = QStringLiteral("mc-2.0.0.0"))
    {
        return downloadImage(sim->base + QStringLiteral("download"), fileId, waitMs);
    }

    // The simulator's offer for the main controller, taken while the dialog is hidden.
    FirmwareDataInfo serverOffer()
    {
        QList<FirmwareDataInfo> got;
        auto c = connect(uploader.get(), &DataUploader::firmwareCheckResult, this,
                         [&got](FirmwareDataInfo& i) { got << i; });
        uploader->requestFirmware(1);
        const bool answered = QTest::qWaitFor([&] { return !got.isEmpty(); }, waitMs);
        disconnect(c);
        return answered ? got.first() : FirmwareDataInfo{};
    }

    // Stops the dialog's 100 ms poll so a test can call refreshProgress() itself.
    void pollsByHand()
    {
        auto* timer = dlg->findChild<QTimer*>(QStringLiteral("progressTimer"));
        QVERIFY(timer && timer->isActive());
        timer->stop();
    }

    // A download finished and accepted, the dialog showing with Upgrade enabled.
    void readyToUpgrade()
    {
        openAndDownload();
        QCOMPARE(status(), green(QStringLiteral("Download successfully!")));
        QCOMPARE(dlg->downloadState(), 2);
        QVERIFY(enabled("buttonUpgrade"));
    }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
        QVERIFY(QFileInfo::exists(QStringLiteral(KZO_BIN_DIR "/kzo-updsim")));
    }

    void init()
    {
        QFile::remove(kzo::upgrade::flashLogPath()); // each test reads only its own entries
        for (const char* k : {"request_xml_url", "firmware_update_server_url", "firmware_download_server_url", "sn",
                              "hwid_mc", "receiver_freq"})
            appModel().setValue(k, QString());
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("fw_mc", QStringLiteral("1.0.0.0"));
        appModel().setValue("ssid", QStringLiteral("S-test"));
        appModel().setStatus(AppIdle);
    }

    void cleanup()
    {
        dlg.reset();
        host.reset();
        uploader.reset();
        engine.reset();
        connector.reset();
        io.reset();
        loader.reset();
        sim.reset();
        appModel().setStatus(AppIdle);
    }

    // ---- download ----

    void downloadChecked_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("as offered") << QStringList{} << true << "Download [KG1_mc] Success:2048 bytes\n";
        QTest::newRow("one byte short of the offer") << QStringList{"--fault", "bad-size@download"} << false
                                                     << "Download error:2048,real size=2047\n";
        QTest::newRow("digest differs") << QStringList{"--fault", "bad-md5@firmware"}
                                        << false << "Download error:2048,real size=2048\n";
    }
    void downloadChecked()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, accepted);
        QFETCH(QString, logLine);
        QVERIFY(start(faults));
        LogCapture log;
        openAndDownload();
        QVERIFY2(log.text().contains(logLine), qPrintable(log.text()));
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(shown("label_4"));
        QCOMPARE(child<QLabel>("label_version_new")->text(), QStringLiteral("2.0.0.0"));
        if (accepted) {
            QCOMPARE(status(), green(QStringLiteral("Download successfully!")));
            QCOMPARE(dlg->downloadState(), 2);
            QVERIFY(enabled("buttonUpgrade"));
        } else {
            QCOMPARE(status(), red(QStringLiteral("Download error! Please")));
            QCOMPARE(dlg->downloadState(), 0);
            QVERIFY(!enabled("buttonUpgrade"));
        }
        QCOMPARE(sim->count(QStringLiteral("request: POST /download")), 1);
    }

    void downloadCheckedAgainstTheOffer_data()
    {
        QTest::addColumn<int>("sizeChange");
        QTest::addColumn<QString>("checksum"); // "real", "upper" or the text itself
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty checksum accepts") << 0 << "" << green("Download successfully!");
        QTest::newRow("upper-case checksum never matches") << 0 << "upper" << red("Download error! Please");
        QTest::newRow("image one byte short") << 1 << "" << red("Download error! Please");
        QTest::newRow("more bytes than offered") << -1 << "" << red("Network error, Please ");
    }
    void downloadCheckedAgainstTheOffer()
    {
        QFETCH(int, sizeChange);
        QFETCH(QString, checksum);
        QFETCH(QString, expected);
        QVERIFY(start({}));
        FirmwareDataInfo f = serverOffer();
        QCOMPARE(f.size, imageSize);
        QCOMPARE(f.checksum, QString::fromLatin1(QCryptographicHash::hash(servedImage(), QCryptographicHash::Md5).toHex()));
        f.size += sizeChange;
        f.checksum = checksum == QLatin1String("upper") ? f.checksum.toUpper() : checksum;
        QVERIFY(dlg->setModuleId(1));
        dlg->show();
        dlg->onFirmwareCheckResult(f);
        QCOMPARE(dlg->downloadState(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->downloadState() != 1, waitMs);
        QCOMPARE(status(), expected);
        QCOMPARE(enabled("buttonUpgrade"), expected == green("Download successfully!"));
        QVERIFY(shown("buttonRefresh"));
    }

    void downloadFailuresAreNetworkErrors_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("fileId");
        QTest::newRow("cut short") << QStringList{"--fault", "cut@download"} << "mc-2.0.0.0";
        QTest::newRow("stands still") << QStringList{"--fault", "stall@download"} << "mc-2.0.0.0";
        QTest::newRow("never answered") << QStringList{"--fault", "hang@download"} << "mc-2.0.0.0";
        QTest::newRow("larger than any image") << QStringList{"--fault", "oversize@download"} << "mc-2.0.0.0";
        QTest::newRow("HTTP error status") << QStringList{} << "no-such-file";
    }
    void downloadFailuresAreNetworkErrors()
    {
        QFETCH(QStringList, faults);
        QFETCH(QString, fileId);
        QVERIFY(start(faults));
        dlg->setDownloadStallTimeout(500);
        FirmwareDataInfo f = serverOffer();
        f.fileId = fileId;
        QVERIFY(dlg->setModuleId(1));
        dlg->show();
        LogCapture log;
        dlg->onFirmwareCheckResult(f);
        QTRY_VERIFY_WITH_TIMEOUT(dlg->downloadState() != 1, waitMs);
        // Whatever arrives after the error does not replace it.
        QTest::qWait(50);
        QCOMPARE(status(), red(QStringLiteral("Network error, Please ")));
        QCOMPARE(dlg->downloadState(), 0);
        QVERIFY(shown("buttonRefresh"));
        QVERIFY(!enabled("buttonUpgrade"));
        QVERIFY(log.text().contains(QStringLiteral("Network error : ")));
        // Refresh starts over and this time the offer is downloaded whole.
        if (faults.isEmpty()) {
            dlg->cmdRefresh();
            QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 2, waitMs);
        }
    }

    void downloadProgressShows()
    {
        QVERIFY(start({"--fault", "trickle@download", "--slow-ms", "150"}));
        open();
        // Some piece has arrived, not all of them.
        auto percent = [this] {
            const QString s = status();
            return s.startsWith(QStringLiteral("Downloading ... ")) ? s.mid(16).chopped(1).toInt() : -1;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(percent() > 0 && percent() < 100, qPrintable(status()), waitMs);
        QCOMPARE(dlg->downloadState(), 1);
        QVERIFY(!dlg->setModuleId(2));
        savePicture(dlg.get(), QStringLiteral("updater-downloading.png"));
        QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 2, waitMs);
        savePicture(dlg.get(), QStringLiteral("updater-offer.png"));
    }

    // ---- checking ----

    void checkAlreadyInFlightIsAwaited()
    {
        QVERIFY(start({"--fault", "slow@firmware", "--slow-ms", "800"}));
        // The page asked first; the dialog opens while that answer is on its way.
        QVERIFY(uploader->requestFirmware(1));
        open();
        QVERIFY(child<HelpView>("webView")->html().contains(
            QStringLiteral("Checking for Main Controller firmware updates, please wait...")));
        QVERIFY(!status().contains(QStringLiteral("Network error")));
        QVERIFY(!shown("buttonRefresh"));
        QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 2, waitMs);
        QCOMPARE(sim->count(QStringLiteral("request: POST /firmware")), 1);
    }

    void loginFromTheDialog_data()
    {
        QTest::addColumn<bool>("signsIn");
        QTest::newRow("signed in: the dialog checks at once") << true;
        QTest::newRow("not signed in: Refresh to try again") << false;
    }
    void loginFromTheDialog()
    {
        QFETCH(bool, signsIn);
        QVERIFY(start({}));
        appModel().setValue("ssid", QString());
        host->onLogin = [signsIn] {
            if (signsIn)
                appModel().setValue("ssid", QStringLiteral("S-new"));
        };
        open();
        QCOMPARE(host->loginRequests, 1);
        if (signsIn) {
            QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 2, waitMs);
            QVERIFY(sim->log().contains(QStringLiteral("  item: ssid=S-new")));
        } else {
            QVERIFY(shown("buttonRefresh"));
            QVERIFY(enabled("buttonRefresh"));
            QTest::qWait(100);
            QCOMPARE(sim->count(QStringLiteral("request: POST /firmware")), 0);
        }
    }

    // ---- upgrade ----

    void upgradeFlashesTheServedImage()
    {
        QVERIFY(start({}));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::Yes);
        boxes.beforeAnswer = [this](const kzo::ui::BoxRequest& b) {
            if (b.title == QLatin1String("Success"))
                savePicture(dlg.get(), QStringLiteral("updater-success.png"));
        };
        QTest::mouseClick(child<QPushButton>("buttonUpgrade"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dlg->isVisible(), waitMs);
        // The fake loader keeps no parameter memory: the copy before the
        // main controller's upgrade fails and the user chose to go on.
        QCOMPARE(boxes.titles(), (QStringList{"Warning", "Parameter backup", "Success"}));
        QVERIFY2(boxes.boxes[1].text.contains(QStringLiteral("could not be saved")), qPrintable(boxes.boxes[1].text));
        QCOMPARE(boxes.boxes[1].defaultButton, QMessageBox::No);
        const auto logged = kzo::upgrade::readFlashLog(kzo::upgrade::flashLogPath(), 10);
        QCOMPARE(int(logged.size()), 1);
        QCOMPARE(logged.back().module, QStringLiteral("mc"));
        QCOMPARE(logged.back().outcome, QStringLiteral("ok"));
        QVERIFY2(logged.back().image.startsWith(QStringLiteral("server ")), qPrintable(logged.back().image));
        const kzo::ui::BoxRequest& ask = boxes.boxes[0];
        QCOMPARE(ask.text, qResources::get().upgradeQuestion);
        QCOMPARE(ask.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(ask.defaultButton, QMessageBox::No);
        QCOMPARE(ask.escapeButton, QMessageBox::No);
        QCOMPARE(boxes.boxes[2].text, QStringLiteral("Upgrade success! Please power cycle device!"));
        QCOMPARE(status(), green(QStringLiteral("Upgrade success! Please power cycle device!")));
        std::vector<uint8_t> flashed = loader->received();
        QVERIFY(flashed.size() >= size_t(imageSize));
        flashed.resize(imageSize);
        const QByteArray served = servedImage();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(flashed.data()), imageSize), served);
        QCOMPARE(host->firmwareMatches, 1);
        QCOMPARE(dlg->moduleId(), 0);
        QCOMPARE(appModel().status(), int(AppIdle));
    }

    void upgradeNotConfirmed()
    {
        QVERIFY(start({}));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::No);
        dlg->cmdUpgrade();
        QCOMPARE(boxes.titles(), QStringList{"Warning"});
        QVERIFY(io->written().empty());
        QCOMPARE(dlg->downloadState(), 2);
        QVERIFY(enabled("buttonUpgrade"));
        QVERIFY(enabled("buttonExit"));
    }

    void upgradeRechecksAfterTheQuestion_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("device unplugged") << "unplug";
        QTest::newRow("dialog hidden") << "hide";
        QTest::newRow("port opened again") << "reopen";
    }
    void upgradeRechecksAfterTheQuestion()
    {
        QFETCH(QString, meanwhile);
        QVERIFY(start({}));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::Yes);
        boxes.beforeAnswer = [this, meanwhile](const kzo::ui::BoxRequest&) {
            if (meanwhile == QLatin1String("unplug")) {
                linkDown(*connector);
            } else if (meanwhile == QLatin1String("hide")) {
                dlg->hide();
            } else {
                std::thread link([this] {
                    const DevEvent up{EvConnected, nullptr};
                    dlg->onDevEvent(&up);
                });
                link.join();
                QCoreApplication::processEvents();
            }
        };
        dlg->cmdUpgrade();
        QCOMPARE(boxes.titles(), QStringList{"Warning"});
        QVERIFY(io->written().empty());
        QVERIFY(engine->isIdle());
        QVERIFY(!dlg->isUpgrading());
        if (meanwhile == QLatin1String("unplug"))
            QCOMPARE(status(), red(QStringLiteral("Please connect to the controller!")));
    }

    // An image is only ever flashed into the module it was offered for.
    void imageBoundToItsModule()
    {
        QVERIFY(start({}));
        readyToUpgrade();
        QVERIFY(!dlg->setModuleId(2)); // shown
        dlg->hide();
        QVERIFY(dlg->setModuleId(2));
        QCOMPARE(dlg->downloadState(), 0);
        dlg->show();
        BoxRecorder boxes(QMessageBox::Yes);
        dlg->cmdUpgrade();
        QVERIFY(boxes.boxes.isEmpty());
        QVERIFY(io->written().empty());
        QVERIFY(!dlg->isUpgrading());
        QVERIFY(!enabled("buttonUpgrade"));
    }

    // Stopping at the failed parameter copy sends no image byte and logs the refusal.
    void failedBackupAndStopFlashesNothing()
    {
        QVERIFY(start({}));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::Yes);
        boxes.beforeAnswer = [&boxes](const kzo::ui::BoxRequest& b) {
            boxes.answer = b.title == QLatin1String("Parameter backup") ? QMessageBox::No : QMessageBox::Yes;
        };
        dlg->cmdUpgrade();
        QCOMPARE(boxes.titles(), (QStringList{"Warning", "Parameter backup"}));
        QVERIFY(!dlg->isUpgrading());
        QVERIFY(loader->received().empty());
        QVERIFY(engine->isIdle());
        const auto logged = kzo::upgrade::readFlashLog(kzo::upgrade::flashLogPath(), 10);
        QCOMPARE(int(logged.size()), 1);
        QVERIFY2(logged.back().outcome.startsWith(QStringLiteral("refused: ")), qPrintable(logged.back().outcome));
    }

    void upgradeRefusedByTheLoader()
    {
        QVERIFY(start({}, std::make_unique<UpdaterLoader>(UpdaterLoader::Mode::RefuseAfter, 2)));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::Yes);
        QStringList seen;
        boxes.beforeAnswer = [this, &seen](const kzo::ui::BoxRequest& b) {
            seen << status();
            if (b.title == QLatin1String("Failure"))
                savePicture(dlg.get(), QStringLiteral("updater-failure.png"));
        };
        dlg->cmdUpgrade();
        QVERIFY(dlg->isUpgrading());
        // The polls are driven here, so the engine's error shows before the outcome.
        pollsByHand();
        QTRY_COMPARE_WITH_TIMEOUT(status(), red(QStringLiteral("Upgrade Error!")), waitMs);
        QVERIFY(!shown("progressBar"));
        QVERIFY(engine->isIdle());
        dlg->refreshProgress();
        QVERIFY(!dlg->isVisible());
        QCOMPARE(boxes.titles(), (QStringList{"Warning", "Parameter backup", "Failure"}));
        QCOMPARE(boxes.boxes[2].icon, QMessageBox::Critical);
        const QString failure = QStringLiteral("Upgrade failure! Please power cycle device and try again!");
        QCOMPARE(boxes.boxes[2].text, failure);
        const auto logged = kzo::upgrade::readFlashLog(kzo::upgrade::flashLogPath(), 10);
        QCOMPARE(int(logged.size()), 1);
        QVERIFY2(logged.back().outcome.startsWith(QStringLiteral("failed: ")), qPrintable(logged.back().outcome));
        QCOMPARE(seen.last(), red(failure));
        QCOMPARE(host->firmwareMatches, 0);
        QCOMPARE(appModel().status(), int(AppIdle));
    }

    // A loader that goes silent mid-way: nothing interrupts the transfer,
    // and the dialog's own stall detection ends it after 161 unchanged polls.
    void upgradeStallsAndNothingInterruptsIt()
    {
        QVERIFY(start({}, std::make_unique<UpdaterLoader>(UpdaterLoader::Mode::FallSilentAfter, 3)));
        readyToUpgrade();
        BoxRecorder boxes(QMessageBox::Yes);
        dlg->cmdUpgrade();
        QVERIFY(dlg->isUpgrading());
        QCOMPARE(appModel().status(), int(AppUpgrading));
        // The engine's own timer sends the first packet; the dialog's polls are
        // driven here once the loader has gone silent.
        pollsByHand();
        QTRY_VERIFY_WITH_TIMEOUT(loader->received().size() == 3 * 256, waitMs);
        QVERIFY(!engine->isIdle());
        const int stuck = engine->progress();
        QVERIFY2(stuck > 0 && stuck < 100, qPrintable(QString::number(stuck)));
        QVERIFY(!enabled("buttonExit"));
        QVERIFY(!enabled("buttonUpgrade"));
        QVERIFY(!shown("buttonRefresh"));
        QCOMPARE(status(), QStringLiteral("Upgrading ,please wait..."));

        dlg->refreshProgress(); // sees the progress change
        auto* bar = child<QProgressBar>("progressBar");
        QVERIFY(shown("progressBar"));
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), stuck);
        savePicture(dlg.get(), QStringLiteral("updater-upgrading.png"));

        // Nothing closes the dialog or changes its module meanwhile.
        dlg->reject();
        QTest::keyClick(dlg.get(), Qt::Key_Escape);
        dlg->close();
        dlg->cmdExit();
        QVERIFY(dlg->isVisible());
        QVERIFY(!dlg->setModuleId(2));
        QCOMPARE(dlg->moduleId(), 1);
        linkDown(*connector);
        linkUp(*connector);
        QVERIFY(dlg->isVisible());
        QVERIFY(!enabled("buttonExit"));
        dlg->cmdRefresh();
        QVERIFY(!engine->isIdle());
        QCOMPARE(appModel().status(), int(AppUpgrading));
        // An offer arriving now starts nothing.
        FirmwareDataInfo offer;
        offer.deviceId = 1;
        offer.version = QStringLiteral("9.9");
        offer.size = imageSize;
        offer.fileId = QStringLiteral("mc-2.0.0.0");
        dlg->onFirmwareCheckResult(offer);
        QCOMPARE(child<QLabel>("label_version_new")->text(), QStringLiteral("2.0.0.0"));
        QCOMPARE(status(), QStringLiteral("Upgrading ,please wait..."));
        QCOMPARE(sim->count(QStringLiteral("request: POST /download")), 1);
        QCOMPARE(boxes.titles(), (QStringList{"Warning", "Parameter backup"}));

        // 160 more unchanged polls are still within the limit, the 161st is not.
        for (int i = 0; i < 160; ++i)
            dlg->refreshProgress();
        QCOMPARE(status(), QStringLiteral("Upgrading ,please wait..."));
        QVERIFY(!engine->isIdle());
        dlg->refreshProgress();
        QCOMPARE(status(), red(QStringLiteral("Upgrade timeout! Please power cycle device and try again!")));
        QVERIFY(!shown("progressBar"));
        QVERIFY(shown("label_Result"));
        QVERIFY(engine->isIdle());
        QVERIFY(dlg->isVisible());
        // The next poll reports the failure and closes.
        dlg->refreshProgress();
        QCOMPARE(boxes.titles(), (QStringList{"Warning", "Parameter backup", "Failure"}));
        QVERIFY(!dlg->isVisible());
        QCOMPARE(host->firmwareMatches, 0);
        QCOMPARE(appModel().status(), int(AppIdle));
        QCOMPARE(dlg->moduleId(), 0);
    }

    // ---- debug mode ----

    void debugModeOffer_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("outcome"); // status text, or the log line of a reply that is none
        QTest::newRow("known user") << QStringList{} << "secret1" << green("Download successfully!");
        QTest::newRow("wrong password") << QStringList{} << "nope" << red("Test: Username or Password Error!");
        QTest::newRow("empty reply") << QStringList{"--fault", "empty@firmware"} << "secret1" << "Nothing received!\n";
        QTest::newRow("cut reply") << QStringList{"--fault", "cut@firmware"} << "secret1"
                                   << red("Network error, Please ");
    }
    void debugModeOffer()
    {
        QFETCH(QStringList, faults);
        QFETCH(QString, password);
        QFETCH(QString, outcome);
        QVERIFY(start(faults));
        QVERIFY(dlg->setModuleId(1));
        dlg->show();
        LogCapture log;
        answerModal<qDebugModeCheckDlg>(this, [password](qDebugModeCheckDlg* d) {
            d->findChild<QLineEdit*>(QStringLiteral("lineEditUsername"))->setText(QStringLiteral("pilot@example.com"));
            d->findChild<QLineEdit*>(QStringLiteral("lineEditPassword"))->setText(password);
            d->onOK();
        });
        for (char c : {'k', 'z', 'z', 'o'})
            QTest::keyClick(dlg.get(), c);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains(QStringLiteral("  item: debug=1")), waitMs);
        QVERIFY(sim->log().contains(QStringLiteral("  item: series=KG1_mc")));
        QVERIFY(sim->log().contains(QStringLiteral("  item: user=pilot@example.com")));
        if (outcome == green("Download successfully!")) {
            QTRY_COMPARE_WITH_TIMEOUT(dlg->downloadState(), 2, waitMs);
            QCOMPARE(status(), outcome);
        } else if (outcome.endsWith('\n')) {
            QTRY_VERIFY_WITH_TIMEOUT(log.text().contains(outcome), waitMs);
            QCOMPARE(dlg->downloadState(), 0);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(status(), outcome, waitMs);
            QCOMPARE(dlg->downloadState(), 0);
        }
        // Never left without anything to press.
        QVERIFY(shown("buttonRefresh"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestUpdaterFlow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_updater_flow.moc"
