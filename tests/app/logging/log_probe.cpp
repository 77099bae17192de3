// Logs a number of lines from a thread that holds a lock, as the serial
// listener does, then ends. Exit status 0 only when every line was numbered.
#include "app/logging/Log.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

int main(int argc, char** argv)
{
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::mutex deviceLock;
    std::thread listener([&] {
        std::lock_guard held(deviceLock);
        for (int i = 0; i < lines; ++i)
            logTaggedLevel(3, "Device", "probe line %d of %d with some payload to fill the pipe", i, lines);
    });
    listener.join();
    logStdout("plain line\n");
    if (kzo::log::sequence() != lines) {
        std::fprintf(stderr, "numbered %d of %d lines\n", kzo::log::sequence(), lines);
        return 3;
    }
    return 0;
}
