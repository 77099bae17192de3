#include "app/logging/LogSink.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kzo::log {

Sink::~Sink()
{
    if (fd >= 0)
        ::close(fd);
}

namespace {

// write() that turns the SIGPIPE of a pipe without reader into EPIPE for this
// call only: the signal is blocked in this thread and a pending one taken.
ssize_t writeWithoutSigpipe(int fd, const char* p, size_t n)
{
    sigset_t pipeOnly, old;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);
    sigset_t pendingBefore;
    sigpending(&pendingBefore);
    const bool wasPending = sigismember(&pendingBefore, SIGPIPE) == 1;
    const ssize_t r = ::write(fd, p, n);
    const int err = errno;
    if (r < 0 && err == EPIPE && !wasPending) {
        const timespec zero{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = err;
    return r;
}

} // namespace

ssize_t tryWrite(const Sink& s, const char* p, size_t n)
{
    for (;;) {
        ssize_t r;
        if (s.socket) {
            r = ::send(s.fd, p, n, MSG_DONTWAIT | MSG_NOSIGNAL);
        } else {
            if (s.mayBlock) {
                // Only what fits now: poll says writable, and a pipe takes
                // PIPE_BUF bytes whenever it says so.
                pollfd pfd{s.fd, POLLOUT, 0};
                if (::poll(&pfd, 1, 0) <= 0)
                    return wouldBlock;
                if (pfd.revents & (POLLERR | POLLNVAL))
                    return outputGone;
                n = std::min<size_t>(n, PIPE_BUF);
            }
            r = s.raisesSigpipe ? writeWithoutSigpipe(s.fd, p, n) : ::write(s.fd, p, n);
        }
        if (r >= 0)
            return r;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return wouldBlock;
        return outputGone;
    }
}

std::shared_ptr<Sink> openSink(int target, const struct stat& st)
{
    auto s = std::make_shared<Sink>();
    s->device = st.st_dev;
    s->inode = st.st_ino;
    s->colour = isatty(target) == 1;
    s->socket = S_ISSOCK(st.st_mode);
    s->raisesSigpipe = S_ISFIFO(st.st_mode);
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        // Our own open file description, so O_NONBLOCK does not change the
        // descriptor the shell or other programs share with us.
        const std::string self = "/proc/self/fd/" + std::to_string(target);
        s->fd = ::open(self.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }
    if (s->fd < 0) {
        s->fd = ::fcntl(target, F_DUPFD_CLOEXEC, 3);
        if (s->fd < 0)
            return nullptr;
        // Regular files do not wait for a reader; anything else is polled.
        s->mayBlock = !s->socket && !S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode);
    }
    return s;
}

} // namespace kzo::log
