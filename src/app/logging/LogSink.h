#pragma once
// The logger's output: a descriptor of its own for standard output (or the
// file tests give it), written without ever waiting for a reader.
#include <memory>

#include <sys/stat.h>
#include <sys/types.h>

namespace kzo::log {

struct Sink {
    int fd = -1; // owned
    bool socket = false; // written with send(): non-blocking and no SIGPIPE per call
    bool mayBlock = false; // a pipe or device that could not be given one: polled first
    bool raisesSigpipe = false; // a pipe: writing after the reader left raises SIGPIPE
    bool colour = false; // a terminal
    dev_t device = 0; // what the target named when the sink was opened
    ino_t inode = 0;

    Sink() = default;
    Sink(const Sink&) = delete;
    Sink& operator=(const Sink&) = delete;
    ~Sink();
};

inline constexpr ssize_t wouldBlock = -1;
inline constexpr ssize_t outputGone = -2;

// A sink for the file the descriptor `target` names (st: its fstat); null
// when it cannot be had.
std::shared_ptr<Sink> openSink(int target, const struct stat& st);

// Bytes written (possibly fewer than n), wouldBlock, or outputGone. Never
// waits for a reader and never raises SIGPIPE.
ssize_t tryWrite(const Sink& sink, const char* p, size_t n);

} // namespace kzo::log
