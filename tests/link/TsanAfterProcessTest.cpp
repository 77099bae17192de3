// The thread-sanitizer pass must keep seeing the main thread after a test has
// started a helper program (the simulators, kzo-flash, kzo-console) while
// other threads run. The check runs this program a second time as a child
// that starts a process from a multi-threaded state and then races on purpose
// between its main thread and a new thread; the sanitizer must report that.
#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

int racy = 0; // written by two threads without order: the planted race

int plantRaceAfterProcessStart()
{
    std::atomic<bool> done{false};
    std::thread bystander([&] {
        while (!done.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    QProcess helper;
    helper.start(QStringLiteral("/bin/true"), {});
    const bool ran = helper.waitForFinished(10000) && helper.exitCode() == 0;
    // Relaxed: the flag only keeps the two writes apart in time, it orders nothing.
    std::atomic<bool> written{false};
    std::thread writer([&] {
        racy = 1;
        written.store(true, std::memory_order_relaxed);
    });
    while (!written.load(std::memory_order_relaxed))
        std::this_thread::yield();
    racy = 2;
    writer.join();
    done = true;
    bystander.join();
    return ran ? 0 : 3;
}

} // namespace

class TsanAfterProcessTest : public QObject {
    Q_OBJECT
private slots:
    void raceOnTheMainThreadIsSeenAfterAProcessStart()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KZO_PLANT_RACE"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray out = child.readAll();
        QVERIFY2(out.contains("WARNING: ThreadSanitizer: data race"), out.constData());
        QVERIFY2(out.contains("plantRaceAfterProcessStart"), out.constData());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("KZO_PLANT_RACE"))
        return plantRaceAfterProcessStart();
    TsanAfterProcessTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TsanAfterProcessTest.moc"
