// kzo-flash's bench features against the device simulator and ptys: the
// port listing, the flash log after a success, a failure and a refused
// start, and the parameter backup before a main-controller upgrade.
#include "TestImages.h"
#include "SimProcess.h"

#include "upgrade/FlashLog.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <libudev.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using kzo::upgrade::FlashRecord;

using kzo::test::randomBytes;

namespace {


QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The 1024 memory bytes of a 1046-byte parameter file: each 130-byte
// record's 128 data bytes, behind the 6-byte stamp.
QByteArray memoryOf(const QByteArray& file)
{
    QByteArray out;
    for (int k = 0; k < 8; ++k)
        out += file.mid(6 + k * 130, 128);
    return out;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// A pty nobody has opened: the master stays with the test, the slave is free.
class FreePty {
public:
    FreePty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = QString::fromLocal8Bit(::ptsname(master));
    }
    ~FreePty()
    {
        if (master >= 0)
            ::close(master);
    }
    int master = -1;
    QString path;
};

// The block of `port` in a --list output.
QString blockOf(const QString& listing, const QString& port)
{
    const int at = listing.indexOf(QRegularExpression("^" + QRegularExpression::escape(port) + "[ \n]",
                                                      QRegularExpression::MultilineOption));
    if (at < 0)
        return {};
    const int end = listing.indexOf(QRegularExpression("^\\S", QRegularExpression::MultilineOption), at + 1);
    return listing.mid(at, end < 0 ? -1 : end - at);
}

} // namespace

class TestFlashBench : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString link() const { return dir.filePath("tty"); }
    QString outDir() const { return dir.filePath("images"); }
    QString dataHome() const { return dir.filePath("data"); }
    QString logPath() const { return dataHome() + "/KZO/kzo-assistant/flash.log"; }
    QString backupDir() const { return dataHome() + "/KZO/kzo-assistant/backups"; }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(bytes);
        return f.fileName();
    }

    Run run(const QStringList& args, const QStringList& prefix = {}, int timeoutMs = 60000)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dataHome());
        p.setProcessEnvironment(env);
        const QString program = QStringLiteral(KZO_BIN_DIR "/kzo-flash");
        if (prefix.isEmpty())
            p.start(program, args);
        else
            p.start(prefix.first(), prefix.mid(1) + QStringList{program} + args);
        Run r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    Run flash(const QStringList& args) { return run(QStringList{"--no-udev", "--port", link()} + args); }

    std::vector<FlashRecord> log() const { return kzo::upgrade::readFlashLog(logPath(), 100); }
    QStringList backups() const { return QDir(backupDir()).entryList(QDir::Files); }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }
    void init()
    {
        QDir(outDir()).removeRecursively();
        QVERIFY(QDir().mkpath(outDir()));
        QDir(dataHome()).removeRecursively();
    }

    // ------------------------------------------------------------ log --

    void successLogsAndBacksUp()
    {
        const QString memory = dir.filePath("eeprom.bin");
        QFile::remove(memory);
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--eeprom", memory, "--mc-version", "3.7"}));
        const QByteArray image = randomBytes(3000, 1);
        const Run r = flash({"--module", "mc", writeFile("mc-new.bin", image)});
        sim.stop();
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(readAll(outDir() + "/mc.bin"), image);

        // The backup: one dated file whose records are the simulator's memory.
        const QStringList files = backups();
        QCOMPARE(files.size(), 1);
        QVERIFY2(QRegularExpression("^params-\\d{8}-\\d{6}\\.KG1$").match(files.first()).hasMatch(),
                 qPrintable(files.first()));
        const QString backup = backupDir() + '/' + files.first();
        const QByteArray saved = readAll(backup);
        QCOMPARE(saved.size(), 1046);
        QCOMPARE(saved.left(6).toHex(), QByteArray("01332b400000"));
        QCOMPARE(memoryOf(saved), readAll(memory));
        QCOMPARE(readAll(memory).size(), 1024);
        QVERIFY(r.out.contains(("Parameters saved to " + backup).toUtf8()));
        // Where it is and how it goes back in, after the upgrade.
        QVERIFY(r.out.contains(("The parameters saved before the upgrade are in " + backup).toUtf8()));

        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        const FlashRecord& e = entries.front();
        QCOMPARE(e.module, QString("mc"));
        QCOMPARE(e.port, link());
        QCOMPARE(e.versionBefore, QString("3.7"));
        QCOMPARE(e.image, QString("mc-new.bin"));
        QCOMPARE(e.size, 3000);
        QCOMPARE(e.md5, kzo::upgrade::md5Hex(image));
        QCOMPARE(e.outcome, QString("ok"));
        QVERIFY(e.seconds > 0 && e.seconds < 60);
        QVERIFY(qAbs(e.when.secsTo(QDateTime::currentDateTime())) < 120);

        // --history prints the entry as stored.
        const Run h = run({"--history", "5"});
        QCOMPARE(h.exitCode, 0);
        QCOMPARE(h.out, readAll(logPath()));
    }

    // The backup goes back in with --restore: the controller's memory is the file's again.
    void restoreWritesAFileBack()
    {
        const QString memory = dir.filePath("eeprom-restore.bin");
        {
            QFile f(memory);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(1024, '\x5A'));
        }
        QByteArray file = QByteArray::fromHex("01332b400000");
        const QByteArray wanted = randomBytes(1024, 9);
        for (int k = 0; k < 8; ++k)
            file += wanted.mid(k * 128, 128) + char(k) + char(0);
        const QString path = writeFile("backup.KG1", file);

        const Run bad = run({"--no-udev", "--port", link(), "--restore", writeFile("bad.KG1", "short")});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY2(bad.err.startsWith("kzo-flash: cannot restore "), bad.err.constData());

        SimProcess sim;
        QVERIFY(sim.start(link(), {"--eeprom", memory, "--param-refuse-block", "6"}));
        const Run refused = flash({"--restore", path});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.err, QByteArray("kzo-flash: the parameters were not restored: the controller refused "
                                         "parameter block 7 (6 of 8 blocks written)\n"));
        sim.stop();

        SimProcess again;
        QVERIFY(again.start(link(), {"--eeprom", memory}));
        const Run r = flash({"--restore", path});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("Parameters restored; re-power the controller."));
        QCOMPARE(readAll(memory), wanted);
        QVERIFY(log().empty()); // not an upgrade
    }

    void helpNamesTheBenchOptions()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char* word : {"--list", "--history [N]", "--no-backup", "--stall-timeout S", "--restore FILE",
                                 "flash.log", "Exit status:", "\n  0 ", "\n  1 ", "\n  2 ", "\n  3 "})
            QVERIFY2(r.out.contains(word), word);
    }

    void failureLogs()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--nack-packet", "3", "--cmu-version", "2.4"}));
        const QByteArray image = randomBytes(2000, 2);
        const Run r = flash({"--module", "cmu", writeFile("cmu.bin", image)});
        QCOMPARE(r.exitCode, 1);
        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].module, QString("cmu"));
        QCOMPARE(entries[0].versionBefore, QString("2.4"));
        QCOMPARE(entries[0].md5, kzo::upgrade::md5Hex(image));
        QCOMPARE(entries[0].outcome, QString("failed: the module reported a transmit error"));
        QVERIFY(backups().isEmpty()); // only the main controller's upgrade saves parameters
    }

    void refusedStartLogs()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--refuse-loader", "pitch"}));
        const QByteArray hex = ":0400000001020304F2\r\n:00000001FF\r\n";
        const Run r = flash({"--module", "pitch", "--stall-timeout", "2", writeFile("p.hex", hex)});
        QCOMPARE(r.exitCode, 1);
        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].module, QString("pitch"));
        QCOMPARE(entries[0].versionBefore, QString()); // the axes report no version here
        QCOMPARE(entries[0].outcome, QString("refused: the module did not enter its boot loader"));
        QVERIFY(QDir(outDir()).isEmpty());
    }

    void noDeviceLogs()
    {
        const Run r = run({"--no-udev", "--port", dir.filePath("absent"), "--module", "imu", "--stall-timeout", "1",
                           writeFile("imu.bin", "x")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("kzo-flash: no device found\n"));
        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(entries[0].port, QString());
        QCOMPARE(entries[0].outcome, QString("failed: no device found"));
    }

    void historyOfAnEmptyLog()
    {
        const Run h = run({"--history"});
        QCOMPARE(h.exitCode, 0);
        QVERIFY(h.out.startsWith("No upgrades in the flash log ("));
        const Run bad = run({"--history", "zero"});
        QCOMPARE(bad.exitCode, 2);
    }

    // ------------------------------------------------------- backup refusal --

    void failedBackupStopsBeforeAnyImageByte()
    {
        const QString memory = dir.filePath("eeprom2.bin");
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--eeprom", memory, "--param-drop", "1000"}));
        const Run r = flash({"--module", "mc", writeFile("mc.bin", randomBytes(1000, 3))});
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.startsWith("kzo-flash: the parameters could not be saved (the controller did not answer for "
                                  "parameter block 1 of 8); nothing was flashed."),
                 r.err.constData());
        QVERIFY(r.err.contains("--no-backup"));
        QVERIFY(QDir(outDir()).isEmpty());
        // Not one upgrade packet, not even the loader entry.
        QVERIFY(!sim.output().contains("0x0242"));
        QVERIFY(!sim.output().contains("0x0233"));
        QVERIFY(backups().isEmpty());
        const std::vector<FlashRecord> entries = log();
        QCOMPARE(entries.size(), size_t(1));
        QVERIFY2(entries[0].outcome.startsWith("refused: parameter backup failed: "), qPrintable(entries[0].outcome));

        // --no-backup: the same device takes the image.
        const QByteArray image = randomBytes(1000, 4);
        const Run again = flash({"--module", "mc", "--no-backup", writeFile("mc2.bin", image)});
        QVERIFY2(again.exitCode == 0, again.err.constData());
        QCOMPARE(readAll(outDir() + "/mc.bin"), image);
        QCOMPARE(log().size(), size_t(2));
        QCOMPARE(log().back().outcome, QString("ok"));
    }

    void controllerInLoaderHasNothingToSave()
    {
        SimProcess sim;
        QVERIFY(sim.start(link(), {"--image-dir", outDir(), "--loader", "mc"}));
        const QByteArray image = randomBytes(700, 5);
        const Run r = flash({"--module", "mc", writeFile("mc3.bin", image)});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(r.out.contains("The main controller is in its boot loader: its parameters cannot be saved first."));
        QCOMPARE(readAll(outDir() + "/mc.bin"), image);
        QVERIFY(backups().isEmpty());
    }

    // ----------------------------------------------------------- --list --

    void listNamedPorts()
    {
        FreePty free;
        FreePty busy;
        QVERIFY(!free.path.isEmpty() && !busy.path.isEmpty());
        // Held the way the program's own serial port holds it.
        const int held = ::open(busy.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        QVERIFY(held >= 0);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        const QString plain = writeFile("not-a-tty", "x");
        const QString missing = dir.filePath("missing-port");

        const Run r = run({"--no-udev", "--list", "--port", free.path, "--port", busy.path, "--port", plain, "--port",
                           missing});
        ::close(held);
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromLocal8Bit(r.out);
        QVERIFY2(out.startsWith("4 ports:\n"), qPrintable(out));

        const QString a = blockOf(out, free.path);
        QVERIFY2(a.contains("  access:  yes\n") && a.contains("  in use:  no\n"), qPrintable(a));
        QVERIFY(a.contains("(named with --port)"));
        QVERIFY(a.contains("  product: -\n") && a.contains("  serial:  -\n"));
        QVERIFY(!a.contains("advice"));

        const QString b = blockOf(out, busy.path);
        QVERIFY2(b.contains("  access:  yes, but it is in use\n"), qPrintable(b));
        const QString holder = QString("held by %1 (%2)")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15));
        QVERIFY2(b.contains("  in use:  yes: locked by another program; " + holder + "\n"), qPrintable(b));

        const QString c = blockOf(out, plain);
        QVERIFY2(c.contains("  access:  yes, but not a terminal device\n"), qPrintable(c));
        const QString d = blockOf(out, missing);
        QVERIFY2(d.contains("  access:  no (No such file or directory)\n"), qPrintable(d));
        QVERIFY(!out.contains("advice"));
    }

    // A port this user may not open gets the window's advice. Root may open
    // anything, so as root the listing runs as "nobody" (setpriv); otherwise
    // the pty is made unreadable to its owner.
    void listPermissionDenied()
    {
        FreePty pty;
        QVERIFY(!pty.path.isEmpty());
        QStringList prefix;
        const QByteArray node = pty.path.toLocal8Bit();
        if (::geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable("setpriv");
            if (setpriv.isEmpty())
                QSKIP("running as root without setpriv: no way to be refused a port");
            QVERIFY(::chmod(node.constData(), 0600) == 0);
            prefix = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
        } else {
            QVERIFY(::chmod(node.constData(), 0) == 0);
        }
        const Run r = run({"--no-udev", "--list", "--port", pty.path}, prefix);
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromLocal8Bit(r.out);
        const QString block = blockOf(out, pty.path);
        QVERIFY2(block.contains("  access:  no (Permission denied)\n"), qPrintable(out + r.err));
        QVERIFY2(block.contains("  advice:  No permission to open " + pty.path
                                + ". Install the udev rules file 70-kzo-assistant.rules into /etc/udev/rules.d/"),
                 qPrintable(block));
        QVERIFY(block.contains("\"dialout\" group"));
    }

    void listNothing()
    {
        const Run r = run({"--no-udev", "--list"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("No gimbal port found.\n"));
        QCOMPARE(run({"--list", "--module", "mc"}).exitCode, 2);
    }

    // With udev running, the listing shows exactly the ttys udev knows with
    // the gimbal's product strings, with udev's product and serial.
    void listMatchesUdev()
    {
        if (!QFileInfo::exists("/run/udev/control"))
            QSKIP("udev is not running here (no /run/udev/control): its view of the USB ports cannot be compared");
        udev* u = udev_new();
        QVERIFY(u);
        udev_enumerate* e = udev_enumerate_new(u);
        udev_enumerate_add_match_subsystem(e, "tty");
        udev_enumerate_scan_devices(e);
        QStringList expected;
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e))
        {
            udev_device* tty = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (!tty)
                continue;
            udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
            const char* product = usb ? udev_device_get_sysattr_value(usb, "product") : nullptr;
            const char* serial = usb ? udev_device_get_sysattr_value(usb, "serial") : nullptr;
            const char* node = udev_device_get_devnode(tty);
            if (node && product
                && (QByteArray(product) == "KZO USB Virtual COM" || QByteArray(product) == "USB Virtual COM"))
                expected << QString("%1\n  product: %2\n  serial:  %3\n").arg(node, product, serial ? serial : "-");
            udev_device_unref(tty);
        }
        udev_enumerate_unref(e);
        udev_unref(u);

        const Run r = run({"--list"});
        QCOMPARE(r.exitCode, 0);
        const QString out = QString::fromLocal8Bit(r.out);
        if (expected.isEmpty()) {
            QCOMPARE(out, QString("No gimbal port found.\n"));
            return;
        }
        QVERIFY(out.startsWith(QString::number(expected.size())));
        for (const QString& block : expected)
            QVERIFY2(out.contains(block), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestFlashBench)
#include "test_flash_bench.moc"
