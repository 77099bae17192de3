#include "app/logging/Log.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::mutex& logLock()
{
    static std::mutex m;
    return m;
}

// All state below is guarded by logLock().
int g_fd = STDOUT_FILENO;
int g_sequence = 0;
bool g_lastWasNewline = true;

bool useColour()
{
    return isatty(g_fd) == 1;
}

void writeAll(const std::string& s)
{
    const char* p = s.data();
    size_t left = s.size();
    while (left > 0) {
        ssize_t n = ::write(g_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (!s.empty())
        g_lastWasNewline = s.back() == '\n';
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
    std::lock_guard lock(logLock());
    g_fd = fd < 0 ? STDOUT_FILENO : fd;
    g_lastWasNewline = true;
}

int sequence()
{
    std::lock_guard lock(logLock());
    return g_sequence;
}

} // namespace kzo::log

void logWrite(const char* tag, const char* fmt, int level, va_list args)
{
    std::lock_guard lock(logLock());
    // A closed standard output prints nothing and does not move the counter.
    if (::fcntl(g_fd, F_GETFD) < 0)
        return;
    std::string line;
    // A progress bar may have left the line open: start every message afresh.
    if (!g_lastWasNewline)
        line += '\n';
    const bool colour = useColour();
    if (colour)
        line += kzo::log::ansiColour(level);
    const char* t = (tag && *tag) ? tag : "default";
    char head[64];
    std::snprintf(head, sizeof head, "[%-8s @ %4d] ", t, g_sequence);
    ++g_sequence;
    line += head;
    line += vformat(fmt ? fmt : "", args);
    if (colour)
        line += kzo::log::ansiColour(0);
    line += '\n';
    writeAll(line);
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
    std::lock_guard lock(logLock());
    writeAll(text);
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
    // The bar is flushed at once but shares the logger's bookkeeping so the
    // next message starts on a fresh line.
    std::lock_guard lock(logLock());
    writeAll(bar);
}
