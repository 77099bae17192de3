// Command line, firmware verdicts and version texts, and the advice given
// when a port cannot be opened for lack of permission.
#include "app/ConnectWatch.h"
#include "app/FirmwareCheck.h"
#include "app/Startup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

kzo::app::StartupArgs parse(std::vector<const char*> argv) { return kzo::app::parseStartupArgs(int(argv.size()), argv.data()); }

} // namespace

class TestStartupPieces : public QObject {
    Q_OBJECT
private slots:
    void commandLine()
    {
        const auto a = parse({"kzo-assistant", "--port", "/dev/pts/7", "-platform", "offscreen", "--no-udev",
                              "--server-config", "http://127.0.0.1:8080/cfg.xml", "--port=/dev/pts/8"});
        QVERIFY(a.error.empty());
        QCOMPARE(a.ports, (std::vector<std::string>{"/dev/pts/7", "/dev/pts/8"}));
        QVERIFY(!a.useUdev);
        QCOMPARE(a.serverConfig, QStringLiteral("http://127.0.0.1:8080/cfg.xml"));
        // The toolkit gets everything else, program name first.
        QCOMPARE(a.rest, (std::vector<std::string>{"kzo-assistant", "-platform", "offscreen"}));

        const auto b = parse({"kzo-assistant", "--server-config=http://x/y"});
        QCOMPARE(b.serverConfig, QStringLiteral("http://x/y"));
        QVERIFY(b.useUdev);
        QVERIFY(b.ports.empty());

        QVERIFY(!parse({"kzo-assistant", "--server-config"}).error.empty());
        QVERIFY(!parse({"kzo-assistant", "--server-config="}).error.empty());
        QVERIFY(!parse({"kzo-assistant", "--port"}).error.empty());

        const auto help = parse({"kzo-assistant", "--help"});
        QVERIFY(help.help && !help.version && help.error.empty());
        const auto version = parse({"kzo-assistant", "--version"});
        QVERIFY(version.version && !version.help && version.error.empty());

        // The hidden pages only on request, and the option is documented.
        QVERIFY(!a.allPages);
        const auto all = parse({"kzo-assistant", "--no-udev", "--all-pages"});
        QVERIFY(all.error.empty());
        QVERIFY(all.allPages);
        QCOMPARE(all.rest, (std::vector<std::string>{"kzo-assistant"}));
        QVERIFY(QString::fromStdString(kzo::app::startupUsage()).contains(QStringLiteral("--all-pages")));

        // The toolkit's options, with one or two dashes and with their values.
        const auto qt =
            parse({"kzo-assistant", "--style", "fusion", "-reverse", "-qwindowtitle=T", "-stylesheet", "a.qss"});
        QVERIFY(qt.error.empty());
        QCOMPARE(qt.rest, (std::vector<std::string>{"kzo-assistant", "--style", "fusion", "-reverse", "-qwindowtitle=T",
                                                     "-stylesheet", "a.qss"}));
        QVERIFY(!parse({"kzo-assistant", "-platform"}).error.empty());

        // Whatever else is refused, by name, even after good options.
        QCOMPARE(parse({"kzo-assistant", "--no-udev", "--prot", "/dev/x"}).error, std::string("unknown option --prot"));
        QCOMPARE(parse({"kzo-assistant", "-reverse=1"}).error, std::string("unknown option -reverse=1"));
        QCOMPARE(parse({"kzo-assistant", "/dev/ttyACM0"}).error, std::string("unexpected argument /dev/ttyACM0"));
        // The first fault is the one named.
        QCOMPARE(parse({"kzo-assistant", "-x", "-y"}).error, std::string("unknown option -x"));
    }

    void firmwareVerdict_data()
    {
        QTest::addColumn<int>("swMinor");
        QTest::addColumn<int>("swHide");
        QTest::addColumn<int>("devMinor");
        QTest::addColumn<int>("devHide");
        QTest::addColumn<int>("result");
        QTest::newRow("equal") << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("device minor older") << 2 << 0 << 1 << 9 << 1;
        QTest::newRow("device minor newer") << 2 << 5 << 3 << 0 << 2;
        QTest::newRow("same minor, hide older") << 2 << 5 << 2 << 4 << 1;
        QTest::newRow("same minor, hide newer") << 2 << 5 << 2 << 6 << 2;
    }
    void firmwareVerdict()
    {
        QFETCH(int, swMinor);
        QFETCH(int, swHide);
        QFETCH(int, devMinor);
        QFETCH(int, devHide);
        QFETCH(int, result);
        QCOMPARE(kzo::app::compareFirmware({swMinor, swHide}, {devMinor, devHide}), result);
    }

    void versionTexts()
    {
        QCOMPARE(kzo::app::versionText(0x03000002u), QStringLiteral("3.2"));
        QCOMPARE(kzo::app::versionText(0xFF1234FEu), QStringLiteral("255.254"));
        QCOMPARE(QString(kzo::app::loaderVersionKey(1)), QStringLiteral("fw_mc"));
        QCOMPARE(QString(kzo::app::loaderVersionKey(12)), QStringLiteral("fw_cmu"));
        QCOMPARE(QString(kzo::app::loaderVersionKey(4)), QStringLiteral("fw_led"));
        QVERIFY(kzo::app::loaderVersionKey(0) == nullptr);
        QVERIFY(kzo::app::loaderVersionKey(-1) == nullptr);
        // (The order of held-back firmware queries is checked where the
        // window sends them.)
    }

    void permissionAdvice()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/ttyACM0";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        // Readable and writable: no advice.
        QVERIFY(kzo::app::permissionHint(path).isEmpty());
        // Gone: not a permission problem either.
        QVERIFY(kzo::app::permissionHint(dir.path() + "/none").isEmpty());

        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        if (::geteuid() != 0) {
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0) == 0);
            const QString hint = kzo::app::permissionHint(path);
            QVERIFY(hint.contains("70-kzo-assistant.rules"));
            QVERIFY(hint.contains("dialout"));
            return;
        }
        // As root every file is accessible: ask as an unprivileged user.
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            const QString hint = kzo::app::permissionHint(path);
            ::_exit(hint.contains("70-kzo-assistant.rules") && hint.contains("dialout") && hint.contains(path) ? 0 : 1);
        }
        int status = 0;
        QVERIFY(::waitpid(child, &status, 0) == child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

QTEST_GUILESS_MAIN(TestStartupPieces)
#include "test_startup_pieces.moc"
