// kzo-assistant as a program: its command line (help, version, refusals), a
// second instance is refused, a disabled version does not start, and a whole
// run against the device simulator shows the live channels (read back from
// the window's widgets; the screenshot is kept in the test output folder).
#include "support/SignalChild.h"
#include "app/SingleInstance.h"
#include "pages/DevSimProcess.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QMap>
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

void startProgram(QProcess& p, const Home& home, const QStringList& args, const QProcessEnvironment& extra = {},
                  QProcess::ProcessChannelMode channels = QProcess::MergedChannels)
{
    QProcessEnvironment env = home.env();
    for (const QString& k : extra.keys())
        env.insert(k, extra.value(k));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(channels);
    p.start(QStringLiteral(KZO_BIN_DIR "/kzo-assistant"), args);
}

// Runs the program to its end with separate output channels; a program
// that does not end by itself (it opened its window) is killed and fails.
struct Run {
    int exitCode = -1;
    bool ended = false;
    QByteArray out;
    QByteArray err;
};
Run runToEnd(const QStringList& args)
{
    Home home;
    QProcess p;
    startProgram(p, home, args, {}, QProcess::SeparateChannels);
    Run r;
    r.ended = p.waitForFinished(20000);
    if (!r.ended) {
        p.kill();
        p.waitForFinished(5000);
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The simulator ends with this test program, whatever happens to it.
QStringList simArgs(QStringList args)
{
    args.prepend(QStringLiteral("--exit-with-parent"));
    return args;
}

// Asks the running program for its screenshot and the values its visible
// widgets show ("name<TAB>value" lines beside the picture), and reads them.
QMap<QString, QString> widgetValues(QProcess& p, const QString& shot)
{
    const QString valuesPath = shot + QStringLiteral(".values");
    QFile::remove(valuesPath);
    QMap<QString, QString> values;
    if (!kzo::test::signalChild(p.processId(), SIGUSR1))
        return values;
    if (!QTest::qWaitFor([&] { return QFile::exists(valuesPath); }, 15000))
        return values;
    QFile f(valuesPath);
    if (!f.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const int tab = line.indexOf('\t');
        if (tab > 0)
            values.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    return values;
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

    void helpNamesEveryOptionAndOpensNothing()
    {
        // A device is offered on the command line: --help must not open it.
        DevSimProcess sim(simArgs({}));
        QVERIFY2(sim.ok(), sim.log().constData());
        const Run r = runToEnd({"--port", sim.port(), "--help"});
        QVERIFY2(r.ended, "the program did not end by itself (window opened?)");
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("usage: kzo-assistant"), r.out.constData());
        for (const char* option : {"--port PATH", "--no-udev", "--server-config URL", "--help", "--version"})
            QVERIFY2(r.out.contains(option), option);
        QVERIFY(r.out.contains("Exit status:"));
        for (const char* status : {"\n  0 ", "\n  1 ", "\n  2 "})
            QVERIFY2(r.out.contains(status), status);
        QVERIFY(r.err.isEmpty());
        QVERIFY2(!r.out.contains("Product:"), r.out.constData());
        QCoreApplication::processEvents(); // collect what the simulator has printed
        QVERIFY2(!sim.log().contains("<- 0x"), sim.log().constData());
    }

    void versionIsPrinted()
    {
        const Run r = runToEnd({"--version"});
        QVERIFY(r.ended);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("kzo-assistant 1.00\n"));
    }

    void badCommandLineIsRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("named");
        QTest::newRow("mistyped option") << QStringList{"--prot", "/dev/ttyACM0"} << QByteArray("--prot");
        QTest::newRow("unknown flag") << QStringList{"--no-udev", "--verbose"} << QByteArray("--verbose");
        QTest::newRow("stray argument") << QStringList{"/dev/ttyACM0"} << QByteArray("/dev/ttyACM0");
        QTest::newRow("option without value") << QStringList{"--port"} << QByteArray("--port");
        QTest::newRow("server config without value") << QStringList{"--server-config"} << QByteArray("--server-config");
    }
    void badCommandLineIsRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, named);
        const Run r = runToEnd(args);
        QVERIFY2(r.ended, "the program did not end by itself (window opened?)");
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(named), r.err.constData());
        QVERIFY2(r.err.contains("usage: kzo-assistant"), r.err.constData());
        QVERIFY2(!r.out.contains("Product:"), r.out.constData());
    }

    void endToEndAgainstSimulator()
    {
        DevSimProcess sim(simArgs({"--verbose"}));
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
                    seen.insert(it.next().captured(1).trimmed());
                return seen.size() >= 3;
            }(),
            30000);
        QVERIFY(p.state() == QProcess::Running);

        // The channel labels of the gimbal page show a set of values that
        // the simulator sent (the page may not have drawn the very first
        // answers yet, so it is asked again until it has).
        QStringList shown;
        const bool live = QTest::qWaitFor(
            [&] {
                const QMap<QString, QString> values = widgetValues(p, shot);
                shown.clear();
                for (int n = 1; n <= 8; ++n)
                    shown << values.value(QStringLiteral("label_%1").arg(n));
                auto it = channels.globalMatch(QString::fromUtf8(sim.log()));
                while (it.hasNext())
                    seen.insert(it.next().captured(1).trimmed());
                return seen.contains(shown.join(' '));
            },
            30000);
        QVERIFY2(live, qPrintable(QStringLiteral("shown: ") + shown.join(' ')));
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
        // Under the sanitizers, nothing in the whole run was reported.
        QVERIFY2(!out.contains("runtime error:") && !out.contains("Sanitizer"), out.constData());
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
