#include "commands/qCmdQueue.h"

#include "app/logging/Log.h"
#include "protocol/FrameCodec.h"

#include <QMetaObject>
#include <QThread>

namespace orb {

qCmdQueue* cmdQueue() { return qCmdQueue::instance(); }

qCmdQueue::qCmdQueue(QObject* parent) : QObject(parent), timer(new QTimer(this))
{
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, this, &qCmdQueue::handleTimeout);
    connect(this, &qCmdQueue::queuefinished, this, &qCmdQueue::slot_finished);
}

qCmdQueue::~qCmdQueue() = default;

bool qCmdQueue::add(std::unique_ptr<cmd_base_t>& cmd, uint16_t ackId)
{
    std::lock_guard guard(lock);
    if (running) {
        logStdout("Cmmand Queue already started! not add\n");
        return false;
    }
    if (!cmd)
        return false;
    commands.push_back(std::move(cmd));
    ackIds.push_back(ackId);
    ++added;
    return true;
}

cmd_base_t* qCmdQueue::back()
{
    std::lock_guard guard(lock);
    return commands.empty() ? nullptr : commands.back().get();
}

void qCmdQueue::start()
{
    Frame frame;
    {
        std::lock_guard guard(lock);
        if (!enabled) {
            logTaggedLevel(2, "CmdQueue", "Funcation Disabled !!!");
            post(&qCmdQueue::queuefinished, false);
            // The refused run is over: its commands (possibly the
            // restore-defaults sequence) must not lead the next one.
            if (!running)
                clearLocked();
            return;
        }
        if (running) {
            logStdout("Cmmand Queue already started!\n");
            return;
        }
        if (commands.empty())
            return;
        running = true;
        pos = 0;
        gaveUp = false;
        freshSend = false;
        frame = frontFrame();
    }
    writeFrame(frame);
    if (QThread::currentThread() == thread())
        timer->start(interval);
    else
        QMetaObject::invokeMethod(timer, qOverload<>(&QTimer::start), Qt::QueuedConnection);
}

void qCmdQueue::setEnabled(bool on)
{
    std::lock_guard guard(lock);
    enabled = on;
}

bool qCmdQueue::isEnabled() const
{
    std::lock_guard guard(lock);
    return enabled;
}

bool qCmdQueue::isRunning() const
{
    std::lock_guard guard(lock);
    return running;
}

int qCmdQueue::size() const
{
    std::lock_guard guard(lock);
    return static_cast<int>(commands.size());
}

int qCmdQueue::position() const
{
    std::lock_guard guard(lock);
    return pos;
}

void qCmdQueue::clear()
{
    std::lock_guard guard(lock);
    clearLocked();
}

void qCmdQueue::clearLocked()
{
    commands.clear();
    ackIds.clear();
    added = 0;
    pos = 0;
}

void qCmdQueue::finish(bool success)
{
    std::lock_guard guard(lock);
    finishLocked(success);
}

void qCmdQueue::finishLocked(bool success)
{
    running = false;
    tries = 0;
    freshSend = false;
    // A run that dropped a command did not do all it was asked to.
    if (success && !gaveUp) {
        logStdout("All process success!\n");
        post(&qCmdQueue::queuefinished, true);
    } else {
        post(&qCmdQueue::queuefinished, false);
        if (!ackIds.empty())
            logStdout("cmd queue error! pos = %d,ACK_ID = 0x%.4X\n", pos + 1, ackIds.front());
        else
            logStdout("CmdQueue error finished!\n");
    }
    gaveUp = false;
    clearLocked();
}

void qCmdQueue::onDevEvent(const DevEvent* event)
{
    if (!event)
        return;
    switch (event->kind) {
    case EvFrame:
        if (event->data)
            handleAck(kzo::frame::recordCommandId(event->data));
        break;
    case EvDisconnected: {
        std::lock_guard guard(lock);
        if (enabled && running)
            finishLocked(false);
        break;
    }
    default:
        break;
    }
}

void qCmdQueue::handleAck(uint16_t commandId)
{
    Frame next;
    {
        std::lock_guard guard(lock);
        if (!enabled || !running)
            return;
        if (commands.empty()) {
            finishLocked(true);
            return;
        }
        if (commandId != ackIds.front())
            return;
        commands.pop_front();
        ackIds.pop_front();
        ++pos;
        post(&qCmdQueue::posChanged, pos);
        tries = 0;
        if (commands.empty()) {
            finishLocked(true);
            return;
        }
        next = frontFrame();
        freshSend = true;
    }
    writeFrame(next);
}

void qCmdQueue::handleTimeout()
{
    Frame frame;
    {
        std::lock_guard guard(lock);
        if (!running) {
            // The run ended on the listener thread; the queued stop follows.
            timer->stop();
            return;
        }
        if (!enabled) {
            logTaggedLevel(2, "CmdQueue", "Funcation Disabled !!!");
            finishLocked(false);
            return;
        }
        if (freshSend) {
            // Sent by the acknowledgement path less than a period ago.
            freshSend = false;
            return;
        }
        const int old = tries++;
        if (old > 2) {
            if (!commands.empty()) {
                logTaggedLevel(3, "CmdQueue", "try 3 times! failed. ID = 0x%.4x", commands.front()->commandId());
                commands.pop_front();
                ackIds.pop_front();
                tries = 1;
                ++pos;
                gaveUp = true;
                post(&qCmdQueue::posChanged, pos);
            } else {
                logTaggedLevel(3, "CmdQueue", "try 3 times! failed.");
                finishLocked(true);
                return;
            }
        }
        if (commands.empty())
            return;
        frame = frontFrame();
    }
    writeFrame(frame);
}

void qCmdQueue::slot_finished(bool)
{
    // A new run may have started before this queued call arrived.
    std::lock_guard guard(lock);
    if (!running && timer->isActive())
        timer->stop();
}

qCmdQueue::Frame qCmdQueue::frontFrame()
{
    cmd_base_t* c = commands.front().get();
    return Frame(c->frame(), c->frame() + c->frameSize());
}

void qCmdQueue::writeFrame(const Frame& frame)
{
    if (io && !frame.empty())
        io->write(frame.data(), static_cast<int>(frame.size()));
}

void qCmdQueue::post(void (qCmdQueue::*signal)(int), int value)
{
    QMetaObject::invokeMethod(this, [this, signal, value] { emit(this->*signal)(value); }, Qt::QueuedConnection);
}

void qCmdQueue::post(void (qCmdQueue::*signal)(bool), bool value)
{
    QMetaObject::invokeMethod(this, [this, signal, value] { emit(this->*signal)(value); }, Qt::QueuedConnection);
}

} // namespace orb
