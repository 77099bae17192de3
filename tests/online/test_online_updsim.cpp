// The update-server simulator itself: its command line, seeded fault draws and
// the archive it builds from a folder.
#include "OnlineTestSupport.h"

#include "online/DocArchive.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QtTest>

#include <memory>

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
        QCOMPARE(p.exitCode(), 0);
        const QString help = QString::fromUtf8(p.readAllStandardOutput());
        const QStringList options = {"--port", "--seed", "--fault", "--fault-rate", "--slow-ms", "--oversize-bytes",
                                     "--no-login-url", "--software-latest", "--software-status", "--firmware-version",
                                     "--firmware-size", "--firmware-dir", "--doc-version", "--doc-dir", "--news-id",
                                     "--news-version", "--user", "--login-error"};
        for (const QString& o : options)
            QVERIFY2(help.contains(o + ' '), qPrintable(o));
        for (const char* kind : {"empty", "malformed", "percent", "slow", "cut", "oversize", "bad-size", "bad-md5",
                                 "zip-dotdot", "zip-link", "zip-absolute"})
            QVERIFY2(help.contains(QStringLiteral("  %1 ").arg(QLatin1String(kind))), kind);
    }

    void rejectsBadArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown option") << QStringList{"--bogus"};
        QTest::newRow("unknown fault") << QStringList{"--fault", "nope@config"};
        QTest::newRow("unknown route") << QStringList{"--fault", "empty@nowhere"};
        QTest::newRow("bad port") << QStringList{"--port", "70000"};
        QTest::newRow("bad account") << QStringList{"--user", "no-password"};
    }
    void rejectsBadArguments()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(QStringLiteral(KZO_BIN_DIR "/kzo-updsim"), args);
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(p.readAllStandardError().startsWith("kzo-updsim: "));
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

    void archiveFromFolder()
    {
        QTemporaryDir src;
        QVERIFY(QDir().mkpath(src.filePath("en_US")));
        for (const auto& [name, text] : {std::pair{"en_US/main.html", "main"}, std::pair{"errorcode.html", "codes"}}) {
            QFile f(src.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        UpdSim sim;
        QVERIFY(sim.start({"--doc-dir", src.path()}));
        QNetworkAccessManager nam;
        const QByteArray zip = fetch(nam, sim.base + "doc.zip", {}, false);
        QTemporaryDir out;
        QFile z(out.filePath("doc.zip"));
        QVERIFY(z.open(QIODevice::WriteOnly));
        z.write(zip);
        z.close();
        QStringList written;
        QVERIFY(kzo::online::unpackArchive(z.fileName(), out.filePath("app"), nullptr, &written));
        QCOMPARE(written, QStringList({"doc/en_US/main.html", "doc/errorcode.html"}));
        QFile main(out.filePath("app/doc/en_US/main.html"));
        QVERIFY(main.open(QIODevice::ReadOnly));
        QCOMPARE(main.readAll(), QByteArray("main"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("request: GET /doc.zip\nresponse: /doc.zip 200 "), waitMs);
    }
};

QTEST_GUILESS_MAIN(TestOnlineUpdsim)
#include "test_online_updsim.moc"
