// The update-server client against kzo-updsim over HTTP on 127.0.0.1: server
// configuration, software, firmware, document and newsletter checks, their
// empty and parse-failure paths, request bodies and log lines.
#include "OnlineTestSupport.h"
#include "support/FileTree.h"

#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "online/VersionCompare.h"

#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSettings>
#include <QtTest>

#include <memory>

using kzo::test::listing;
using kzo::test::writeFile;

namespace {

constexpr int waitMs = 20000;
// Time-outs the tests set, and how long they wait for one to fire.
constexpr int shortTimeoutMs = 400;
constexpr int timeoutWaitMs = 6000;

const char* const resetKeys[] = {
    "login_server_url", "reg_server_url", "forget_password_url", "software_update_server_url",
    "firmware_update_server_url", "firmware_download_server_url", "doc_update_url", "news_update_url",
    "query_info_url", "online_help_main_url", "online_help_tools_url", "online_help_info_url", "request_xml_url",
    "sn", "receiver_freq", "hwid_mc", "fw_mc", "hwid_imu", "fw_imu", "hwid_receiver", "fw_receiver", "hwid_cmu",
    "fw_cmu"};

// A text ending in a line break is printed as it is; any other is a whole
// logger line tagged "Network".
bool hasLogged(const LogCapture& log, const QString& text)
{
    return text.endsWith('\n') ? log.text().contains(text) : log.hasLine(QStringLiteral("Network"), text);
}

} // namespace

class TestOnlineUploader : public QObject {
    Q_OBJECT

    std::unique_ptr<UpdSim> sim;
    std::unique_ptr<DataUploader> up;
    QStringList events; // signal names in emission order
    QList<int> statuses;
    QList<SoftwareInfo> software;
    QList<FirmwareDataInfo> firmware;
    QList<QPair<QString, int>> news;
    QList<QPair<QString, QString>> latest;

    void makeUploader()
    {
        up = std::make_unique<DataUploader>();
        connect(up.get(), &DataUploader::serverAddressStatus, this, [this](int s) {
            events << QStringLiteral("status");
            statuses << s;
        });
        connect(up.get(), &DataUploader::softwareCheckResult, this, [this](SoftwareInfo& i) {
            events << QStringLiteral("software");
            software << i;
        });
        connect(up.get(), &DataUploader::firmwareCheckResult, this, [this](FirmwareDataInfo& i) {
            events << QStringLiteral("firmware");
            firmware << i;
        });
        connect(up.get(), &DataUploader::showNewsLetter, this, [this](const QString& url, int v) {
            events << QStringLiteral("news");
            news << qMakePair(url, v);
        });
        connect(up.get(), &DataUploader::currentVersionDisabled, this, [this] { events << QStringLiteral("disabled"); });
        connect(up.get(), &DataUploader::latestVersion, this, [this](const QString& fw, const QString& sw) {
            events << QStringLiteral("latest");
            latest << qMakePair(fw, sw);
        });
    }

    // Starts the simulator and points the configuration address at it.
    bool startSim(const QStringList& args = {})
    {
        sim = std::make_unique<UpdSim>();
        if (!sim->start(args))
            return false;
        appModel().setValue("request_xml_url", sim->base + QStringLiteral("server_config.xml"));
        return true;
    }

    // Starts the simulator and applies its configuration document.
    bool startConfigured(const QStringList& args = {})
    {
        if (!startSim(args))
            return false;
        up->fetchServerConfig();
        if (!QTest::qWaitFor([this] { return !statuses.isEmpty(); }, waitMs))
            return false;
        const bool ok = statuses == QList<int>{0};
        events.clear();
        statuses.clear();
        return ok;
    }

    QString url(const char* path) const { return sim->base + QLatin1String(path); }

    QByteArray download(const QString& fileId)
    {
        return downloadImage(appModel().value("firmware_download_server_url"), fileId, waitMs);
    }

private slots:
    void initTestCase()
    {
        actAsTheProgramOnLoopback();
        QVERIFY(QFileInfo::exists(QStringLiteral(KZO_BIN_DIR "/kzo-updsim")));
    }

    void init()
    {
        clearAppData();
        for (const char* k : resetKeys)
            appModel().setValue(k, QString());
        appModel().setValue("language", QStringLiteral("en_US"));
        appModel().setValue("series", QStringLiteral("KG1"));
        appModel().setValue("software", QStringLiteral("1.00"));
        appModel().setValue("doc_version", QStringLiteral("0"));
        appModel().setValue("ssid", QStringLiteral("S-test"));
        appModel().setStatus(AppIdle);
        events.clear();
        statuses.clear();
        software.clear();
        firmware.clear();
        news.clear();
        latest.clear();
        makeUploader();
    }

    void cleanup()
    {
        up.reset();
        sim.reset();
    }

    // ---- server configuration ----

    void serverConfig_appliesAddresses_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("helpSuffix");
        QTest::newRow("two matching children: the last wins") << "en_US" << "help/en_US/%1_latest";
        QTest::newRow("one matching child") << "zh_CN" << "help/zh_CN/%1";
        QTest::newRow("no matching child: the first") << "de_DE" << "help/%1";
    }
    void serverConfig_appliesAddresses()
    {
        QFETCH(QString, language);
        QFETCH(QString, helpSuffix);
        appModel().setValue("language", language);
        LogCapture log;
        QVERIFY(startSim());
        QVERIFY(!up->isServerConfigReady());
        up->fetchServerConfig();
        QTRY_COMPARE_WITH_TIMEOUT(statuses, QList<int>{0}, waitMs);
        QVERIFY(up->isServerConfigReady());
        QCOMPARE(appModel().value("login_server_url"), url("login"));
        QCOMPARE(appModel().value("reg_server_url"), url("register/") + language);
        QCOMPARE(appModel().value("forget_password_url"), url("forgot/") + language);
        QCOMPARE(appModel().value("software_update_server_url"), url("software"));
        QCOMPARE(appModel().value("firmware_update_server_url"), url("firmware"));
        QCOMPARE(appModel().value("firmware_download_server_url"), url("download"));
        QCOMPARE(appModel().value("doc_update_url"), url("doc"));
        QCOMPARE(appModel().value("news_update_url"), url("news"));
        QCOMPARE(appModel().value("query_info_url"), url("query"));
        QCOMPARE(appModel().value("online_help_main_url"), sim->base + helpSuffix.arg("main"));
        QCOMPARE(appModel().value("online_help_tools_url"), sim->base + helpSuffix.arg("tools"));
        QCOMPARE(appModel().value("online_help_info_url"), sim->base + helpSuffix.arg("info"));
        QVERIFY(log.hasLine("Network", "Fetching Server config ..."));
        QVERIFY(log.hasLine("Network", "[0] ---- Network Reply OK!"));
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("request: GET /server_config.xml\nresponse:"), waitMs);
    }

    void serverConfig_percentEncodedMarkup()
    {
        QVERIFY(startConfigured({"--fault", "percent@config"}));
        QCOMPARE(appModel().value("login_server_url"), url("login"));
        QCOMPARE(appModel().value("online_help_main_url"), url("help/en_US/main_latest"));
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("[percent]"), waitMs);
    }

    void serverConfig_withoutLoginUrlChangesNothing()
    {
        QVERIFY(startSim({"--no-login-url"}));
        appModel().setValue("software_update_server_url", "kept");
        appModel().setValue("online_help_main_url", "kept-help");
        up->fetchServerConfig();
        QTRY_COMPARE_WITH_TIMEOUT(statuses, QList<int>{1}, waitMs);
        QVERIFY(!up->isServerConfigReady());
        QCOMPARE(appModel().value("login_server_url"), QString());
        QCOMPARE(appModel().value("reg_server_url"), QString());
        QCOMPARE(appModel().value("software_update_server_url"), QStringLiteral("kept"));
        QCOMPARE(appModel().value("online_help_main_url"), QStringLiteral("kept-help"));
    }

    void serverConfig_failures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("empty body") << "empty@config" << "[0]Nothing received!";
        QTest::newRow("malformed") << "malformed@config" << "replay = 0 ::XML parse error!\n";
        QTest::newRow("cut") << "cut@config" << "[type = 0]Network Exception!!!";
        QTest::newRow("oversize") << "oversize@config" << "[0]Reply larger than 1048576 bytes dropped!";
    }
    void serverConfig_failures()
    {
        QFETCH(QString, fault);
        QFETCH(QString, expectedText);
        LogCapture log;
        QVERIFY(startSim({"--fault", fault}));
        up->fetchServerConfig();
        QTRY_COMPARE_WITH_TIMEOUT(statuses, QList<int>{1}, waitMs);
        QVERIFY2(hasLogged(log, expectedText), qPrintable(log.text()));
        QVERIFY(!up->isServerConfigReady());
        QCOMPARE(appModel().value("login_server_url"), QString());
        // Exactly one status per reply.
        QTest::qWait(200);
        QCOMPARE(statuses.size(), 1);
    }

    void serverConfig_failureStatusLinesExact()
    {
        LogCapture log;
        QVERIFY(startSim({"--fault", "empty@config"}));
        up->fetchServerConfig();
        QTRY_COMPARE_WITH_TIMEOUT(statuses, QList<int>{1}, waitMs);
        QVERIFY(log.hasLine("Network", "[0]Nothing received!"));
        QVERIFY(!log.text().contains("Network Reply OK"));
    }

    void serverConfig_withoutAddressSendsNothing()
    {
        LogCapture log;
        up->fetchServerConfig();
        QTest::qWait(200);
        QCOMPARE(log.text(), QStringLiteral("Server URL1 can not be null! \n"));
        QVERIFY(statuses.isEmpty());
    }

    // ---- software check ----

    void software_offers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("expectedEvents");
        QTest::addColumn<bool>("mustUpdate");
        QTest::addColumn<QString>("statusText");
        QTest::newRow("status 0") << QStringList{"--software-status", "0"} << QStringList{"latest", "software"} << false << "0";
        QTest::newRow("status 1: must update") << QStringList{"--software-status", "1"} << QStringList{"latest", "software"}
                                               << true << "1";
        QTest::newRow("status 2: disabled") << QStringList{"--software-status", "2"}
                                            << QStringList{"latest", "disabled", "software"} << false << "2";
    }
    void software_offers()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, expectedEvents);
        QFETCH(bool, mustUpdate);
        QFETCH(QString, statusText);
        QVERIFY(startConfigured(args + QStringList{"--software-latest", "1.10", "--firmware-version", "2.1.0.0"}));
        LogCapture log;
        up->requestSoftware();
        QTRY_COMPARE_WITH_TIMEOUT(software.size(), 1, waitMs);
        QCOMPARE(events, expectedEvents);
        QCOMPARE(latest.value(0), qMakePair(QStringLiteral("2.1.0.0"), QStringLiteral("1.10")));
        const SoftwareInfo& i = software[0];
        QCOMPARE(i.version, QStringLiteral("1.10"));
        QCOMPARE(i.note, url("notes/1.10.html"));
        QCOMPARE(i.url, url("downloads/"));
        QCOMPARE(i.mustUpdate, mustUpdate);
        QVERIFY(log.text().contains(QStringLiteral("software :ver=1.10,note=%1,url=%2,status=%3\n")
                                        .arg(url("notes/1.10.html"), url("downloads/"), statusText)));
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("  body: ssid=S-test&series=KG1&software=1.00\n"), waitMs);
    }

    void software_noUpdate()
    {
        QVERIFY(startConfigured({"--software-latest", "1.00"}));
        LogCapture log;
        up->requestSoftware();
        QTRY_COMPARE_WITH_TIMEOUT(software.size(), 1, waitMs);
        QCOMPARE(events, QStringList({"latest", "software"}));
        QVERIFY(software[0].version.isEmpty() && software[0].note.isEmpty() && software[0].url.isEmpty());
        QVERIFY(!software[0].mustUpdate);
        QVERIFY(log.text().contains("no software updates!\n"));
    }

    void software_emptyAndBroken_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("expectedEvents");
        QTest::newRow("empty: an empty result") << "empty@software" << QStringList{"software"};
        QTest::newRow("malformed: a failed result") << "malformed@software" << QStringList{"software"};
    }
    void software_emptyAndBroken()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, expectedEvents);
        QVERIFY(startConfigured({"--fault", fault}));
        LogCapture log;
        up->requestSoftware();
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains("Nothing received!") || log.text().contains("XML parse error"),
                                 waitMs);
        QTest::qWait(100);
        QCOMPARE(events, expectedEvents);
        QVERIFY(software[0].version.isEmpty() && !software[0].mustUpdate);
        // Neither an empty nor an unreadable reply is an answer.
        QVERIFY(software[0].failed);
        QVERIFY(log.hasLine("Network", "[16]Nothing received!") || log.text().contains("replay = 16 ::XML parse error!\n"));
        QVERIFY(up->isReplyFinished(DataUploader::ReplySoftware));
    }

    void software_paddedFieldsAreTrimmed_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("expectedEvents");
        QTest::addColumn<bool>("mustUpdate");
        QTest::newRow("status 1: must update") << 1 << QStringList{"latest", "software"} << true;
        QTest::newRow("status 2: disabled") << 2 << QStringList{"latest", "disabled", "software"} << false;
    }
    void software_paddedFieldsAreTrimmed()
    {
        QFETCH(int, status);
        QFETCH(QStringList, expectedEvents);
        QFETCH(bool, mustUpdate);
        QVERIFY(startConfigured({"--fault", "padded@software", "--software-status", QString::number(status),
                                 "--software-latest", "1.10", "--firmware-version", "2.1.0.0"}));
        up->requestSoftware();
        QTRY_COMPARE_WITH_TIMEOUT(software.size(), 1, waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("[padded]"), waitMs);
        QCOMPARE(events, expectedEvents);
        QCOMPARE(latest.value(0), qMakePair(QStringLiteral("2.1.0.0"), QStringLiteral("1.10")));
        QCOMPARE(software[0].version, QStringLiteral("1.10"));
        QCOMPARE(software[0].note, url("notes/1.10.html"));
        QCOMPARE(software[0].url, url("downloads/"));
        QCOMPARE(software[0].mustUpdate, mustUpdate);
    }

    void software_withoutAddressSendsNothing()
    {
        LogCapture log;
        up->requestSoftware();
        QTest::qWait(100);
        QCOMPARE(log.text(), QStringLiteral("Server URL3 can not be null!\n"));
        QVERIFY(events.isEmpty());
    }

    void software_secondRequestSupersedesFirst()
    {
        QVERIFY(startConfigured({"--fault", "slow@software", "--slow-ms", "800"}));
        LogCapture log;
        up->requestSoftware();
        up->requestSoftware();
        QTRY_COMPARE_WITH_TIMEOUT(software.size(), 1, waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", "Unknown Reply Type !"), waitMs);
        QTest::qWait(200);
        QCOMPARE(software.size(), 1);
    }

    // ---- firmware check ----

    void firmware_mainControllerOfferAndImage()
    {
        QVERIFY(startConfigured({"--firmware-version", "2.0.0.0", "--firmware-size", "3000"}));
        appModel().setValue("hwid_mc", QStringLiteral("HW 1/a"));
        appModel().setValue("fw_mc", QStringLiteral("1.0.0.0"));
        LogCapture log;
        QVERIFY(up->requestFirmware(1));
        QVERIFY(!up->isReplyFinished(1));
        QVERIFY(log.hasLine("Network", "Checking new firmware...,_DeviceId = 1"));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        QVERIFY(up->isReplyFinished(1));
        const FirmwareDataInfo& f = firmware[0];
        QCOMPARE(f.deviceId, 1);
        QCOMPARE(f.version, QStringLiteral("2.0.0.0"));
        QCOMPARE(f.fileId, QStringLiteral("mc-2.0.0.0"));
        QCOMPARE(f.size, 3000);
        QVERIFY(f.infoUrl.startsWith(url("query?id=")));
        QVERIFY(f.infoUrl.endsWith("&type=0&language=en_US"));
        QTRY_VERIFY_WITH_TIMEOUT(
            sim->log().contains("  body: sn=&hwid=HW%201%2Fa&firmware=1.0.0.0&series=KG1_mc&ssid=S-test&software=1.00\n"),
            waitMs);
        // The announced size and digest describe the image served for the file id.
        const QByteArray image = download(f.fileId);
        QCOMPARE(image.size(), f.size);
        QCOMPARE(QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex()), f.checksum);
        // Deterministic: the same module and seed give the same bytes.
        QCOMPARE(download(f.fileId), image);
    }

    void firmware_otherModuleBody()
    {
        QVERIFY(startConfigured());
        appModel().setValue("hwid_imu", QStringLiteral("I7"));
        appModel().setValue("fw_imu", QStringLiteral("1.5"));
        QVERIFY(up->requestFirmware(2));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        QCOMPARE(firmware[0].fileId, QStringLiteral("imu-2.0.0.0"));
        QTRY_VERIFY_WITH_TIMEOUT(
            sim->log().contains("  body: hwid=I7&firmware=1.5&series=KG1_imu&ssid=S-test&software=1.00\n"), waitMs);
    }

    void firmware_receiverSeriesName()
    {
        QVERIFY(startConfigured());
        appModel().setValue("series", QStringLiteral("X"));
        appModel().setValue("receiver_freq", QStringLiteral("5.8G"));
        appModel().setValue("fw_receiver", QStringLiteral("1.0"));
        QVERIFY(up->requestFirmware(9));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        QCOMPARE(firmware[0].deviceId, 9);
        QCOMPARE(firmware[0].fileId, QStringLiteral("receiver58G-2.0.0.0"));
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("&series=X_receiver58G&"), waitMs);
    }

    void firmware_preconditions()
    {
        QVERIFY(startConfigured({"--fault", "slow@firmware", "--slow-ms", "600"}));
        appModel().setValue("fw_imu", QStringLiteral("1.0"));
        LogCapture log;
        QVERIFY(up->requestFirmware(2));
        // Busy: the first check of this module is still out.
        QVERIFY(!up->requestFirmware(2));
        QVERIFY(log.hasLine("Network", "IsReplyFinished[2] = 0,Status:0"));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);

        // An upgrade is running.
        appModel().setStatus(AppUpgrading);
        QVERIFY(!up->requestFirmware(2));
        QVERIFY(log.hasLine("Network", "IsReplyFinished[2] = 1,Status:1"));
        appModel().setStatus(AppIdle);

        // Ids outside the table.
        for (int id : {0, 5, 6, 8, 13, 16}) {
            QVERIFY(!up->requestFirmware(id));
            QVERIFY(log.hasLine("Network", QStringLiteral("Firmware _DeviceId %1 not found!").arg(id)));
        }

        // The forced reset lets a module be asked again while a check is out.
        QVERIFY(up->requestFirmware(2));
        QVERIFY(!up->isReplyFinished(2));
        up->resetReplyFlags();
        QVERIFY(up->isReplyFinished(2));
        QVERIFY(up->requestFirmware(2));
        QTRY_VERIFY_WITH_TIMEOUT(firmware.size() >= 2, waitMs);
        QTest::qWait(1500);
        QTRY_COMPARE_WITH_TIMEOUT(sim->count("request: POST /firmware"), 3, waitMs);
    }

    void firmware_withoutAddressGivesEmptyResult()
    {
        appModel().setValue("fw_gps", QStringLiteral("1.0"));
        QVERIFY(up->requestFirmware(3));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        QCOMPARE(firmware[0].deviceId, 3);
        QCOMPARE(firmware[0].size, 0);
        QVERIFY(up->isReplyFinished(3));
    }

    void firmware_emptyMainControllerVersionStillSent()
    {
        QVERIFY(startConfigured());
        LogCapture log;
        QVERIFY(up->requestFirmware(1));
        QVERIFY(log.hasLine("Network", "Error:MC Firmware version not valid !"));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("body: sn=&hwid=&firmware=&series=KG1_mc&"), waitMs);
    }

    void firmware_emptyResults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("logText");
        QTest::addColumn<bool>("failed");
        QTest::newRow("up to date") << QStringList{"--firmware-version", "1.0.0.0"} << "[12] ---- Network Reply OK!"
                                    << false;
        QTest::newRow("empty body") << QStringList{"--fault", "empty@firmware"} << "[12]Nothing received!" << true;
        QTest::newRow("malformed") << QStringList{"--fault", "malformed@firmware"}
                                   << "replay = 12 ::XML parse error!\n" << true;
        QTest::newRow("oversize") << QStringList{"--fault", "oversize@firmware"} << "[type = 12]Network Exception!!!"
                                  << true;
        QTest::newRow("cut") << QStringList{"--fault", "cut@firmware"} << "[type = 12]Network Exception!!!" << true;
    }
    void firmware_emptyResults()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, logText);
        QFETCH(bool, failed);
        QVERIFY(startConfigured(args));
        appModel().setValue("fw_cmu", QStringLiteral("1.0.0.0"));
        LogCapture log;
        QVERIFY(up->requestFirmware(12));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        const FirmwareDataInfo& f = firmware[0];
        QCOMPARE(f.deviceId, 12);
        QCOMPARE(f.size, 0);
        QVERIFY(f.version.isEmpty() && f.fileId.isEmpty() && f.infoUrl.isEmpty() && f.checksum.isEmpty());
        // Only the server's own "nothing new" is an answer; the rest failed.
        QCOMPARE(f.failed, failed);
        QVERIFY2(hasLogged(log, logText), qPrintable(log.text()));
        QVERIFY(up->isReplyFinished(12));
    }

    void firmware_faultyImagesAreDetectable()
    {
        QVERIFY(startConfigured({"--fault", "bad-md5@firmware", "--fault", "bad-size@download"}));
        QVERIFY(up->requestFirmware(3));
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 1, waitMs);
        const QByteArray image = download(firmware[0].fileId);
        QCOMPARE(image.size(), firmware[0].size - 1);
        QVERIFY(QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex()) != firmware[0].checksum);
    }

    void firmware_imagesFromFolder()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("mc.bin"), "0123456789");
        QVERIFY(startConfigured({"--firmware-dir", dir.path()}));
        QVERIFY(up->requestFirmware(1));
        QVERIFY(up->requestFirmware(2)); // no imu.bin: no offer
        QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 2, waitMs);
        for (const FirmwareDataInfo& i : firmware) {
            if (i.deviceId == 1) {
                QCOMPARE(i.size, 10);
                QCOMPARE(download(i.fileId), QByteArray("0123456789"));
            } else {
                QCOMPARE(i.size, 0);
            }
        }
    }

    // ---- documents ----

    void doc_codeZeroStartsNoDownload()
    {
        QVERIFY(startConfigured({"--doc-version", "0"}));
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", "Docs is already newest!"), waitMs);
        QCOMPARE(up->docCode(), 0);
        QTest::qWait(300);
        QCOMPARE(sim->count("request: GET /doc.zip"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("  body: ssid=S-test&series=KG1&software=1.00&doc=0\n"), waitMs);
        QVERIFY(events.isEmpty());
    }

    void doc_newerVersionIsDownloadedAndUnpacked()
    {
        QVERIFY(startConfigured({"--doc-version", "5"}));
        LogCapture log;
        up->requestDocVersion();
        const QString index = appDataPath() + QStringLiteral("/doc/index.html");
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains("Unpack file OK!\n"), waitMs);
        QVERIFY(log.text().contains("Download Doc Successfully!,DOC ver = 5\n"));
        QVERIFY(QFileInfo::exists(index));
        QVERIFY(QFileInfo::exists(appDataPath() + QStringLiteral("/doc/en_US/main.html")));
        QVERIFY(!QFileInfo::exists(appDataPath() + QStringLiteral("/doc.zip")));
        QCOMPARE(up->docVersion(), QStringLiteral("5"));
        QCOMPARE(appModel().value("doc_version"), QStringLiteral("5"));
        QSettings conf(appDataPath() + QStringLiteral("/app.conf"), QSettings::IniFormat);
        QCOMPARE(conf.value("AppConfig_KG11.00/doc_version").toInt(), 5);
        QVERIFY(up->isReplyFinished(DataUploader::ReplyDocDownload));

        // The stored version goes out with the next check, which then finds nothing newer.
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", "Docs is already newest!"), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("&doc=5\n"), waitMs);
        QCOMPARE(sim->count("request: GET /doc.zip"), 1);
    }

    void doc_unsafeArchiveIsRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("dot-dot entry") << "zip-dotdot@doczip";
        QTest::newRow("link entry") << "zip-link@doczip";
        QTest::newRow("absolute entry") << "zip-absolute@doczip";
    }
    void doc_unsafeArchiveIsRefused()
    {
        QFETCH(QString, fault);
        QVERIFY(startConfigured({"--doc-version", "4", "--fault", fault}));
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains("Unpack doc.zip failed"), waitMs);
        QVERIFY(!log.text().contains("Unpack file OK!"));
        // The archive stays, nothing of it was unpacked and the version is unchanged.
        QVERIFY(QFileInfo::exists(appDataPath() + QStringLiteral("/doc.zip")));
        QVERIFY(!QFileInfo::exists(appDataPath() + QStringLiteral("/doc")));
        QVERIFY(!QFileInfo::exists(QFileInfo(appDataPath()).absolutePath() + QStringLiteral("/escaped.txt")));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/kzo-updsim-absolute.txt")));
        QCOMPARE(up->docVersion(), QStringLiteral("0"));
    }

    void doc_brokenDownloadsChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("empty archive body") << "empty@doczip";
        QTest::newRow("cut archive") << "cut@doczip";
        QTest::newRow("oversize archive") << "oversize@doczip";
        QTest::newRow("stalled archive") << "stall@doczip";
        QTest::newRow("no answer") << "hang@doczip";
    }
    void doc_brokenDownloadsChangeNothing()
    {
        QFETCH(QString, fault);
        QVERIFY(startConfigured({"--doc-version", "4", "--fault", fault}));
        up->setDownloadStallTimeout(shortTimeoutMs);
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("response: /doc.zip"), waitMs);
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", "[Update Doc]Network Exception!!!"), timeoutWaitMs);
        QVERIFY(up->isReplyFinished(DataUploader::ReplyDocDownload));
        QCOMPARE(up->docCode(), 4);
        QVERIFY(!log.text().contains("Download Doc Successfully!"));
        QVERIFY(!QFileInfo::exists(appDataPath() + QStringLiteral("/doc")));
        QVERIFY(!QFileInfo::exists(appDataPath() + QStringLiteral("/doc.zip")));
        QCOMPARE(up->docVersion(), QStringLiteral("0"));
    }

    void doc_slowButMovingDownloadIsNotCut()
    {
        // Ten pieces 150 ms apart: far longer in total than either time-out,
        // but never idle for as long as the stall time-out.
        QVERIFY(startConfigured({"--doc-version", "6", "--fault", "trickle@doczip", "--slow-ms", "150"}));
        up->setReplyTimeout(shortTimeoutMs);
        up->setDownloadStallTimeout(1000);
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains("Unpack file OK!\n"), waitMs);
        QVERIFY(sim->log().contains("[trickle]"));
        QVERIFY(!log.text().contains("Network Exception"));
        QCOMPARE(up->docVersion(), QStringLiteral("6"));
    }

    void doc_archiveEntriesMayNotReplaceSettingsOrFolders_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("entry named like the settings file") << "zip-appconf@doczip";
        QTest::newRow("file entry where a folder is") << "zip-doc-file@doczip";
    }
    void doc_archiveEntriesMayNotReplaceSettingsOrFolders()
    {
        QFETCH(QString, fault);
        QVERIFY(startConfigured({"--doc-version", "4", "--fault", fault}));
        const QString dir = appDataPath();
        {
            QSettings conf(dir + QStringLiteral("/app.conf"), QSettings::IniFormat);
            conf.setValue("Marker/kept", "yes");
            conf.sync();
        }
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/doc")));
        writeFile(dir + QStringLiteral("/doc/old.html"), "old page");
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.text().contains("Unpack doc.zip failed"), waitMs);
        QVERIFY(!log.text().contains("Unpack file OK!"));
        QSettings conf(dir + QStringLiteral("/app.conf"), QSettings::IniFormat);
        QCOMPARE(conf.value("Marker/kept").toString(), QStringLiteral("yes"));
        QVERIFY(!conf.childGroups().contains("AppConfig_replaced"));
        QVERIFY(QFileInfo(dir + QStringLiteral("/doc")).isDir());
        QCOMPARE(listing(dir + QStringLiteral("/doc")), QStringList{"old.html"});
        QVERIFY(QFileInfo::exists(dir + QStringLiteral("/doc.zip")));
        QCOMPARE(up->docVersion(), QStringLiteral("0"));
    }

    void doc_emptyAndBrokenReplies()
    {
        QVERIFY(startConfigured({"--doc-version", "4", "--fault", "empty@doc"}));
        LogCapture log;
        up->requestDocVersion();
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", "[14]Nothing received!"), waitMs);
        QTest::qWait(200);
        QVERIFY(events.isEmpty());
        QCOMPARE(sim->count("request: GET /doc.zip"), 0);
    }

    void doc_andNewsNeedSoftwareVersion()
    {
        QVERIFY(startConfigured());
        appModel().setValue("software", QString());
        up->requestDocVersion();
        up->requestNewsLetter();
        QTest::qWait(300);
        QCOMPARE(sim->count("request: POST"), 0);
    }

    // ---- newsletter ----

    void news_addressAndVersion()
    {
        QVERIFY(startConfigured({"--news-id", "42", "--news-version", "9"}));
        up->requestNewsLetter();
        QTRY_COMPARE_WITH_TIMEOUT(news.size(), 1, waitMs);
        QCOMPARE(news[0], qMakePair(url("query?id=42&type=1&language=en_US"), 9));
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("request: POST /news\n  body: ssid=S-test&series=KG1&software=1.00\n"),
                                 waitMs);
    }

    void news_emptyReply()
    {
        QVERIFY(startConfigured({"--fault", "empty@news"}));
        up->requestNewsLetter();
        QTRY_COMPARE_WITH_TIMEOUT(news.size(), 1, waitMs);
        QCOMPARE(news[0], qMakePair(QString(), 0));
    }

    // An unreadable newsletter reply ends like an empty one: no announcement,
    // and the window waiting for it gets its Refresh back.
    void news_malformedReplyEndsLikeNoNewsletter()
    {
        QVERIFY(startConfigured({"--fault", "malformed@news"}));
        LogCapture log;
        up->requestNewsLetter();
        QTRY_COMPARE_WITH_TIMEOUT(news.size(), 1, waitMs);
        QCOMPARE(news[0], qMakePair(QString(), 0));
        QVERIFY(log.text().contains("replay = 13 ::XML parse error!\n"));
    }

    // ---- a server that takes a request and never answers ----

    void unanswered_everyRequestEnds_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("expectedEvents");
        QTest::newRow("server configuration") << "config" << 0 << QStringList{"status"};
        QTest::newRow("software") << "software" << 16 << QStringList{"software"};
        QTest::newRow("firmware") << "firmware" << 12 << QStringList{"firmware"};
        QTest::newRow("document version") << "doc" << 14 << QStringList{};
        QTest::newRow("newsletter") << "news" << 13 << QStringList{"news"};
    }
    void unanswered_everyRequestEnds()
    {
        QFETCH(QString, route);
        QFETCH(int, type);
        QFETCH(QStringList, expectedEvents);
        QVERIFY(startSim({"--fault", "hang@" + route}));
        if (route != QLatin1String("config")) {
            // The configuration itself is answered: hang only the route under test.
            up->fetchServerConfig();
            QTRY_COMPARE_WITH_TIMEOUT(statuses, QList<int>{0}, waitMs);
            events.clear();
            statuses.clear();
        }
        up->setReplyTimeout(shortTimeoutMs);
        appModel().setValue("fw_cmu", QStringLiteral("1.0.0.0"));
        LogCapture log;
        switch (type) {
        case 0:
            up->fetchServerConfig();
            break;
        case 16:
            up->requestSoftware();
            break;
        case 12:
            QVERIFY(up->requestFirmware(12));
            break;
        case 14:
            up->requestDocVersion();
            break;
        default:
            up->requestNewsLetter();
            break;
        }
        QTRY_VERIFY_WITH_TIMEOUT(sim->log().contains("[hang]"), waitMs);
        const QString line = QStringLiteral("[type = %1]Network Exception!!!").arg(type);
        QTRY_VERIFY_WITH_TIMEOUT(log.hasLine("Network", line), timeoutWaitMs);
        QCOMPARE(events, expectedEvents);
        QVERIFY(up->isReplyFinished(type));
        if (type == 0) {
            QCOMPARE(statuses, QList<int>{1});
            QVERIFY(!up->isServerConfigReady());
        } else if (type == 16) {
            QVERIFY(software[0].version.isEmpty() && !software[0].mustUpdate);
        } else if (type == 12) {
            QCOMPARE(firmware[0].deviceId, 12);
            QCOMPARE(firmware[0].size, 0);
            // The module may be asked again.
            QVERIFY(up->requestFirmware(12));
            QTRY_COMPARE_WITH_TIMEOUT(firmware.size(), 2, timeoutWaitMs);
        } else if (type == 13) {
            QCOMPARE(news[0], qMakePair(QString(), 0));
        }
    }
};

QTEST_GUILESS_MAIN(TestOnlineUploader)
#include "test_online_uploader.moc"
