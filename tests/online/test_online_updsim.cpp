// The update-server simulator itself: its command line, seeded fault draws and
// the archive it builds from a folder.
#include "OnlineTestSupport.h"
#include "support/FileTree.h"

#include "online/DocArchive.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QCryptographicHash>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/types.h>

using kzo::test::readFile;
using kzo::test::writeFile;

namespace {

constexpr int waitMs = 20000;

QByteArray fetch(QNetworkAccessManager& nam, const QString& url, const QByteArray& body = {}, bool post = true)
{
    QNetworkRequest req{QUrl(url)};
    req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    std::unique_ptr<QNetworkReply> reply(post ? nam.post(req, body) : nam.get(req));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, waitMs))
        return "timeout";
    return reply->readAll();
}

struct StopOnExit {
    pid_t pid;
    ~StopOnExit() { ::kill(pid, SIGTERM); }
};

// Alive and not a zombie waiting to be reaped by whoever adopted it.
bool isRunning(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close > 0 && line.size() > close + 2 && line[close + 2] != 'Z' && line[close + 2] != 'X';
}

// Which of `n` newsletter replies came back empty.
QString faultPattern(const QStringList& args, int n)
{
    UpdSim sim;
    if (!sim.start(args))
        return QStringLiteral("no simulator");
    QNetworkAccessManager nam;
    QString pattern;
    for (int i = 0; i < n; ++i)
        pattern += fetch(nam, sim.base + "news", "ssid=&series=KG1&software=1.00").isEmpty() ? 'E' : '.';
    return pattern;
}

// The firmware check's answer as the client reads it.
struct FwOffer {
    QString version, fileId, checksum;
    qint64 size = -1; // -1: no "size" attribute
};

FwOffer askFirmware(QNetworkAccessManager& nam, UpdSim& sim, const QString& module, const QString& firmware)
{
    const QByteArray xml = fetch(nam, sim.base + "firmware",
                                 "hwid=1&firmware=" + firmware.toUtf8() + "&series=KG1_" + module.toUtf8() + "&ssid=S1&software=1.00");
    FwOffer o;
    const QString text = QString::fromUtf8(xml);
    o.version = QRegularExpression(QStringLiteral("<ver>([^<]*)</ver>")).match(text).captured(1);
    const auto f0 = QRegularExpression(QStringLiteral("<f0 size=\"(\\d+)\" checksum=\"([0-9a-f]*)\">([^<]*)</f0>")).match(text);
    if (f0.hasMatch()) {
        o.size = f0.captured(1).toLongLong();
        o.checksum = f0.captured(2);
        o.fileId = f0.captured(3);
    }
    return o;
}

QByteArray download(QNetworkAccessManager& nam, UpdSim& sim, const QString& fileId)
{
    return fetch(nam, sim.base + "download", "ssid=S1&id=" + QUrl::toPercentEncoding(fileId));
}

QString md5(const QByteArray& b)
{
    return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Md5).toHex());
}

// One HTTP request over a raw socket; the socket is left open for the caller.
std::unique_ptr<QTcpSocket> rawPost(const QString& base, const QByteArray& path, const QByteArray& body)
{
    const QUrl url(base);
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(url.port()));
    if (!s->waitForConnected(waitMs))
        return nullptr;
    s->write("POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
             "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    return s;
}

} // namespace

class TestOnlineUpdsim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }

    void helpDocumentsEveryOption()
    {
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-updsim"), {"--help"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardError().isEmpty());
        const QString help = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(help.startsWith("Usage: "), qPrintable(help));
        const QStringList options = {"--help", "--version", "--port", "--seed", "--fault", "--fault-rate", "--slow-ms",
                                     "--trickle-pieces", "--offer", "--no-offer", "--oversize-bytes", "--no-login-url", "--software-latest", "--software-status",
                                     "--firmware-version", "--firmware-size", "--firmware-dir", "--doc-version",
                                     "--doc-dir", "--news-id", "--news-version", "--user", "--login-error",
                                     "--exit-with-parent"};
        for (const QString& o : options)
            QVERIFY2(help.contains(o + ' '), qPrintable(o));
        for (const char* kind : {"empty", "malformed", "percent", "slow", "cut", "oversize", "bad-size", "bad-md5",
                                 "zip-dotdot", "zip-link", "zip-absolute", "zip-appconf", "zip-doc-file", "hang",
                                 "stall", "trickle", "padded"})
            QVERIFY2(help.contains(QStringLiteral("  %1 ").arg(QLatin1String(kind))), kind);
        // The counted form of a fault, and the account a person signs in with.
        QVERIFY(help.contains("KIND@ROUTE*N"));
        QVERIFY(help.contains("e-mail pilot@example.com,\npassword secret1."));
        // Every exit status is explained.
        QVERIFY(help.contains("Exit status:"));
        for (const char* status : {"  0  ", "  1  ", "  2  "})
            QVERIFY2(help.contains(QLatin1String(status)), status);
    }

    void versionIsPrinted()
    {
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-updsim"), {"--version"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QStringLiteral("^kzo-updsim \\d+\\.\\d+\\.\\d+\n$")).match(out).hasMatch(),
                 qPrintable(out));
    }

    void rejectsBadArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("mistyped option") << QStringList{"--prot", "0"};
        QTest::newRow("stray argument") << QStringList{"extra"};
        QTest::newRow("unknown fault") << QStringList{"--fault", "nope@config"};
        QTest::newRow("unknown route") << QStringList{"--fault", "empty@nowhere"};
        QTest::newRow("bad port") << QStringList{"--port", "70000"};
        QTest::newRow("bad account") << QStringList{"--user", "no-password"};
        QTest::newRow("fault count 0") << QStringList{"--fault", "empty@news*0"};
        QTest::newRow("fault count not a number") << QStringList{"--fault", "empty@news*x"};
        QTest::newRow("offer without version") << QStringList{"--offer", "mc"};
        QTest::newRow("offer with empty version") << QStringList{"--offer", "mc=:100"};
        QTest::newRow("offer of a missing file") << QStringList{"--offer", "mc=2.0:/nonexistent/kzo.bin"};
        QTest::newRow("no-offer without module") << QStringList{"--no-offer", ""};
        QTest::newRow("no trickle pieces") << QStringList{"--trickle-pieces", "0"};
    }
    void rejectsBadArguments()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-updsim"), args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        const QByteArray err = p.readAllStandardError();
        QVERIFY(err.startsWith("kzo-updsim: "));
        // The usage follows the complaint.
        QVERIFY2(err.contains("\nUsage: ") && err.contains("--exit-with-parent"), err.constData());
    }

    // A script starts the simulator in the background and exits once it
    // listens; whether the simulator outlives the script depends on the option.
    void endsWithItsStarterOnlyWhenAsked_data()
    {
        QTest::addColumn<bool>("exitWithParent");
        QTest::newRow("by default it keeps running") << false;
        QTest::newRow("--exit-with-parent") << true;
    }
    void endsWithItsStarterOnlyWhenAsked()
    {
        QFETCH(bool, exitWithParent);
        QTemporaryDir dir;
        const QString out = dir.filePath("sim.out");
        QProcess script;
        script.start(QStringLiteral("/bin/sh"),
                     {"-c",
                      "\"$0\" --port 0 $1 >\"$2\" 2>&1 & pid=$!\n"
                      "while ! grep -q '^listening: ' \"$2\"; do kill -0 $pid || exit 1; sleep 0.05; done\n"
                      "echo $pid",
                      QStringLiteral(KZO_BIN_DIR "/kzo-updsim"), exitWithParent ? "--exit-with-parent" : "", out});
        QVERIFY(script.waitForFinished(20000));
        QCOMPARE(script.exitCode(), 0);
        bool ok = false;
        const pid_t pid = static_cast<pid_t>(script.readAllStandardOutput().trimmed().toInt(&ok));
        QVERIFY(ok && pid > 0);
        // However the test ends, the simulator does not outlive it.
        const StopOnExit stopper{pid};
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString base = QString::fromUtf8(f.readLine()).trimmed().section(' ', 1);
        if (exitWithParent) {
            QTRY_VERIFY_WITH_TIMEOUT(!isRunning(pid), waitMs);
            return;
        }
        // The script is gone and the simulator still answers.
        QNetworkAccessManager nam;
        const QByteArray reply = fetch(nam, base + "news", "ssid=&series=KG1&software=1.00");
        QVERIFY2(reply.contains("<id>7</id>"), reply.constData());
        QVERIFY(isRunning(pid));
    }

    void faultDrawsFollowTheSeed()
    {
        const QStringList args = {"--fault", "empty@news", "--fault-rate", "0.5", "--seed", "7"};
        const QString first = faultPattern(args, 12);
        QCOMPARE(faultPattern(args, 12), first);
        QVERIFY2(first.contains('E') && first.contains('.'), qPrintable(first));
        QCOMPARE(faultPattern({"--fault", "empty@news"}, 3), QStringLiteral("EEE"));
        QCOMPARE(faultPattern({"--fault", "empty@software"}, 3), QStringLiteral("..."));
    }

    void defaultAccountSignsIn()
    {
        UpdSim sim;
        QVERIFY(sim.start());
        QNetworkAccessManager nam;
        const QByteArray ok = fetch(nam, sim.base + "login", "email=pilot%40example.com&password=secret1&series=KG1&language=en_US");
        QVERIFY2(ok.contains("<error_code>0</error_code>") && ok.contains("<code>S"), ok.constData());
        const QByteArray refused = fetch(nam, sim.base + "login", "email=pilot%40example.com&password=wrong&series=KG1&language=en_US");
        QVERIFY2(refused.contains("<error_code>3001</error_code>"), refused.constData());
    }

    // Each module gets its own offer; the image served for it has the size and
    // digest the offer announced.
    void offersPerModule()
    {
        QTemporaryDir dir;
        const QByteArray gpsImage = QByteArray("gps firmware image ").repeated(37);
        writeFile(dir.filePath("gps.bin"), gpsImage);
        UpdSim sim;
        QVERIFY(sim.start({"--offer", "mc=3.4.0.0:1000", "--offer", "imu=1.9", "--no-offer", "cmu", "--offer",
                           "gps=2.5-rc1:" + dir.filePath("gps.bin"), "--offer", "led=7.0:0", "--firmware-size", "3000"}));
        QNetworkAccessManager nam;

        struct Case {
            const char* module;
            const char* version;
            qint64 size;
        };
        for (const Case& c : {Case{"mc", "3.4.0.0", 1000}, Case{"imu", "1.9", 3000}, Case{"pmu", "2.0.0.0", 3000},
                              Case{"gps", "2.5-rc1", gpsImage.size()}}) {
            const FwOffer o = askFirmware(nam, sim, c.module, "1.0");
            QCOMPARE(o.version, QString::fromLatin1(c.version));
            QCOMPARE(o.size, c.size);
            QVERIFY(!o.fileId.isEmpty());
            const QByteArray image = download(nam, sim, o.fileId);
            QCOMPARE(image.size(), c.size);
            QCOMPARE(md5(image), o.checksum);
        }
        QCOMPARE(download(nam, sim, askFirmware(nam, sim, "gps", "1.0").fileId), gpsImage);
        // Generated images differ between modules and versions.
        QVERIFY(download(nam, sim, "mc-3.4.0.0").left(1000) != download(nam, sim, "imu-1.9").left(1000));

        // No offer: an empty file; size 0: a named file of size 0.
        const FwOffer cmu = askFirmware(nam, sim, "cmu", "1.0");
        QVERIFY(cmu.fileId.isEmpty());
        const FwOffer led = askFirmware(nam, sim, "led", "1.0");
        QCOMPARE(led.size, qint64(0));
        QCOMPARE(led.fileId, QStringLiteral("led-7.0"));

        // A client already at (or past) the offered version is offered nothing.
        QVERIFY(askFirmware(nam, sim, "mc", "3.4").fileId.isEmpty());
        QVERIFY(askFirmware(nam, sim, "mc", "3.5").fileId.isEmpty());
        QVERIFY(!askFirmware(nam, sim, "mc", "3.3.9").fileId.isEmpty());
        // A file id of a version that is not on offer is not served.
        QVERIFY(download(nam, sim, "mc-2.0.0.0").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("response: /download 404 0"), waitMs);
        // The software reply names the main controller's offer as the latest firmware.
        const QByteArray sw = fetch(nam, sim.base + "software", "ssid=&series=KG1&software=1.00");
        QVERIFY2(sw.contains("<firmware>3.4.0.0</firmware>"), sw.constData());
    }

    void servedImageAgainstOffer_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("sizeDelta");
        QTest::addColumn<bool>("digestMatches");
        QTest::newRow("as announced") << QStringList{} << 0 << true;
        QTest::newRow("bad-size@download") << QStringList{"--fault", "bad-size@download"} << -1 << true;
        QTest::newRow("bad-md5@firmware") << QStringList{"--fault", "bad-md5@firmware"} << 0 << false;
    }
    void servedImageAgainstOffer()
    {
        QFETCH(QStringList, args);
        QFETCH(int, sizeDelta);
        QFETCH(bool, digestMatches);
        UpdSim sim;
        QVERIFY(sim.start(args + QStringList{"--offer", "mc=4.0:2048"}));
        QNetworkAccessManager nam;
        const FwOffer o = askFirmware(nam, sim, "mc", "3.2");
        QCOMPARE(o.size, qint64(2048));
        const QByteArray image = download(nam, sim, o.fileId);
        QCOMPARE(image.size(), 2048 + sizeDelta);
        QCOMPARE(md5(image.left(2048)) == o.checksum, digestMatches && sizeDelta == 0);
        QCOMPARE(o.checksum.size(), 32);
    }

    void trickleGivesSeveralProgressSteps_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("minSteps");
        // The client's progress signal comes at most every 150 ms, so the gap is longer.
        QTest::newRow("ten pieces") << QStringList{} << 6;
        QTest::newRow("--trickle-pieces 25") << QStringList{"--trickle-pieces", "25"} << 15;
    }
    void trickleGivesSeveralProgressSteps()
    {
        QFETCH(QStringList, args);
        QFETCH(int, minSteps);
        UpdSim sim;
        QVERIFY(sim.start(args + QStringList{"--offer", "mc=4.0:5000", "--fault", "trickle@download", "--slow-ms", "200"}));
        QNetworkAccessManager nam;
        const FwOffer o = askFirmware(nam, sim, "mc", "3.2");
        QNetworkRequest req{QUrl(sim.base + "download")};
        req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> reply(nam.post(req, "ssid=S1&id=" + o.fileId.toUtf8()));
        QSet<qint64> steps;
        connect(reply.get(), &QNetworkReply::downloadProgress, this, [&](qint64 received, qint64) {
            if (received > 0 && received < 5000)
                steps.insert(received);
        });
        QVERIFY(QTest::qWaitFor([&] { return reply->isFinished(); }, waitMs));
        QCOMPARE(reply->error(), QNetworkReply::NoError);
        const QByteArray image = reply->readAll();
        QCOMPARE(image.size(), 5000);
        QCOMPARE(md5(image), o.checksum);
        QVERIFY2(steps.size() >= minSteps, qPrintable(QString::number(steps.size())));
        QVERIFY(sim.log().contains("response: /download 200 5000 [trickle]"));
    }

    // Head and half the image, then nothing, and the connection stays open.
    void stallHoldsTheConnection()
    {
        UpdSim sim;
        QVERIFY(sim.start({"--offer", "mc=4.0:4000", "--fault", "stall@download"}));
        QNetworkAccessManager nam;
        const FwOffer o = askFirmware(nam, sim, "mc", "3.2");
        const auto s = rawPost(sim.base, "/download", "ssid=S1&id=" + o.fileId.toUtf8());
        QVERIFY(s);
        QByteArray got;
        QVERIFY(QTest::qWaitFor([&] {
            got += s->readAll();
            const qsizetype end = got.indexOf("\r\n\r\n");
            return end >= 0 && got.size() - (end + 4) >= 2000;
        }, waitMs));
        QVERIFY2(got.contains("Content-Length: 4000\r\n"), got.left(200).constData());
        QCOMPARE(got.size() - (got.indexOf("\r\n\r\n") + 4), 2000);
        // Nothing more comes, and the server does not hang up.
        QVERIFY(!s->waitForReadyRead(1500));
        QCOMPARE(s->state(), QAbstractSocket::ConnectedState);
        QVERIFY(s->readAll().isEmpty());
    }

    // A counted fault hits the first N requests of its route and then lets
    // the route recover; other routes and the uncounted form are unaffected.
    void countedFaultsThenRecovery()
    {
        QCOMPARE(faultPattern({"--fault", "empty@news*2"}, 5), QStringLiteral("EE..."));
        QCOMPARE(faultPattern({"--fault", "empty@all*1"}, 3), QStringLiteral("E.."));
        QCOMPARE(faultPattern({"--fault", "empty@news*1", "--fault", "empty@news*3"}, 5), QStringLiteral("EEE.."));
        QCOMPARE(faultPattern({"--fault", "empty@firmware*2"}, 3), QStringLiteral("..."));

        // A hung first check; the second (a Refresh) gets its offer.
        UpdSim sim;
        QVERIFY(sim.start({"--fault", "hang@firmware*1", "--fault", "bad-size@download*1", "--offer", "mc=4.0:1500"}));
        QNetworkAccessManager nam;
        QNetworkRequest req{QUrl(sim.base + "firmware")};
        req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        std::unique_ptr<QNetworkReply> hung(nam.post(req, "hwid=1&firmware=3.2&series=KG1_mc&ssid=S1&software=1.00"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("response: /firmware 200 "), waitMs);
        QVERIFY(sim.log().contains("[hang]"));
        QVERIFY(!hung->isFinished());
        const FwOffer o = askFirmware(nam, sim, "mc", "3.2");
        QCOMPARE(o.size, qint64(1500));
        QVERIFY(!hung->isFinished());
        hung->abort();
        // The first download is one byte short, the second whole.
        QCOMPARE(download(nam, sim, o.fileId).size(), 1499);
        const QByteArray image = download(nam, sim, o.fileId);
        QCOMPARE(image.size(), 1500);
        QCOMPARE(md5(image), o.checksum);
    }

    void archiveFromFolder()
    {
        QTemporaryDir src;
        writeFile(src.filePath("en_US/main.html"), "main");
        writeFile(src.filePath("errorcode.html"), "codes");
        UpdSim sim;
        QVERIFY(sim.start({"--doc-dir", src.path()}));
        QNetworkAccessManager nam;
        const QByteArray zip = fetch(nam, sim.base + "doc.zip", {}, false);
        QTemporaryDir out;
        writeFile(out.filePath("doc.zip"), zip);
        QStringList written;
        QVERIFY(kzo::online::unpackArchive(out.filePath("doc.zip"), out.filePath("app"), {}, nullptr, &written));
        QCOMPARE(written, QStringList({"doc/en_US/main.html", "doc/errorcode.html"}));
        QCOMPARE(readFile(out.filePath("app/doc/en_US/main.html")), QByteArray("main"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("request: GET /doc.zip\nresponse: /doc.zip 200 "), waitMs);
    }
};

QTEST_GUILESS_MAIN(TestOnlineUpdsim)
#include "test_online_updsim.moc"
