// Command queue: sending, acknowledgement matching, re-sends, give-up, and the
// way a run ends (disabled, disconnected, partly failed).
#include "support/EagerDevIo.h"
#include "commands/CommandCatalogue.h"
#include "commands/qCmdQueue.h"
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <optional>
#include <thread>

using kzo::test::EagerDevIo;
using kzo::test::FakeDevIo;
using orb::qCmdQueue;

namespace {

std::unique_ptr<orb::cmd_base_t> command(uint16_t id)
{
    return std::make_unique<orb::cmd_t<kzo::tagNoneParm>>(id);
}

QList<int> intArgs(const QSignalSpy& spy)
{
    QList<int> out;
    for (const auto& args : spy)
        out << args.at(0).toInt();
    return out;
}

// The acknowledgement the read-all sequence pairs with a command, if any.
std::optional<uint16_t> readAllAck(uint16_t command)
{
    for (const auto& p : orb::readAllSequence)
        if (p.command == command)
            return p.ack;
    return std::nullopt;
}

} // namespace

class TestCmdQueue : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        io = std::make_unique<FakeDevIo>();
        queue = std::make_unique<qCmdQueue>();
        io->addListener(queue.get());
        finished.emplace(queue.get(), &qCmdQueue::queuefinished);
        pos.emplace(queue.get(), &qCmdQueue::posChanged);
    }
    void cleanup()
    {
        finished.reset();
        pos.reset();
        queue.reset();
        io.reset();
    }

    void addTakesOwnershipOnlyWhenAccepted()
    {
        QCOMPARE(orb::cmdQueue(), queue.get());
        std::unique_ptr<orb::cmd_base_t> none;
        QVERIFY(!queue->add(none, 0x02C1));
        QCOMPARE(queue->back(), nullptr);

        auto a = command(orb::cmdid::ReadVersions);
        auto* raw = a.get();
        QVERIFY(queue->add(a, orb::cmdid::VersionsAck));
        QVERIFY(!a);
        QCOMPARE(queue->back(), raw);
        QCOMPARE(queue->back()->commandId(), orb::cmdid::ReadVersions);

        queue->start();
        kzo::test::LogCapture log;
        auto b = command(orb::cmdid::ReadCmuVersion);
        QVERIFY(!queue->add(b, orb::cmdid::CmuVersionAck));
        QVERIFY(b); // refused: still the caller's
        QCOMPARE(log.bytes(), QByteArray("Cmmand Queue already started! not add\n"));
        QCOMPARE(queue->size(), 1);

        queue->start();
        QVERIFY(log.bytes().endsWith("Cmmand Queue already started!\n"));
        QCOMPARE(io->writeCount(), 1);
    }

    void startOnEmptyQueueDoesNothing()
    {
        queue->start();
        QVERIFY(!queue->isRunning());
        QCOMPARE(io->writeCount(), 0);
        // Signals are queued in the order they happen, so anything the empty
        // start had emitted arrives before the signals of the next run.
        QVERIFY(enqueue(0x02C0, 0x02C1));
        queue->start();
        io->deliverId(0x02C1);
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1}));
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x02C0}));
    }

    // The five read-all requests, acknowledged from another thread as the
    // serial listener does.
    void fiveAcknowledgedCommands()
    {
        QVERIFY(enqueueReadAll());
        kzo::test::LogCapture log;
        queue->start();
        for (size_t i = 0; i < orb::readAllSequence.size(); ++i) {
            QTRY_COMPARE_WITH_TIMEOUT(io->writeCount(), static_cast<int>(i + 1), 5000);
            std::thread([&, i] { io->deliverId(orb::readAllSequence[i].ack, {0}); }).join();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1, 2, 3, 4, 5}));
        std::vector<uint16_t> expected;
        for (const auto& p : orb::readAllSequence)
            expected.push_back(p.command);
        QCOMPARE(io->writtenIds(), expected);
        QVERIFY(log.bytes().contains("All process success!\n"));
        QVERIFY(!queue->isRunning());
        QCOMPARE(queue->size(), 0);
        // The end of the run stopped the re-send timer.
        QVERIFY(!queue->findChild<QTimer*>()->isActive());
    }

    void unansweredCommandIsSentFourTimesThenDropped()
    {
        QVERIFY(enqueue(0x02C0, 0x02C1));
        kzo::test::LogCapture log;
        const int seq = kzo::log::sequence();
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(pos->count(), 1, 5000);
        QCOMPARE(io->writeCount(), 4);
        const auto at = io->writtenTimes();
        for (size_t i = 1; i < at.size(); ++i)
            QVERIFY2(at[i] - at[i - 1] >= std::chrono::milliseconds(250), "re-sends come one timer period apart");
        for (auto id : io->writtenIds())
            QCOMPARE(id, uint16_t(0x02C0));

        QCOMPARE(pos->at(0).at(0).toInt(), 1);
        QVERIFY(log.bytes().contains(kzo::test::logHeader("CmdQueue", seq) + "try 3 times! failed. ID = 0x02c0\n"));
        // Dropping the last command leaves the run to end three expiries later,
        // and a run with a dropped command is not a success.
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(io->writeCount(), 4);
        QVERIFY(log.bytes().contains("try 3 times! failed.\n"));
        QVERIFY(log.bytes().contains("CmdQueue error finished!\n"));
        QVERIFY(!log.bytes().contains("All process success!"));
    }

    // Once the first command is dropped the next one is sent at that expiry
    // and re-sent twice more; an acknowledgement still ends the run, but as a
    // failure.
    void givenUpCommandMakesTheRunFail()
    {
        auto a = command(0x02C0);
        auto b = command(0x1244);
        QVERIFY(queue->add(a, 0x02C1));
        QVERIFY(queue->add(b, 0x1245));
        kzo::test::LogCapture log;
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(pos->count(), 1, 5000);
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x02C0, 0x02C0, 0x02C0, 0x02C0, 0x1244}));
        io->deliverId(0x1245, {0});
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(intArgs(*pos), (QList<int>{1, 2}));
        QVERIFY(!log.bytes().contains("All process success!"));
        QVERIFY(log.bytes().contains("CmdQueue error finished!\n"));

        // The next run starts clean and can succeed.
        finished->clear();
        QVERIFY(enqueue(0x02A2, 0x02A1));
        queue->start();
        io->deliverId(0x02A1);
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
    }

    void droppedCommandsNextGetsOneResendFewer()
    {
        auto a = command(0x02C0);
        auto b = command(0x1244);
        QVERIFY(queue->add(a, 0x02C1));
        QVERIFY(queue->add(b, 0x1245));
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 10000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(io->writtenIds(),
            (std::vector<uint16_t>{0x02C0, 0x02C0, 0x02C0, 0x02C0, 0x1244, 0x1244, 0x1244}));
    }

    void wrongAcknowledgementIsIgnored()
    {
        auto a = command(0x02C0);
        auto b = command(0x1244);
        QVERIFY(queue->add(a, 0x02C1));
        QVERIFY(queue->add(b, 0x1245));
        queue->start();
        io->deliverId(0x1245); // a later command's acknowledgement
        io->deliverId(0x02C0); // the command's own identifier
        QCoreApplication::processEvents();
        QCOMPARE(pos->count(), 0);
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x02C0}));
        io->deliverId(0x02C1);
        QCOMPARE(io->writtenIds(), (std::vector<uint16_t>{0x02C0, 0x1244}));
        io->deliverId(0x1245);
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1, 2}));
    }

    void disablingEndsTheRunAtTheNextExpiry()
    {
        auto a = command(0x02C0);
        QVERIFY(queue->add(a, 0x02C1));
        kzo::test::LogCapture log;
        const int seq = kzo::log::sequence();
        queue->start();
        queue->setEnabled(false);
        io->deliverId(0x02C1); // ignored while disabled
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(pos->count(), 0);
        QCOMPARE(io->writeCount(), 1);
        QVERIFY(log.bytes().contains(kzo::test::logHeader("CmdQueue", seq) + "Funcation Disabled !!!\n"));
        QVERIFY(log.bytes().contains("cmd queue error! pos = 1,ACK_ID = 0x02C1\n"));
        QCOMPARE(queue->size(), 0);

        // Starting while disabled fails at once.
        finished->clear();
        auto b = command(0x02C0);
        QVERIFY(queue->add(b, 0x02C1));
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(io->writeCount(), 1);
        queue->setEnabled(true);
    }

    void disconnectionEndsTheRun()
    {
        QVERIFY(enqueueReadAll());
        kzo::test::LogCapture log;
        queue->start();
        io->deliverId(orb::cmdid::VersionsAck);
        std::thread([&] { io->dispatch(EvDisconnected, nullptr); }).join();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QVERIFY(log.bytes().contains("cmd queue error! pos = 2,ACK_ID = 0x1245\n"));
        QVERIFY(!queue->isRunning());
        QCOMPARE(queue->size(), 0);
        QVERIFY(!queue->findChild<QTimer*>()->isActive());
    }

    // A start refused because the queue is disabled must not leave its
    // commands behind for the next run: they may be the restore-defaults
    // sequence, which would then go out in front of an ordinary read.
    void refusedStartForgetsItsCommands()
    {
        queue->setEnabled(false);
        for (const auto& p : orb::readAllSequence) {
            QVERIFY(enqueue(p.command, p.ack));
            queue->back()->setRestoreFlag();
        }
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), false);
        QCOMPARE(queue->size(), 0);
        QCOMPARE(queue->back(), nullptr);
        QCOMPARE(io->writeCount(), 0);

        finished->clear();
        queue->setEnabled(true);
        QVERIFY(enqueue(orb::cmdid::ReadCmuVersion, orb::cmdid::CmuVersionAck));
        queue->start();
        io->deliverId(orb::cmdid::CmuVersionAck);
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1}));
        const auto sent = io->takeFrames();
        QCOMPARE(sent.size(), size_t(1));
        QCOMPARE(sent[0].id(), orb::cmdid::ReadCmuVersion);
        QCOMPARE(kzo::frame::readU16(sent[0].record() + 7), uint16_t(0x8000)); // no restore flag
    }

    // A peer that answers before the write returns: each command must already
    // be the one the queue waits for when it goes out, so every answer counts
    // and nothing is sent twice.
    void answersArrivingBeforeTheWriteReturns()
    {
        EagerDevIo eager(EagerDevIo::AnswerOn::OtherThread, [](const EagerDevIo::Bytes& frame, int) -> std::vector<EagerDevIo::Bytes> {
            if (const auto ack = readAllAck(EagerDevIo::idOf(frame)))
                return {EagerDevIo::record(*ack, {0})};
            return {};
        });
        eager.addListener(queue.get());
        std::vector<uint16_t> expected;
        for (const auto& p : orb::readAllSequence) {
            QVERIFY(enqueue(p.command, p.ack));
            expected.push_back(p.command);
        }
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 5000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(eager.writtenIds(), expected);
        QVERIFY(!queue->findChild<QTimer*>()->isActive());
    }

    // Only the re-send of each command is answered, from another thread while
    // the timer's re-send is still being written: the answer must move the
    // queue on exactly once, and the next command is neither skipped nor sent
    // twice at once.
    void answerToAReSendWhileItIsWritten()
    {
        EagerDevIo eager(EagerDevIo::AnswerOn::OtherThread, [](const EagerDevIo::Bytes& frame, int earlierWrites) -> std::vector<EagerDevIo::Bytes> {
            const uint16_t id = EagerDevIo::idOf(frame);
            if (earlierWrites == 1)
                return {EagerDevIo::record(static_cast<uint16_t>(id + 1), {0})};
            return {};
        });
        eager.addListener(queue.get());
        for (uint16_t id : {0x3000, 0x3002, 0x3004}) {
            QVERIFY(enqueue(id, static_cast<uint16_t>(id + 1)));
        }
        queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 10000);
        QCOMPARE(finished->at(0).at(0).toBool(), true);
        QCOMPARE(intArgs(*pos), (QList<int>{1, 2, 3}));
        QCOMPARE(eager.writtenIds(), (std::vector<uint16_t>{0x3000, 0x3000, 0x3002, 0x3002, 0x3004, 0x3004}));
    }

private:
    bool enqueue(uint16_t id, uint16_t ack)
    {
        auto c = command(id);
        return queue->add(c, ack);
    }
    bool enqueueReadAll()
    {
        for (const auto& p : orb::readAllSequence)
            if (!enqueue(p.command, p.ack))
                return false;
        return true;
    }

    std::unique_ptr<FakeDevIo> io;
    std::unique_ptr<qCmdQueue> queue;
    std::optional<QSignalSpy> finished;
    std::optional<QSignalSpy> pos;
};

QTEST_MAIN(TestCmdQueue)
#include "test_cmd_queue.moc"
