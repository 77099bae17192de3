#pragma once
// Everything the simulator sends goes through here: the faults that concern
// the wire (bad checksum, noise, split writes, latency) are applied, and the
// bytes are written to the pty master when they are due, in order.
#include "Faults.h"
#include "ReplyFrame.h"

#include <chrono>
#include <deque>
#include <optional>

namespace kzo::devsim {

using Clock = std::chrono::steady_clock;

class LinkWriter {
public:
    explicit LinkWriter(Faults& faults) : faults_(faults) {}

    void setFd(int fd) { fd_ = fd; }
    // Schedules one sealed frame.
    void send(Bytes frame, Clock::time_point now);
    // Writes every due chunk that the pty accepts now.
    void flush(Clock::time_point now);
    // When the next chunk falls due (nothing pending: empty).
    std::optional<Clock::time_point> nextDue() const;
    // A due chunk waits for room in the pty buffer.
    bool blocked(Clock::time_point now) const { return !queue_.empty() && queue_.front().due <= now; }
    size_t pending() const { return queue_.size(); }
    // Drops everything not yet written (the cable was pulled).
    void discard()
    {
        queue_.clear();
        queuedBytes_ = 0;
    }

private:
    struct Chunk {
        Clock::time_point due;
        Bytes bytes;
    };
    void enqueue(Clock::time_point due, Bytes bytes);

    Faults& faults_;
    int fd_ = -1;
    std::deque<Chunk> queue_;
    size_t queuedBytes_ = 0;
};

} // namespace kzo::devsim
