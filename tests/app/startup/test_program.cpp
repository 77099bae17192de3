// kzo-assistant as a program: a second instance is refused, a disabled
// version does not start, and a whole run against the device simulator shows
// the live channels (saved as a screenshot in the test output folder).
#include "app/SingleInstance.h"
#include "pages/DevSimProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using kzo::test::DevSimProcess;

namespace {

// A private home for one run: runtime, config and data folders.
struct Home {
    QTemporaryDir dir;
    Home()
    {
        QDir(dir.path()).mkpath("run");
        QFile::setPermissions(dir.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(dir.path()).mkpath("config/KZO");
    }
    QString runtime() const { return dir.path() + "/run"; }
    QString settingsFile() const { return dir.path() + "/config/KZO/KG1.conf"; }
    QProcessEnvironment env() const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("XDG_RUNTIME_DIR", runtime());
        e.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        e.insert("XDG_DATA_HOME", dir.path() + "/data");
        e.insert("HOME", dir.path());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("KZO_DIALOG_TIMEOUT_MS", "300");
        // English, so the checks below read the English texts.
        e.insert("LANG", "en_US.UTF-8");
        e.insert("LC_ALL", "en_US.UTF-8");
        return e;
    }
};

void startProgram(QProcess& p, const Home& home, const QStringList& args, const QProcessEnvironment& extra = {})
{
    QProcessEnvironment env = home.env();
    for (const QString& k : extra.keys())
        env.insert(k, extra.value(k));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(KZO_BIN_DIR "/kzo-assistant"), args);
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void secondInstanceExitsWithOne()
    {
        Home home;
        kzo::app::SingleInstance first(home.runtime() + "/KZO-Assistant.lock");
        QVERIFY(!first.alreadyRunning());
        QProcess p;
        startProgram(p, home, {"--no-udev"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        const QByteArray out = p.readAll();
        // The language was settled before the refusal.
        QVERIFY2(out.contains("Language :English") || out.contains("Default language"), out.constData());
        QVERIFY(!out.contains("Comm device arrival"));
    }

    void disabledVersionDoesNotStart()
    {
        Home home;
        QFile conf(home.settingsFile());
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("[General]\nlanguage=75\n1.00=1\n");
        conf.close();
        QProcess p;
        startProgram(p, home, {"--no-udev"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray out = p.readAll();
        QVERIFY2(out.contains("Product:KG1"), out.constData());
        QVERIFY(!out.contains("Comm device arrival"));
    }

    void badCommandLine()
    {
        Home home;
        QProcess p;
        startProgram(p, home, {"--port"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAll().contains("usage: kzo-assistant"));
    }

    void endToEndAgainstSimulator()
    {
        DevSimProcess sim({"--verbose"});
        QVERIFY2(sim.ok(), sim.log().constData());
        Home home;
        const QString shot = QStringLiteral(KZO_TEST_OUTPUT_DIR "/kzo-assistant-gimbal.png");
        QFile::remove(shot);
        QProcessEnvironment extra;
        extra.insert("KZO_SCREENSHOT", shot);
        QProcess p;
        startProgram(p, home, {"--no-udev", "--port", sim.port(), "--server-config", "http://127.0.0.1:9/none.xml"},
                     extra);
        QVERIFY(p.waitForStarted(10000));

        // The gimbal page polls the channels and their values change.
        static const QRegularExpression channels("-> 0x02a4 channels ([-0-9 ]+)");
        QSet<QString> seen;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                auto it = channels.globalMatch(QString::fromUtf8(sim.log()));
                while (it.hasNext())
                    seen.insert(it.next().captured(1));
                return seen.size() >= 3;
            }(),
            30000);
        QVERIFY(p.state() == QProcess::Running);
        QTest::qWait(300); // let the page draw the latest values

        ::kill(static_cast<pid_t>(p.processId()), SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(shot) && QImage(shot).width() > 0, 15000);
        const QImage image(shot);
        QCOMPARE(image.size(), QSize(878, 753));

        // SIGTERM ends the event loop; the tear-down closes the port.
        p.terminate();
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray out = p.readAll();
        QVERIFY2(out.contains("apploadingData -- status:0 ,isLoaderMode:0"), out.constData());
        QVERIFY(out.contains("All process success!"));
        QVERIFY(out.contains("screenshot saved"));
        QVERIFY(out.contains("disconnect"));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
