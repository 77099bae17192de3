// Developer console: line splitting, argument counts, help listing, the
// built-in commands, command files, shell pass-through and the reading loop.
#include "support/LogCapture.h"
#include "support/FakeDevIo.h"
#include "console/DevConsole.h"
#include "console/DevScript.h"
#include "protocol/DevAckID.h"
#include "protocol/DevModel.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using kzo::test::FakeDevIo;

class TestDevConsole : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        io = std::make_unique<FakeDevIo>();
        currentDevIo = io.get();
        model.clear();
        script = std::make_unique<orb::DevScript>(&model);
        console = std::make_unique<DevConsole>();
        console->setupCommands(script.get(), &model);
        frameCrcSeed = 0x13;
        frameCrcEnabled = true;
    }
    void cleanup()
    {
        console.reset();
        script.reset();
        currentDevIo = &orb::nullDevIo();
        io.reset();
    }

    void helpListsEveryCommandInNameOrder()
    {
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"help"));
        QCOMPARE(log.bytes(),
            QByteArray("close        [ 0] : \n"
                       "cmd          [ 1] : cmd [file]\n"
                       "dlgup        [ 0] : Upgrade select file\n"
                       "enablecrc    [ 1] : \n"
                       "getcrc       [ 0] : \n"
                       "ioecho       [ 1] : \n"
                       "open         [ 0] : \n"
                       "query        [ 1] : query [cmdid]\n"
                       "quit         [ 0] : \n"
                       "run          [ 1] : run command list\n"
                       "setcrc       [ 1] : \n"
                       "showall      [ 0] : \n"));
    }

    void helpForOneCommandAfterTabsAndSpaces()
    {
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"  help\t  getcrc   "));
        QCOMPARE(log.bytes(), QByteArray("getcrc       [ 0] : \n\n"));
        QVERIFY(console->execute(L"help nosuch"));
        QVERIFY(log.bytes().endsWith("Unknown command [nosuch]\n"));
        const QByteArray before = log.bytes();
        QVERIFY(console->execute(L"help a b"));
        QCOMPARE(log.bytes(), before);

        console->registerCommand(L"zz", 2, [](const auto&, void*) { return true; }, nullptr, L"zz a b", L"does zz");
        QVERIFY(console->execute(L"help zz"));
        QVERIFY(log.bytes().endsWith("zz           [ 2] : zz a b\ndoes zz\n"));
    }

    void argumentCountsAndEmptyLines()
    {
        QVERIFY(!console->execute(L""));
        QVERIFY(!console->execute(L" \t  "));
        QVERIFY(!console->execute(L"setcrc"));
        QVERIFY(!console->execute(L"setcrc 1 2"));
        QVERIFY(!console->execute(L"getcrc on"));
        QCOMPARE(frameCrcSeed.load(), uint16_t(0x13));

        DevConsole empty;
        QVERIFY(!empty.execute(L"getcrc"));
        QVERIFY(empty.execute(L"help"));
    }

    void checksumCommands()
    {
        kzo::test::LogCapture log;
        const int seq = kzo::log::sequence();
        QVERIFY(console->execute(L"setcrc\t0x1A2b"));
        QCOMPARE(frameCrcSeed.load(), uint16_t(0x1A2B));
        QVERIFY(console->execute(L"getcrc"));
        QVERIFY(console->execute(L"enablecrc off"));
        QVERIFY(!frameCrcEnabled.load());
        QVERIFY(console->execute(L"getcrc"));
        QVERIFY(console->execute(L"enablecrc on"));
        QVERIFY(frameCrcEnabled.load());
        QVERIFY(console->execute(L"enablecrc ON"));
        QVERIFY(!frameCrcEnabled.load());
        QVERIFY(console->execute(L"setcrc 300"));
        QCOMPARE(frameCrcSeed.load(), uint16_t(300));
        QCOMPARE(log.bytes(),
            kzo::test::logHeader("default", seq) + "current crc 1A2B\n" + kzo::test::logHeader("default", seq + 1)
                + "current crc 1A2B, on\n" + kzo::test::logHeader("default", seq + 2) + "current crc 1A2B, off\n"
                + kzo::test::logHeader("default", seq + 3) + "current crc 12C\n");
        QVERIFY(!console->execute(L"setcrc zz"));
        QCOMPARE(frameCrcSeed.load(), uint16_t(300));
    }

    void deviceCommands()
    {
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"query 0x02C0"));
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x02C0}));
        QCOMPARE(io->written()[0].size(), size_t(34));
        QVERIFY(!console->execute(L"query nope"));
        QCOMPARE(io->writeCount(), 1);

        QVERIFY(console->execute(L"close"));
        QCOMPARE(io->closeCount(), 1);
        QVERIFY(log.bytes().endsWith("Close ok!\n"));
        QVERIFY(console->execute(L"open"));
        io->reconnectResult = false;
        QVERIFY(!console->execute(L"open"));
        QCOMPARE(io->reconnectCount(), 2);
    }

    void ioechoSwitchesTheAcknowledgementPrinter()
    {
        kzo::test::LogCapture log;
        QVERIFY(!console->execute(L"ioecho on"));
        QCOMPARE(log.bytes(), QByteArray("Null Ptr has pass!\n"));
        orb::DevAckID ack;
        QVERIFY(console->execute(L"ioecho off"));
        QVERIFY(!ack.printAcks.load());
        QVERIFY(console->execute(L"ioecho on"));
        QVERIFY(ack.printAcks.load());
        QVERIFY(!console->execute(L"ioecho maybe"));
        QVERIFY(ack.printAcks.load());
    }

    void showallListsTheModelByGroup()
    {
        orb::DevValue a;
        a.type = orb::TypeInt16s;
        a.raw[0] = 0xFE;
        a.raw[1] = 0xFF;
        model.set(L"imu", L"x", a);
        orb::DevValue b;
        b.type = orb::TypeInt8u;
        b.raw[0] = 200;
        model.set(L"basic", L"gain", b);
        orb::DevValue c;
        c.type = 12;
        model.set(L"basic", L"odd", c);
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"showall"));
        QCOMPARE(log.bytes(),
            QByteArray("basic ->\n"
                       "  gain      200        int8u\n"
                       "  odd       Unknown    Unknown\n"
                       "imu ->\n"
                       "  x         -2         int16s\n"));

        DevConsole bare;
        bare.setupCommands(nullptr, nullptr);
        QVERIFY(!bare.execute(L"showall"));
        QVERIFY(log.bytes().endsWith("Null Ptr has pass!\n"));
        QVERIFY(!bare.execute(L"cmd x"));
    }

    void runExecutesACommandFile()
    {
        const QString path = file("setcrc 0x20\n"
                                  "setcrc\n"
                                  "\tgetcrc  \n"
                                  "\n");
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"run " + path.toStdWString()));
        QCOMPARE(frameCrcSeed.load(), uint16_t(0x20));
        const QList<QByteArray> lines = log.bytes().split('\n');
        QVERIFY(lines.contains(QByteArray("setcrc 0x20").leftJustified(76, ' ') + "OK!"));
        QVERIFY(lines.contains("[   2]Error command : setcrc"));
        QVERIFY(lines.contains(QByteArray("\tgetcrc  ").leftJustified(76, ' ') + "OK!"));
        QVERIFY(lines.contains("[   4]Error command : "));
        QVERIFY(!console->execute(L"run /nonexistent/list.txt"));
    }

    void cmdRunsAScript()
    {
        const QString path = file("begin data\nint16u a const 0x0102\nend\n");
        QVERIFY(console->execute(L"cmd " + path.toStdWString()));
        QCOMPARE(io->written(), (std::vector<FakeDevIo::Bytes>{{0x02, 0x01}}));
        QVERIFY(!console->execute(L"cmd /nonexistent/script.txt"));
    }

    void unknownWordsGoToTheShell()
    {
        const QString target = dir.filePath("made by shell");
        QVERIFY(!QFile::exists(target));
        QVERIFY(console->execute(QString("touch  '%1'").arg(target).toStdWString()));
        QVERIFY(QFile::exists(target));
        // The line goes unchanged: the two spaces inside the quotes survive.
        const QString spaced = dir.filePath("a  b");
        QVERIFY(console->execute(QString("touch '%1'").arg(spaced).toStdWString()));
        QVERIFY(QFile::exists(spaced));
    }

    void dlgupWithoutAndWithTheWindow()
    {
        kzo::test::LogCapture log;
        QVERIFY(console->execute(L"dlgup"));
        QVERIFY(log.bytes().contains("kzo-flash"));

        QString shownDir, title, filter;
        QString chosen;
        QStringList upgraded;
        console->openFileDialog = [&](const QString& t, const QString& d, const QString& f) {
            title = t;
            shownDir = d;
            filter = f;
            return chosen;
        };
        console->upgradeMcFile = [&](const QString& p) {
            upgraded << p;
            return true;
        };
        QVERIFY(console->execute(L"dlgup")); // cancelled
        QVERIFY(upgraded.isEmpty());
        QCOMPARE(title, QString("GCU"));
        QCOMPARE(filter, QString("Firmware (*.bin *.enc)"));

        chosen = dir.filePath("fw/mc.bin");
        QVERIFY(console->execute(L"dlgup"));
        QCOMPARE(upgraded, QStringList{chosen});
        QSettings settings("KZO", "KG1");
        QCOMPARE(settings.value("path/firm").toString(), dir.filePath("fw"));
        QVERIFY(console->execute(L"dlgup"));
        QCOMPARE(shownDir, dir.filePath("fw"));
    }

    // Lines read on the console's thread run on the thread the console lives
    // in; failures are reported; the end of input ends the loop.
    void readingLoopRunsLinesOnTheOwningThread()
    {
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        QList<QThread*> ranOn;
        console->registerCommand(L"where", 0, [&](const auto&, void*) {
            ranOn << QThread::currentThread();
            return true;
        }, nullptr, L"", L"");
        console->setInputFd(fds[0]);
        kzo::test::LogCapture log;
        console->start();
        const char input[] = "where\nsetcrc 1 2\nsetcrc 0x77\r\nwhere";
        QVERIFY(::write(fds[1], input, sizeof input - 1) == static_cast<ssize_t>(sizeof input - 1));
        QTRY_COMPARE_WITH_TIMEOUT(ranOn.size(), 1, 10000);
        ::close(fds[1]);
        QTRY_VERIFY_WITH_TIMEOUT(console->isFinished(), 10000);
        QCOMPARE(ranOn.size(), 2);
        QCOMPARE(ranOn.at(0), QThread::currentThread());
        QCOMPARE(frameCrcSeed.load(), uint16_t(0x77));
        QVERIFY(log.bytes().contains("Error command : setcrc 1 2\n"));
        ::close(fds[0]);
    }

    void quitStopsTheReadingLoop()
    {
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        console->setInputFd(fds[0]);
        console->start();
        const char input[] = "quit\nsetcrc 0x99\n";
        QVERIFY(::write(fds[1], input, sizeof input - 1) == static_cast<ssize_t>(sizeof input - 1));
        QTRY_VERIFY_WITH_TIMEOUT(console->isFinished(), 10000);
        QVERIFY(console->stopRequested());
        QCOMPARE(frameCrcSeed.load(), uint16_t(0x13));
        ::close(fds[1]);
        ::close(fds[0]);
    }

private:
    QString file(const QByteArray& text)
    {
        const QString path = dir.filePath(QString("list%1.txt").arg(++files));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
        return path;
    }

    QTemporaryDir dir;
    int files = 0;
    orb::DevModel model;
    std::unique_ptr<FakeDevIo> io;
    std::unique_ptr<orb::DevScript> script;
    std::unique_ptr<DevConsole> console;
};

QTEST_MAIN(TestDevConsole)
#include "test_dev_console.moc"
