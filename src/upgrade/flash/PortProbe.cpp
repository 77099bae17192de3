#include "upgrade/flash/PortProbe.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kzo::flash {

namespace {

PortAccess fromErrno(int err)
{
    switch (err) {
    case EACCES:
    case EPERM: return {Access::Denied, std::strerror(err)};
    case ENOENT: return {Access::Missing, std::strerror(err)};
    case EBUSY: return {Access::Busy, "opened exclusively by another program"};
    default: return {Access::Error, std::strerror(err)};
    }
}

bool sameNode(const struct stat& a, const struct stat& b)
{
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode))
        return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool allDigits(const char* s)
{
    if (!*s)
        return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9')
            return false;
    return true;
}

} // namespace

PortAccess probeAccess(const std::string& path)
{
    if (::access(path.c_str(), R_OK | W_OK) != 0)
        return fromErrno(errno);
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fromErrno(errno);
    PortAccess out{Access::Ok, {}};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        out = errno == EWOULDBLOCK ? PortAccess{Access::Busy, "locked by another program"} : fromErrno(errno);
    } else {
        ::flock(fd, LOCK_UN);
        if (!::isatty(fd))
            out = {Access::NotSerial, "not a terminal device"};
    }
    ::close(fd);
    return out;
}

std::vector<Holder> holdersOf(const std::string& path)
{
    std::vector<Holder> out;
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0)
        return out;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return out;
    const pid_t self = ::getpid();
    while (dirent* e = ::readdir(proc)) {
        if (!allDigits(e->d_name))
            continue;
        const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
        if (pid == self)
            continue;
        const std::string fdDir = std::string("/proc/") + e->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds)
            continue; // gone, or another user's
        bool holds = false;
        while (dirent* f = ::readdir(fds)) {
            if (!allDigits(f->d_name))
                continue;
            struct stat st {};
            if (::stat((fdDir + '/' + f->d_name).c_str(), &st) == 0 && sameNode(st, target)) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds)
            continue;
        Holder h{pid, {}};
        std::ifstream comm(std::string("/proc/") + e->d_name + "/comm");
        std::getline(comm, h.command);
        out.push_back(std::move(h));
    }
    ::closedir(proc);
    return out;
}

} // namespace kzo::flash
