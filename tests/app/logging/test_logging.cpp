// The logger's line format, colours, counter, progress bar and thread safety.
#include "support/LogCapture.h"
#include "support/PseudoTerminal.h"

#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using kzo::test::LogCapture;
using kzo::test::PseudoTerminal;
using kzo::test::logHeader;

namespace {

// A pipe whose ends the test closes when it wants; both closed at the end.
struct Pipe {
    Pipe() { ok = ::pipe2(fds, O_CLOEXEC) == 0; }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    void closeRead()
    {
        if (fds[0] >= 0)
            ::close(fds[0]);
        fds[0] = -1;
    }
    void closeWrite()
    {
        if (fds[1] >= 0)
            ::close(fds[1]);
        fds[1] = -1;
    }
    // Whatever the pipe holds now, without waiting.
    QByteArray readAvailable()
    {
        QByteArray out;
        ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        char buf[65536];
        ssize_t n = 0;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
            out.append(buf, static_cast<int>(n));
        return out;
    }
    int fds[2] = {-1, -1};
    bool ok = false;
};

// The probe program with its standard output on outFd; it logs `lines` lines
// from a thread holding a lock.
pid_t spawnProbe(int outFd, int lines)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    const std::string count = std::to_string(lines);
    char* argv[] = {const_cast<char*>(KZO_LOG_PROBE), const_cast<char*>(count.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, KZO_LOG_PROBE, &actions, nullptr, argv, environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Reaps a child; one that has not ended when the test gives up is killed.
struct Child {
    explicit Child(pid_t p) : pid(p) {}
    ~Child()
    {
        if (pid > 0 && !ended()) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
    }
    bool ended()
    {
        if (done)
            return true;
        done = ::waitpid(pid, &status, WNOHANG) == pid;
        return done;
    }
    pid_t pid;
    int status = 0;
    bool done = false;
};

} // namespace

class TestLogging : public QObject {
    Q_OBJECT
private slots:
    void taggedLineFormatAndBlankLine();
    void emptyTagPrintsDefault();
    void messageWithoutNewlineIsTerminated();
    void longMessageIsNotTruncated();
    void noColourCodesWhenSinkIsNotATerminal();
    void coloursOnATerminal();
    void progressBarCells_data();
    void progressBarCells();
    void negativeProgressPrintsNothing();
    void messageAfterProgressStartsOnFreshLine();
    void plainStdoutKeepsColumnBookkeeping();
    void closedSinkPrintsNothingAndKeepsCounter();
    void concurrentMessagesNeverInterleave();
    void unreadOutputDoesNotHoldUpALoggingThread();
    void programsSurviveABlockedOrClosedOutput_data();
    void programsSurviveABlockedOrClosedOutput();
};

void TestLogging::taggedLineFormatAndBlankLine()
{
    LogCapture cap;
    QVERIFY(cap.isOpen());
    const int n = kzo::log::sequence();
    logTaggedLevel(3, "CONNECT", "IMU is in loader mode. Connect type :%s\n", "USB");
    logTagged("Protocol", "second %d\n", 2);
    QCOMPARE(kzo::log::sequence(), n + 2);
    QCOMPARE(cap.bytes(),
        logHeader("CONNECT", n) + "IMU is in loader mode. Connect type :USB\n\n" + logHeader("Protocol", n + 1)
            + "second 2\n\n");
    // The header is exactly "[%-8s @ %4d] ".
    QVERIFY(cap.bytes().startsWith("[CONNECT  @ "));
}

void TestLogging::emptyTagPrintsDefault()
{
    LogCapture cap;
    const int n = kzo::log::sequence();
    logMessage("a %d", 1);
    logTagged("", "b");
    logTagged(nullptr, "c");
    logLevel(2, "d");
    logTaggedLevel(6, "", "e");
    QCOMPARE(kzo::log::sequence(), n + 5);
    QCOMPARE(cap.bytes(),
        logHeader("default", n) + "a 1\n" + logHeader("default", n + 1) + "b\n" + logHeader("default", n + 2)
            + "c\n" + logHeader("default", n + 3) + "d\n" + logHeader("default", n + 4) + "e\n");
}

void TestLogging::messageWithoutNewlineIsTerminated()
{
    LogCapture cap;
    const int n = kzo::log::sequence();
    logTagged("Write", "no break");
    logTagged("Write", "next");
    QCOMPARE(cap.bytes(), logHeader("Write", n) + "no break\n" + logHeader("Write", n + 1) + "next\n");
    // A tag longer than the column is printed whole.
    LogCapture cap2;
    logTagged("UpgradeOL2", "x");
    QVERIFY(cap2.bytes().startsWith("[UpgradeOL2 @ "));
}

void TestLogging::longMessageIsNotTruncated()
{
    LogCapture cap;
    const std::string body(3000, 'x');
    const int n = kzo::log::sequence();
    logTagged("Device", "%s|end", body.c_str());
    QCOMPARE(cap.bytes(), logHeader("Device", n) + QByteArray::fromStdString(body) + "|end\n");
}

void TestLogging::noColourCodesWhenSinkIsNotATerminal()
{
    LogCapture cap;
    for (int level = -1; level <= 9; ++level)
        logLevel(level, "level %d", level);
    const QByteArray out = cap.bytes();
    QCOMPARE(out.count('\n'), 11);
    QVERIFY(!out.contains('\033'));
}

void TestLogging::coloursOnATerminal()
{
    PseudoTerminal pty;
    if (!pty.ok())
        QSKIP("no pseudo terminal available");
    kzo::log::setOutputFd(pty.slave());
    const int n = kzo::log::sequence();
    logLevel(9, "grey");
    logTaggedLevel(3, "Protocol", "red");
    logLevel(1, "green");
    logLevel(-2, "neg");
    kzo::log::setOutputFd(-1);
    const QByteArray reset = "\033[0m";
    const QByteArray expected = reset + logHeader("default", n) + "grey" + reset + "\n" // out of table: entry 0
        + "\033[1;31m" + logHeader("Protocol", n + 1) + "red" + reset + "\n" + "\033[1;32m"
        + logHeader("default", n + 2) + "green" + reset + "\n" + reset + logHeader("default", n + 3) + "neg" + reset
        + "\n";
    QByteArray got;
    for (int i = 0; i < 20 && got.size() < expected.size(); ++i)
        got += pty.drain();
    QCOMPARE(got, expected);
}

void TestLogging::progressBarCells_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("full");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("50") << 50 << 35;
    QTest::newRow("100") << 100 << 70;
    QTest::newRow("33") << 33 << 23;
    QTest::newRow("above 100 stays within the cells") << 150 << 70;
}

void TestLogging::progressBarCells()
{
    QFETCH(int, percent);
    QFETCH(int, full);
    LogCapture cap;
    const int n = kzo::log::sequence();
    printProgress(percent);
    const QByteArray expected = "\r[" + QByteArray::number(percent) + "%]  " + QByteArray(full, '>')
        + QByteArray(70 - full, '=');
    QCOMPARE(cap.bytes(), expected);
    QCOMPARE(kzo::log::sequence(), n); // the bar is not a message
}

void TestLogging::negativeProgressPrintsNothing()
{
    LogCapture cap;
    printProgress(-1);
    QVERIFY(cap.bytes().isEmpty());
}

void TestLogging::messageAfterProgressStartsOnFreshLine()
{
    LogCapture cap;
    const int n = kzo::log::sequence();
    printProgress(10);
    printProgress(20);
    logTaggedLevel(1, "Upgrade", "done");
    const QByteArray bar10 = "\r[10%]  " + QByteArray(7, '>') + QByteArray(63, '=');
    const QByteArray bar20 = "\r[20%]  " + QByteArray(14, '>') + QByteArray(56, '=');
    QCOMPARE(cap.bytes(), bar10 + bar20 + "\n" + logHeader("Upgrade", n) + "done\n");
}

void TestLogging::plainStdoutKeepsColumnBookkeeping()
{
    LogCapture cap;
    const int n = kzo::log::sequence();
    logStdout("plain %s", "text");
    logMessage("one");
    logStdout("line\n");
    logMessage("two");
    QCOMPARE(cap.bytes(), "plain text\n" + logHeader("default", n) + "one\nline\n" + logHeader("default", n + 1)
            + "two\n");
    QCOMPARE(kzo::log::sequence(), n + 2);
}

void TestLogging::closedSinkPrintsNothingAndKeepsCounter()
{
    const int fd = ::open("/dev/null", O_WRONLY);
    QVERIFY(fd >= 0);
    ::close(fd); // fd is now a number that refers to nothing
    kzo::log::setOutputFd(fd);
    const int n = kzo::log::sequence();
    logMessage("lost");
    logTaggedLevel(3, "Device", "lost too");
    QCOMPARE(kzo::log::sequence(), n);
    kzo::log::setOutputFd(-1);
}

void TestLogging::concurrentMessagesNeverInterleave()
{
    LogCapture cap;
    const int n0 = kzo::log::sequence();
    constexpr int threads = 4;
    constexpr int perThread = 300;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([t] {
            const std::string tag = "T" + std::to_string(t);
            for (int i = 0; i < perThread; ++i) {
                if (i % 50 == 0)
                    printProgress(i);
                logTaggedLevel(t % 7, tag.c_str(), "thread %d message %d payload %s", t, i, "abcdefghij");
            }
        });
    }
    for (auto& th : pool)
        th.join();
    QCOMPARE(kzo::log::sequence(), n0 + threads * perThread);

    const QStringList lines = cap.text().split('\n', Qt::SkipEmptyParts);
    static const QRegularExpression lineRe(
        QStringLiteral("^(?:\r\\[\\d+%\\]  [>=]{70})?\\[T(\\d)\\s+ @ +(\\d+)\\] thread (\\d) message (\\d+) payload abcdefghij$"));
    std::vector<bool> seen(threads * perThread, false);
    std::vector<int> lastPerThread(threads, -1);
    int messages = 0;
    for (const QString& line : lines) {
        if (line.startsWith('\r') && !line.contains('[' + QStringLiteral("T")))
            continue; // a progress bar that the next message pushed to its own line
        const auto m = lineRe.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QCOMPARE(m.captured(1), m.captured(3));
        const int seq = m.captured(2).toInt() - n0;
        QVERIFY(seq >= 0 && seq < threads * perThread);
        QVERIFY(!seen[static_cast<size_t>(seq)]);
        seen[static_cast<size_t>(seq)] = true;
        // Each thread's messages keep their order.
        const int t = m.captured(1).toInt();
        const int i = m.captured(4).toInt();
        QCOMPARE(i, lastPerThread[static_cast<size_t>(t)] + 1);
        lastPerThread[static_cast<size_t>(t)] = i;
        ++messages;
    }
    QCOMPARE(messages, threads * perThread);
}

void TestLogging::unreadOutputDoesNotHoldUpALoggingThread()
{
    Pipe pipe;
    QVERIFY(pipe.ok);
    kzo::log::setOutputFd(pipe.fds[1]);
    const int n0 = kzo::log::sequence();
    const uint64_t dropped0 = kzo::log::droppedLines();
    // Far more than the pipe holds: a reader that never reads blocks it.
    constexpr int lines = 5000;
    std::mutex deviceLock;
    std::atomic<bool> done{false};
    std::thread listener([&] {
        std::lock_guard held(deviceLock);
        for (int i = 0; i < lines; ++i)
            logTaggedLevel(3, "Device", "line %d from a thread holding the device lock, padded to some length", i);
        done.store(true);
    });
    // Should the logger wait for the reader after all, reading frees it.
    struct Rescue {
        Pipe& pipe;
        std::atomic<bool>& done;
        std::thread& thread;
        ~Rescue()
        {
            while (!done.load())
                pipe.readAvailable();
            thread.join();
            kzo::log::setOutputFd(-1);
        }
    } rescue{pipe, done, listener};

    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 20000);
    QVERIFY(deviceLock.try_lock()); // the listener let go of the device
    deviceLock.unlock();
    QCOMPARE(kzo::log::sequence(), n0 + lines); // every line was numbered

    // Once the reader reads, what was kept arrives whole and in order; what
    // did not fit is counted and reported in a line of its own.
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += pipe.readAvailable(), kzo::log::queuedOutput() == 0), 20000);
    got += pipe.readAvailable();
    const uint64_t dropped = kzo::log::droppedLines() - dropped0;
    QVERIFY(dropped > 0);
    QVERIFY(got.endsWith('\n'));
    QList<QByteArray> received = got.split('\n');
    received.removeLast();
    QVERIFY(!received.isEmpty());
    static const QRegularExpression lineRe(QStringLiteral(
        "^\\[Device   @ +(\\d+)\\] line (\\d+) from a thread holding the device lock, padded to some length$"));
    const QByteArray notice = received.takeLast();
    QCOMPARE(notice,
        logHeader("Log", n0 + lines) + QByteArray::number(static_cast<qulonglong>(dropped))
            + " log lines dropped: the output was blocked");
    int last = -1;
    for (const QByteArray& line : received) {
        const auto m = lineRe.match(QString::fromLatin1(line));
        QVERIFY2(m.hasMatch(), line.constData());
        const int i = m.captured(2).toInt();
        QCOMPARE(m.captured(1).toInt(), n0 + i);
        QVERIFY(i > last);
        last = i;
    }
    QCOMPARE(static_cast<uint64_t>(received.size()) + dropped, static_cast<uint64_t>(lines));
    QCOMPARE(received.first(), logHeader("Device", n0) + "line 0 from a thread holding the device lock, padded to some length");
}

void TestLogging::programsSurviveABlockedOrClosedOutput_data()
{
    QTest::addColumn<bool>("readerGone");
    QTest::newRow("reader went away (a pager that was quit)") << true;
    QTest::newRow("reader never reads") << false;
}

void TestLogging::programsSurviveABlockedOrClosedOutput()
{
    QFETCH(bool, readerGone);
    constexpr int lines = 5000;
    Pipe pipe;
    QVERIFY(pipe.ok);
    if (readerGone)
        pipe.closeRead();
    Child probe(spawnProbe(pipe.fds[1], lines));
    QVERIFY(probe.pid > 0);
    pipe.closeWrite();
    // Either way the program gets through and ends.
    QTRY_VERIFY_WITH_TIMEOUT(probe.ended(), 20000);
    QVERIFY2(!WIFSIGNALED(probe.status), qPrintable(QString::number(WTERMSIG(probe.status))));
    QCOMPARE(WEXITSTATUS(probe.status), 0);
    if (!readerGone) {
        const QByteArray got = pipe.readAvailable();
        QVERIFY(got.startsWith(logHeader("Device", 0) + "probe line 0 of 5000"));
    }
}

QTEST_APPLESS_MAIN(TestLogging)
#include "test_logging.moc"
