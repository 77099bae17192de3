#pragma once
// Runs a list of commands against the device one at a time: send, wait for the
// expected acknowledgement, send the next. A 300 ms timer re-sends the current
// command; after three unanswered re-sends it is given up and the run goes on.
//
// Threads: acknowledgements arrive on the serial listener thread, the timer
// runs on the queue's own (GUI) thread. Every decision about which command to
// send is taken under `lock`, and the frame is copied before the lock is
// released, so a command can be neither skipped nor freed while it is written.
// Signals are always emitted on the queue's thread, queued in the order the
// events happened; they arrive after the call that caused them has returned.
#include "commands/DevCommand.h"
#include "protocol/DevListener.h"
#include "protocol/Singleton.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace orb {

class qCmdQueue : public QObject, public DevListener, public SingletonEx<qCmdQueue> {
    Q_OBJECT
public:
    explicit qCmdQueue(QObject* parent = nullptr);
    ~qCmdQueue() override;

    // Takes the command when accepted (cmd is then empty); while a run is in
    // progress, or for an empty pointer, refuses and leaves cmd untouched.
    bool add(std::unique_ptr<cmd_base_t>& cmd, uint16_t ackId);
    // The last queued command (still owned by the queue), or null; valid until
    // the queue is started or cleared.
    cmd_base_t* back();
    // Call on the queue's thread (it starts the timer).
    void start();
    void setEnabled(bool on);
    bool isEnabled() const;
    bool isRunning() const;
    int size() const;
    int position() const;
    void clear();
    void finish(bool success);

    void onDevEvent(const DevEvent* event) override;

    static constexpr int interval = 300;

signals:
    void posChanged(int pos);
    void queuefinished(bool finishstatus);

public slots:
    void handleTimeout();
    void slot_finished(bool bSuccess);

private:
    using Frame = std::vector<uint8_t>;
    void handleAck(uint16_t commandId);
    // Caller holds lock.
    Frame frontFrame();
    void finishLocked(bool success);
    void clearLocked();
    void post(void (qCmdQueue::*signal)(int), int value);
    void post(void (qCmdQueue::*signal)(bool), bool value);
    void writeFrame(const Frame& frame);

    mutable std::recursive_mutex lock;
    std::deque<std::unique_ptr<cmd_base_t>> commands;
    std::deque<uint16_t> ackIds;
    int pos = 0;
    int tries = 0;
    int added = 0;
    bool running = false;
    bool enabled = true;
    // A command given up in this run: the run cannot end in success.
    bool gaveUp = false;
    // The acknowledgement path sent the current command after the last
    // expiry; that expiry must not re-send it at once.
    bool freshSend = false;
    QTimer* timer;
};

// Global accessor (null before start-up created the queue).
qCmdQueue* cmdQueue();

} // namespace orb
