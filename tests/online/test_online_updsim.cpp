// The update-server simulator itself: its command line, seeded fault draws and
// the archive it builds from a folder.
#include "OnlineTestSupport.h"

#include "online/DocArchive.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/types.h>

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
                                     "--oversize-bytes", "--no-login-url", "--software-latest", "--software-status",
                                     "--firmware-version", "--firmware-size", "--firmware-dir", "--doc-version",
                                     "--doc-dir", "--news-id", "--news-version", "--user", "--login-error",
                                     "--exit-with-parent"};
        for (const QString& o : options)
            QVERIFY2(help.contains(o + ' '), qPrintable(o));
        for (const char* kind : {"empty", "malformed", "percent", "slow", "cut", "oversize", "bad-size", "bad-md5",
                                 "zip-dotdot", "zip-link", "zip-absolute", "zip-appconf", "zip-doc-file", "hang",
                                 "stall", "trickle", "padded"})
            QVERIFY2(help.contains(QStringLiteral("  %1 ").arg(QLatin1String(kind))), kind);
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
        QVERIFY(kzo::online::unpackArchive(z.fileName(), out.filePath("app"), {}, nullptr, &written));
        QCOMPARE(written, QStringList({"doc/en_US/main.html", "doc/errorcode.html"}));
        QFile main(out.filePath("app/doc/en_US/main.html"));
        QVERIFY(main.open(QIODevice::ReadOnly));
        QCOMPARE(main.readAll(), QByteArray("main"));
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("request: GET /doc.zip\nresponse: /doc.zip 200 "), waitMs);
    }
};

QTEST_GUILESS_MAIN(TestOnlineUpdsim)
#include "test_online_updsim.moc"
