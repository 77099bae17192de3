#pragma once
// Process-wide console logger: numbered, tagged lines, coloured by level.
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kzo::log {

inline constexpr int logColourCount = 7;
inline constexpr int progressWidth = 70;

// Colour attributes of the original console table, indexed by level.
inline constexpr unsigned char logColours[logColourCount] = {0x07, 0x0A, 0x0E, 0x0C, 0x0D, 0x09, 0x0B};

// ANSI SGR sequence for a level (level outside 0..6 uses entry 0).
const char* ansiColour(int level);

// Redirects all output (tests); nullptr restores standard output. Colours are
// used only when the sink is a terminal.
void setOutputFd(int fd);

// Number of messages printed so far.
int sequence();

// Output waiting for a slow reader (bytes), and the lines dropped so far
// because the output was blocked or gone.
size_t queuedOutput();
uint64_t droppedLines();

} // namespace kzo::log

void logWrite(const char* tag, const char* fmt, int level, va_list args);
void logMessage(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void logTagged(const char* tag, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void logLevel(int level, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void logTaggedLevel(int level, const char* tag, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// Text progress bar: "\r[%d%%]  " then 70 cells of '>' and '='; leaves the line open.
void printProgress(int percent);

// Plain standard-output line through the logger's sink and lock, so it keeps the
// column-0 bookkeeping (used for the few lines that bypass the tagged format).
void logStdout(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
