// kzo-console talking to kzo-devsim through a pty: handshake, connection,
// a query answered, and both ways of ending (quit, end of input).
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class TestConsoleDevsim : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        sim = std::make_unique<QProcess>();
        sim->setProgram(QStringLiteral(KZO_BIN_DIR "/kzo-devsim"));
        sim->setArguments({QStringLiteral("--exit-with-parent")});
        sim->setProcessChannelMode(QProcess::SeparateChannels);
        sim->start();
        QVERIFY(sim->waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(simOut().contains('\n'), 20000);
        const QRegularExpression portLine(QStringLiteral("port: (\\S+)"));
        const auto m = portLine.match(QString::fromUtf8(simText));
        QVERIFY2(m.hasMatch(), simText.constData());
        ptyPath = m.captured(1);

        console = std::make_unique<QProcess>();
        console->setProgram(QStringLiteral(KZO_BIN_DIR "/kzo-console"));
        console->setArguments({"--no-udev", "--port", ptyPath});
        console->setProcessChannelMode(QProcess::MergedChannels);
        console->start();
        QVERIFY(console->waitForStarted(10000));
    }
    void cleanup()
    {
        if (console && console->state() != QProcess::NotRunning) {
            console->kill();
            console->waitForFinished(5000);
        }
        if (sim && sim->state() != QProcess::NotRunning) {
            sim->terminate();
            if (!sim->waitForFinished(5000)) {
                sim->kill();
                sim->waitForFinished(5000);
            }
        }
        console.reset();
        sim.reset();
        simText.clear();
        consoleText.clear();
    }

    void handshakeConnectQueryAndQuit()
    {
        // The handshake is answered and the first status report connects.
        QTRY_VERIFY2_WITH_TIMEOUT(out().contains("ID : 0x0FB2  result 0x"), consoleText.constData(), 20000);
        QTRY_VERIFY2_WITH_TIMEOUT(out().contains("] Device connected\n"), consoleText.constData(), 20000);

        console->write("query 0x02C0\n");
        const QRegularExpression ack(QStringLiteral("\\[RECV     @ +\\d+\\] ID : 0x02C1  result 0x00\n"));
        QTRY_VERIFY2_WITH_TIMEOUT(ack.match(QString::fromUtf8(out())).hasMatch(), consoleText.constData(), 20000);

        console->write("setcrc\n");
        QTRY_VERIFY2_WITH_TIMEOUT(out().contains("Error command : setcrc\n"), consoleText.constData(), 20000);

        console->write("quit\n");
        QVERIFY(console->waitForFinished(20000));
        out();
        QCOMPARE(console->exitStatus(), QProcess::NormalExit);
        QCOMPARE(console->exitCode(), 0);
        QVERIFY2(consoleText.contains("Device disconnected"), consoleText.constData());
    }

    void endOfInputExits()
    {
        QTRY_VERIFY2_WITH_TIMEOUT(out().contains("] Device connected\n"), consoleText.constData(), 20000);
        console->closeWriteChannel();
        QVERIFY(console->waitForFinished(20000));
        QCOMPARE(console->exitStatus(), QProcess::NormalExit);
        QCOMPARE(console->exitCode(), 0);
    }

private:
    const QByteArray& simOut()
    {
        simText += sim->readAllStandardOutput();
        return simText;
    }
    const QByteArray& out()
    {
        consoleText += console->readAll();
        return consoleText;
    }

    std::unique_ptr<QProcess> sim, console;
    QByteArray simText, consoleText;
    QString ptyPath;
};

QTEST_MAIN(TestConsoleDevsim)
#include "test_console_devsim.moc"
