// kzo-console's command line: --help and --version answer without touching
// the device, anything it does not know is refused with the usage.
#include "support/ProgramRun.h"

#include <QRegularExpression>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A pty whose slave end the test keeps open, so anything written to the slave
// by the program stays readable on the master after it has exited.
class WatchedPty {
public:
    WatchedPty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        path = QString::fromLocal8Bit(::ptsname(master));
        slave = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    }
    ~WatchedPty()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    bool ok() const { return master >= 0 && slave >= 0; }
    // Bytes the program wrote to the port, without waiting.
    QByteArray written() const
    {
        QByteArray out;
        char buf[256];
        ssize_t n;
        while ((n = ::read(master, buf, sizeof buf)) > 0)
            out.append(buf, static_cast<int>(n));
        return out;
    }

    QString path;

private:
    int master = -1;
    int slave = -1;
};

using Run = kzo::test::ProgramRun;

Run runConsole(const QStringList& args)
{
    return kzo::test::runProgram(QStringLiteral("kzo-console"), args);
}

} // namespace

class TestConsoleOptions : public QObject {
    Q_OBJECT
private slots:
    void helpNamesEveryOptionAndOpensNothing_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("alone") << QStringList{} << QStringList{};
        QTest::newRow("with a port") << QStringList{"--no-udev", "--port"} << QStringList{};
        QTest::newRow("after a port, before a typo") << QStringList{"--no-udev", "--port"} << QStringList{"--prot"};
    }
    void helpNamesEveryOptionAndOpensNothing()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        WatchedPty pty;
        QVERIFY(pty.ok());
        QStringList args = before;
        if (!before.isEmpty())
            args << pty.path;
        args << QStringLiteral("--help") << after;
        const Run r = runConsole(args);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.err.isEmpty(), r.err.constData());
        QVERIFY(r.out.startsWith("Usage: kzo-console "));
        for (const char* option : {"--port PATH", "--no-udev", "--help", "--version"})
            QVERIFY2(r.out.contains(option), option);
        QVERIFY(r.out.contains("Exit status:"));
        QVERIFY(QRegularExpression(QStringLiteral("^  0 "), QRegularExpression::MultilineOption).match(QString::fromUtf8(r.out)).hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^  2 "), QRegularExpression::MultilineOption).match(QString::fromUtf8(r.out)).hasMatch());
        // Had the port been opened, the connection manager's handshake would be here.
        QCOMPARE(pty.written(), QByteArray());
    }

    void version()
    {
        const Run r = runConsole({QStringLiteral("--version")});
        QCOMPARE(r.code, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("\\Akzo-console \\d+\\.\\d+\\.\\d+\\n\\z")).match(QString::fromUtf8(r.out)).hasMatch(), r.out.constData());
        QVERIFY(r.err.isEmpty());
    }

    void refusedCommandLines_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("misspelt option") << QStringList{"--no-udev", "--prot", "/dev/null"} << QByteArray("unknown option --prot");
        QTest::newRow("short option") << QStringList{"-v"} << QByteArray("unknown option -v");
        QTest::newRow("stray word") << QStringList{"quit"} << QByteArray("unexpected argument quit");
        QTest::newRow("port without path") << QStringList{"--port"} << QByteArray("--port needs a path");
        QTest::newRow("typo beside version") << QStringList{"--version", "--verbose"} << QByteArray("unknown option --verbose");
    }
    void refusedCommandLines()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        const Run r = runConsole(args);
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith("kzo-console: " + message + "\n"), r.err.constData());
        QVERIFY2(r.err.contains("\nUsage: kzo-console "), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestConsoleOptions)
#include "test_console_options.moc"
