#include "ReadAllCell.h"

#include "FaultMatrix.h"
#include "pages/SimLink.h"

#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "commands/PayloadTypes.h"
#include "commands/qCmdQueue.h"
#include "commands/qConnector.h"
#include "protocol/FrameCodec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <map>
#include <mutex>

namespace kzo::test::matrix {

namespace {

// What the device answers to the read-all, as the listeners see it.
class AckRecorder : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* event) override
    {
        if (!event || event->kind != EvFrame || !event->data)
            return;
        const uint16_t id = kzo::frame::recordCommandId(event->data);
        const int length = kzo::frame::recordLength(event->data);
        std::lock_guard g(lock);
        acks[id] = std::vector<uint8_t>(event->data, event->data + length);
    }
    void clear()
    {
        std::lock_guard g(lock);
        acks.clear();
    }
    // Every answer of the read-all arrived, accepted, with the device's versions.
    QString missing()
    {
        std::lock_guard g(lock);
        for (const auto& pair : orb::readAllSequence) {
            const auto it = acks.find(pair.ack);
            if (it == acks.end())
                return QStringLiteral("no 0x%1").arg(pair.ack, 4, 16, QLatin1Char('0'));
            if (it->second.size() < 28 || it->second[26] != 0)
                return QStringLiteral("0x%1 not accepted").arg(pair.ack, 4, 16, QLatin1Char('0'));
        }
        const auto& v = acks[orb::cmdid::VersionsAck];
        if (v.size() < 27 + 12 || kzo::frame::readU32(v.data() + 27 + 8) != 0x03000007u)
            return QStringLiteral("wrong main-controller version");
        const auto& c = acks[orb::cmdid::CmuVersionAck];
        if (c.size() < 27 + 4 || kzo::frame::readU32(c.data() + 27) != 0x02000009u)
            return QStringLiteral("wrong CMU version");
        return {};
    }

private:
    std::mutex lock;
    std::map<uint16_t, std::vector<uint8_t>> acks;
};

// The main window's read-all: five parameterless reads through the queue.
bool enqueueReadAll(orb::qCmdQueue& q)
{
    for (const auto& pair : orb::readAllSequence) {
        std::unique_ptr<orb::cmd_base_t> cmd = std::make_unique<orb::cmd_t<kzo::tagNoneParm>>(pair.command);
        if (!q.add(cmd, pair.ack))
            return false;
    }
    q.start();
    return true;
}

} // namespace

QStringList readAllFaultArgs(const QString& column, int& unplugAfterRequest)
{
    unplugAfterRequest = 0;
    if (column == QLatin1String("none"))
        return {};
    // The connection manager asks for the status once when the port opens, so
    // a lost status report leaves the device unconnected and no read-all
    // starts: these seeds let the first two exchanges through and hit the
    // read-all's own requests and answers.
    if (column == QLatin1String("crc errors"))
        return {"--crc-errors", "0.2", "--seed", "9"};
    if (column == QLatin1String("garbage"))
        return {"--garbage", "1.0", "--seed", "4"};
    if (column == QLatin1String("split"))
        return {"--split", "1.0", "--seed", "5"};
    if (column == QLatin1String("dropped"))
        return {"--drop-replies", "0.2", "--seed", "9"};
    if (column == QLatin1String("latency"))
        return {"--latency-ms", "700"};
    // Pulled out while the answer to the first, third or last read is on its way.
    if (column.startsWith(QLatin1String("unplug"))) {
        unplugAfterRequest = column.contains(QLatin1String("10")) ? 1 : column.contains(QLatin1String("50")) ? 3 : 5;
        return {"--latency-ms", "300", "--replug-after", "0.5"};
    }
    return {QStringLiteral("n/a")};
}

int runReadAllCell(const QString& column)
{
    int unplugAfter = 0;
    const QStringList faultArgs = readAllFaultArgs(column, unplugAfter);
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    SimChild sim(nullptr);
    sim.start(QStringLiteral("kzo-devsim"), QStringList{"--exit-with-parent", "--link", link, "--mc-version", "3.7",
                                                        "--cmu-version", "2.9"}
                                                + faultArgs);
    if (!QTest::qWaitFor([&] { return sim.output().contains("port: ") && QFileInfo::exists(link); }, 20000)) {
        reportChildCell(Outcome::Crash, {}, QStringLiteral("the simulator did not start"));
        return 0;
    }

    talkLikeTheProgram();
    qConnector connector;
    orb::qCmdQueue queue;
    AckRecorder recorder;
    currentDevIo->addListener(&connector);
    currentDevIo->addListener(&queue);
    currentDevIo->addListener(&recorder);

    // Each connection runs the read-all, as the main window does; one still
    // running from the last connection is let finish first.
    int connections = 0;
    bool pending = false;
    std::vector<bool> results;
    std::vector<QString> missing; // per finished run: what a successful run lacked
    QObject::connect(&connector, &qConnector::connectionChanged, &queue, [&](bool up) {
        if (!up)
            return;
        ++connections;
        if (queue.isRunning())
            pending = true;
        else
            enqueueReadAll(queue);
    }, Qt::QueuedConnection);
    QObject::connect(&queue, &orb::qCmdQueue::queuefinished, &queue, [&](bool ok) {
        // Judged now, before a later run brings its own answers.
        results.push_back(ok);
        missing.push_back(ok ? recorder.missing() : QString());
        recorder.clear();
        if (pending) {
            pending = false;
            enqueueReadAll(queue);
        }
    }, Qt::QueuedConnection);

    int requestsSeen = 0;
    bool pulled = false;
    QObject::connect(&sim, &SimChild::newOutput, &queue, [&] {
        if (unplugAfter == 0 || pulled)
            return;
        static const QRegularExpression read(QStringLiteral("<- 0x(02c0|1244|02a2|02a7|1253) "));
        requestsSeen = static_cast<int>(QString::fromUtf8(sim.output()).count(read));
        if (requestsSeen >= unplugAfter) {
            pulled = true;
            ::kill(static_cast<pid_t>(sim.proc.processId()), SIGUSR1);
        }
    });

    SimLink simLink(link);
    // Well above the queue's own bound: five reads, each given up after three
    // re-sends 300 ms apart.
    const int deadlineMs = 20000;
    const size_t runsWanted = unplugAfter ? 2 : 1;
    (void)QTest::qWaitFor([&] { return results.size() >= runsWanted && !pending && !queue.isRunning(); }, deadlineMs);

    Outcome o = Outcome::Hang;
    QString detail;
    if (results.empty()) {
        detail = connections == 0 ? QStringLiteral("never connected") : QStringLiteral("the read-all never finished");
    } else if (!results.front()) {
        o = Outcome::Failed;
    } else {
        o = missing.front().isEmpty() ? Outcome::Ok : Outcome::FalseOk;
        detail = missing.front();
    }
    QString note;
    if (unplugAfter) {
        const bool again = results.size() >= 2 && results[1] && missing[1].isEmpty();
        note = again ? QStringLiteral("+replug ok") : QStringLiteral("+REPLUG FAILED");
        if (!again)
            detail += QStringLiteral(" after the re-plug: %1 runs%2")
                          .arg(results.size())
                          .arg(results.size() >= 2 ? QStringLiteral(", ") + (results[1] ? missing[1] : QStringLiteral("failed"))
                                                   : QString());
    }
    simLink.stop();
    orb::simpleDevIo().close();
    currentDevIo->removeListener(&recorder);
    currentDevIo->removeListener(&queue);
    currentDevIo->removeListener(&connector);
    if (sim.crashed()) {
        o = Outcome::Crash;
        detail = QStringLiteral("kzo-devsim died");
    }
    sim.stop();
    reportChildCell(o, note, detail);
    return 0;
}

} // namespace kzo::test::matrix
