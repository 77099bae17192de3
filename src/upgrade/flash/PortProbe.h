#pragma once
// What a port's path says about its use: whether this user may open it, and
// who holds it. Plain POSIX; no device is talked to.
#include <string>
#include <sys/types.h>
#include <vector>

namespace kzo::flash {

enum class Access {
    Ok,         // opened for reading and writing, and nobody holds its lock
    Denied,     // no permission (EACCES)
    Missing,    // nothing at the path
    Busy,       // opened, but another program holds it exclusively
    NotSerial,  // opened, but it is not a terminal device
    Error,      // any other failure
};

struct PortAccess {
    Access access = Access::Error;
    std::string detail; // system error text, or how it is busy
};

// access(R_OK|W_OK), then a real open (O_RDWR|O_NONBLOCK|O_NOCTTY) and a
// non-blocking flock, released at once. EBUSY on open is a tty held with
// TIOCEXCL; a lock held elsewhere is the one this program's serial port takes.
PortAccess probeAccess(const std::string& path);

struct Holder {
    pid_t pid = 0;
    std::string command; // /proc/PID/comm
};

// Other processes with a descriptor open on the node at `path` (the same
// character device, or the same file), from /proc/*/fd. Processes of other
// users are only seen with the privilege to look into them.
std::vector<Holder> holdersOf(const std::string& path);

} // namespace kzo::flash
