#include "app/logging/Log.h"
#include "app/logging/LogSink.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using kzo::log::outputGone;
using kzo::log::Sink;
using kzo::log::wouldBlock;

// Output a slow reader has not taken yet is kept up to this size; lines that
// do not fit are dropped and counted, so no thread ever waits on the reader.
constexpr size_t maxQueuedBytes = 256 * 1024;
// How long the end of the program waits for a slow reader to take the rest.
constexpr auto exitFlushLimit = std::chrono::milliseconds(1000);

// All state is guarded by lock. Never destroyed: the writer thread may still
// run while the program's static objects go away.
struct Logger {
    std::mutex lock; // serialises every print, and the queue
    int target = STDOUT_FILENO;
    std::shared_ptr<Sink> sink;
    int sequence = 0;
    bool lastWasNewline = true;

    std::deque<std::string> queue; // output not written yet, in order
    size_t queuedBytes = 0;
    uint64_t dropped = 0;
    uint64_t droppedUnreported = 0;
    bool writerRunning = false;
    int wakeFd = -1; // ends the writer's wait for a writable output
    std::condition_variable queued;
    std::condition_variable drained;
};

Logger& logger()
{
    static Logger* l = new Logger;
    return *l;
}

// The output is about to change: what was waiting belongs to the old one,
// and a writer waiting for that one stops waiting.
void forgetOutput(Logger& l)
{
    l.dropped += l.queue.size();
    l.queue.clear();
    l.queuedBytes = 0;
    l.sink.reset();
    if (l.wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(l.wakeFd, &one, sizeof one);
    }
}

// The sink for the current target, reopened when the target now names
// another file; null when the target is closed.
Sink* currentSink(Logger& l)
{
    struct stat st{};
    if (::fstat(l.target, &st) != 0) {
        l.sink.reset();
        return nullptr;
    }
    if (!l.sink || l.sink->device != st.st_dev || l.sink->inode != st.st_ino) {
        forgetOutput(l);
        l.sink = kzo::log::openSink(l.target, st);
    }
    return l.sink.get();
}

void dropQueue(Logger& l)
{
    l.dropped += l.queue.size();
    l.droppedUnreported += l.queue.size();
    l.queue.clear();
    l.queuedBytes = 0;
}

std::string vformat(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(n));
    return out;
}

// One numbered message: fresh line, colour, header, body, reset, line break.
std::string formatMessage(Logger& l, const Sink& s, const char* tag, int level, const std::string& body)
{
    std::string line;
    // A progress bar may have left the line open: start every message afresh.
    if (!l.lastWasNewline)
        line += '\n';
    if (s.colour)
        line += kzo::log::ansiColour(level);
    const char* t = (tag && *tag) ? tag : "default";
    char head[64];
    std::snprintf(head, sizeof head, "[%-8s @ %4d] ", t, l.sequence);
    ++l.sequence;
    line += head;
    line += body;
    if (s.colour)
        line += kzo::log::ansiColour(0);
    line += '\n';
    return line;
}

void writerLoop();

void startWriter(Logger& l)
{
    if (l.writerRunning)
        return;
    if (l.wakeFd < 0)
        l.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    try {
        std::thread(writerLoop).detach();
        l.writerRunning = true;
    } catch (const std::system_error&) {
        dropQueue(l); // nobody would ever write it
        return;
    }
    static bool registered = false;
    if (!registered) {
        registered = true;
        // What a slow reader has not taken yet gets a moment at the end;
        // an output that stays blocked does not keep the program alive.
        std::atexit([] {
            Logger& lg = logger();
            std::unique_lock lock(lg.lock);
            lg.drained.wait_for(lock, exitFlushLimit, [&] { return lg.queue.empty(); });
        });
    }
}

// Writes what can be written now, in order. Called with the lock held.
void flushQueue(Logger& l, Sink& s)
{
    while (!l.queue.empty()) {
        std::string& front = l.queue.front();
        const ssize_t r = kzo::log::tryWrite(s, front.data(), front.size());
        if (r == outputGone) {
            dropQueue(l);
            return;
        }
        if (r == wouldBlock)
            return;
        l.queuedBytes -= static_cast<size_t>(r);
        if (static_cast<size_t>(r) == front.size())
            l.queue.pop_front();
        else
            front.erase(0, static_cast<size_t>(r));
        if (l.queue.empty() && l.droppedUnreported > 0) {
            // The reader caught up: say what it missed.
            const std::string note = formatMessage(l, s, "Log", 3,
                std::to_string(l.droppedUnreported) + " log lines dropped: the output was blocked");
            l.droppedUnreported = 0;
            l.lastWasNewline = true;
            l.queue.push_back(note);
            l.queuedBytes += note.size();
        }
    }
}

void writerLoop()
{
    Logger& l = logger();
    std::unique_lock lock(l.lock);
    for (;;) {
        l.queued.wait(lock, [&] { return !l.queue.empty(); });
        std::shared_ptr<Sink> s = l.sink;
        if (!s) {
            dropQueue(l);
            l.drained.notify_all();
            continue;
        }
        flushQueue(l, *s);
        if (l.queue.empty()) {
            l.drained.notify_all();
            continue;
        }
        // Wait for the reader without the lock; a new output ends the wait.
        const int wake = l.wakeFd;
        lock.unlock();
        pollfd fds[2] = {{s->fd, POLLOUT, 0}, {wake, POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        uint64_t drain = 0;
        [[maybe_unused]] ssize_t n = ::read(wake, &drain, sizeof drain);
        s.reset(); // the old output is released outside the lock
        lock.lock();
    }
}

// Hands text to the output without waiting: written now if the output takes
// it, else queued for the writer thread, else dropped and counted.
void submit(Logger& l, Sink& s, std::string text)
{
    if (text.empty())
        return;
    l.lastWasNewline = text.back() == '\n';
    if (l.queue.empty()) {
        const ssize_t r = kzo::log::tryWrite(s, text.data(), text.size());
        if (r == outputGone) {
            ++l.dropped;
            return;
        }
        if (r > 0 && static_cast<size_t>(r) == text.size())
            return;
        if (r > 0) {
            // The rest of a line that was started must follow, whatever the bound.
            text.erase(0, static_cast<size_t>(r));
            l.queuedBytes += text.size();
            l.queue.push_back(std::move(text));
            startWriter(l);
            l.queued.notify_one();
            return;
        }
    }
    if (l.queuedBytes + text.size() > maxQueuedBytes) {
        ++l.dropped;
        ++l.droppedUnreported;
        return;
    }
    l.queuedBytes += text.size();
    l.queue.push_back(std::move(text));
    startWriter(l);
    l.queued.notify_one();
}

} // namespace

namespace kzo::log {

const char* ansiColour(int level)
{
    static const char* const codes[logColourCount] = {
        "\033[0m",    // grey (normal)
        "\033[1;32m", // bright green
        "\033[1;33m", // bright yellow
        "\033[1;31m", // bright red
        "\033[1;35m", // bright magenta
        "\033[1;34m", // bright blue
        "\033[1;36m", // bright cyan
    };
    if (level < 0 || level >= logColourCount)
        level = 0;
    return codes[level];
}

void setOutputFd(int fd)
{
    Logger& l = logger();
    std::lock_guard lock(l.lock);
    l.target = fd < 0 ? STDOUT_FILENO : fd;
    l.lastWasNewline = true;
    // Reopened at the next line, even when the number names the same file.
    forgetOutput(l);
}

int sequence()
{
    std::lock_guard lock(logger().lock);
    return logger().sequence;
}

size_t queuedOutput()
{
    std::lock_guard lock(logger().lock);
    return logger().queuedBytes;
}

uint64_t droppedLines()
{
    std::lock_guard lock(logger().lock);
    return logger().dropped;
}

} // namespace kzo::log

void logWrite(const char* tag, const char* fmt, int level, va_list args)
{
    Logger& l = logger();
    std::lock_guard lock(l.lock);
    // A closed standard output prints nothing and does not move the counter.
    Sink* s = currentSink(l);
    if (!s)
        return;
    std::string line = formatMessage(l, *s, tag, level, vformat(fmt ? fmt : "", args));
    submit(l, *s, std::move(line));
}

void logMessage(const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    logWrite(nullptr, fmt, 1, a);
    va_end(a);
}

void logTagged(const char* tag, const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    logWrite(tag, fmt, 1, a);
    va_end(a);
}

void logLevel(int level, const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    logWrite(nullptr, fmt, level, a);
    va_end(a);
}

void logTaggedLevel(int level, const char* tag, const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    logWrite(tag, fmt, level, a);
    va_end(a);
}

void logStdout(const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    std::string text = vformat(fmt ? fmt : "", a);
    va_end(a);
    Logger& l = logger();
    std::lock_guard lock(l.lock);
    if (Sink* s = currentSink(l))
        submit(l, *s, std::move(text));
}

void printProgress(int percent)
{
    if (percent < 0)
        return;
    const int done = percent * kzo::log::progressWidth / 100;
    std::string bar;
    char head[32];
    std::snprintf(head, sizeof head, "\r[%d%%]  ", percent);
    bar += head;
    // Clamp so a percentage above 100 cannot draw a longer bar than the cells.
    const int full = std::min(std::max(done, 0), kzo::log::progressWidth);
    bar.append(static_cast<size_t>(full), '>');
    bar.append(static_cast<size_t>(kzo::log::progressWidth - full), '=');
    // Shares the logger's bookkeeping so the next message starts on a fresh line.
    Logger& l = logger();
    std::lock_guard lock(l.lock);
    if (Sink* s = currentSink(l))
        submit(l, *s, std::move(bar));
}
