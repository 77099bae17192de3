#pragma once
// Sends a signal to a child process the test started. A pid of 0 or less
// (the child never started or has already been reaped) is refused: kill()
// would signal this whole process group, ctest and the build script
// included, or every process the user owns.
#include <QtGlobal>

#include <csignal>
#include <sys/types.h>

namespace kzo::test {

inline bool signalChild(qint64 pid, int signo)
{
    return pid > 0 && ::kill(static_cast<pid_t>(pid), signo) == 0;
}

} // namespace kzo::test
