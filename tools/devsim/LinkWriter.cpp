#include "LinkWriter.h"

#include "app/logging/Log.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace kzo::devsim {

namespace {
// A program that stops reading must not make the simulator grow without end.
constexpr size_t maxQueuedBytes = 1u << 20;
}

void LinkWriter::send(Bytes frame, Clock::time_point now)
{
    if (frame.size() < 11)
        return;
    const unsigned replyId = frame[9] | (frame[10] << 8); // record offset 5
    if (faults_.roll(faults_.crcErrors)) {
        frame[frame.size() - 1] ^= 0xA5; // checksum is the last two bytes
        frame[frame.size() - 2] ^= 0x5A;
        logTaggedLevel(2, "Fault", "reply 0x%.4x sent with a damaged checksum", replyId);
    }
    if (faults_.roll(faults_.garbage)) {
        // Noise goes in front of the frame: behind it, it would make the
        // receiver drop the frame as having the wrong length.
        const int n = faults_.uniform(1, 16);
        Bytes noisy;
        noisy.reserve(frame.size() + static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            noisy.push_back(faults_.noiseByte());
        noisy.insert(noisy.end(), frame.begin(), frame.end());
        frame.swap(noisy);
        logTaggedLevel(2, "Fault", "reply 0x%.4x: %d noise bytes written in front", replyId, n);
    }
    Clock::time_point due = now + std::chrono::milliseconds(faults_.latencyMs);
    if (faults_.roll(faults_.split) && frame.size() > 2) {
        const int pieces = faults_.uniform(2, std::min<int>(4, static_cast<int>(frame.size())));
        logTaggedLevel(2, "Fault", "reply 0x%.4x written in %d pieces", replyId, pieces);
        size_t start = 0;
        for (int i = 0; i < pieces; ++i) {
            const size_t left = frame.size() - start;
            const size_t rest = static_cast<size_t>(pieces - i - 1);
            size_t len = left - rest;
            if (rest > 0)
                len = static_cast<size_t>(faults_.uniform(1, static_cast<int>(left - rest)));
            enqueue(due, Bytes(frame.begin() + static_cast<long>(start), frame.begin() + static_cast<long>(start + len)));
            start += len;
            due += std::chrono::milliseconds(faults_.uniform(2, 15));
        }
        return;
    }
    enqueue(due, std::move(frame));
}

void LinkWriter::enqueue(Clock::time_point due, Bytes bytes)
{
    if (queuedBytes_ + bytes.size() > maxQueuedBytes) {
        logTaggedLevel(3, "DevSim", "output dropped: the program is not reading (%zu bytes queued)", queuedBytes_);
        return;
    }
    // Later frames never overtake earlier ones.
    if (!queue_.empty())
        due = std::max(due, queue_.back().due);
    queuedBytes_ += bytes.size();
    queue_.push_back({due, std::move(bytes)});
}

void LinkWriter::flush(Clock::time_point now)
{
    while (fd_ >= 0 && !queue_.empty() && queue_.front().due <= now) {
        Chunk& c = queue_.front();
        const ssize_t n = ::write(fd_, c.bytes.data(), c.bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return; // the pty buffer is full; poll tells when there is room
            logTaggedLevel(3, "DevSim", "write to the pty failed (errno %d), output discarded", errno);
            queue_.clear();
            queuedBytes_ = 0;
            return;
        }
        queuedBytes_ -= static_cast<size_t>(n);
        if (static_cast<size_t>(n) < c.bytes.size()) {
            c.bytes.erase(c.bytes.begin(), c.bytes.begin() + n);
            return;
        }
        queue_.pop_front();
    }
}

std::optional<Clock::time_point> LinkWriter::nextDue() const
{
    if (queue_.empty())
        return std::nullopt;
    return queue_.front().due;
}

} // namespace kzo::devsim
