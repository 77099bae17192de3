#include "link/Serial.h"

#include "link/PathText.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline for poll(); −1 stays "no limit".
int remainingMs(int32_t timeoutMs, Clock::time_point deadline)
{
    if (timeoutMs < 0)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

speed_t speedFor(uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

uint32_t baudFor(speed_t s)
{
    static constexpr uint32_t rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
    for (uint32_t r : rates)
        if (speedFor(r) == s)
            return r;
    return 0;
}

} // namespace

CSerial::~CSerial()
{
    CSerial::close();
}

void CSerial::signalFd(int fd)
{
    if (fd < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

void CSerial::drainFd(int fd)
{
    if (fd < 0)
        return;
    uint64_t value = 0;
    [[maybe_unused]] ssize_t n = ::read(fd, &value, sizeof value);
}

int32_t CSerial::open(const std::wstring& device, uint32_t, uint32_t, bool overlapped)
{
    lastError_.store(0);
    if (isOpen())
        return fail(serial_error::alreadyInitialized);

    const std::string path = kzo::link::toPath(device);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    auto abandon = [fd](int err) {
        ::close(fd);
        return err;
    };
    // Nobody else may talk to the device while we hold it: TIOCEXCL keeps
    // out later opens of the tty, flock the cooperating programs.
    if (::flock(fd, LOCK_EX | LOCK_NB) < 0)
        return fail(abandon(errno == EWOULDBLOCK ? EBUSY : errno));
    termios tio{};
    if (::tcgetattr(fd, &tio) < 0)
        return fail(abandon(errno)); // not a terminal: not a port
    // A tty that keeps its cooked settings would mangle the frames.
    if (const int32_t rc = setRawMode(fd); rc != 0)
        return fail(abandon(rc));
    ::ioctl(fd, TIOCEXCL);

    if (overlapped) {
        const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) {
            const int err = errno;
            ::ioctl(fd, TIOCNXCL);
            return fail(abandon(err));
        }
        ioEvent_.store(wake);
    }
    hangUpSeen_.store(false);
    {
        std::lock_guard lock(countersLock_);
        countersKnown_ = false;
        noCounters_.store(false);
        pendingErrors_ = 0;
    }
    handle_.store(fd);
    readLineCounters(); // baseline, so only later changes count
    setEventMask(serial_event::defaultMask);
    setReadMode(0);
    lastError_.store(0);
    return 0;
}

int32_t CSerial::setRawMode(int fd)
{
    // Raw bytes, receiver on, modem lines ignored: the USB virtual port
    // does not care about line settings, so this is the only set-up made.
    termios tio{};
    if (::tcgetattr(fd, &tio) < 0)
        return errno;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        return errno;
    return 0;
}

int32_t CSerial::close()
{
    lastError_.store(0);
    const int fd = handle_.exchange(-1);
    const int wake = ioEvent_.exchange(-1);
    if (wake >= 0)
        ::close(wake);
    if (fd < 0)
        return 0;
    ::ioctl(fd, TIOCNXCL);
    if (::close(fd) < 0 && errno != EINTR)
        return fail(errno);
    return 0;
}

int32_t CSerial::configure(uint32_t baud, uint8_t bits, uint8_t par, uint8_t stop)
{
    lastError_.store(0);
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle);
    termios tio{};
    if (::tcgetattr(fd, &tio) < 0)
        return fail(errno);
    const speed_t s = speedFor(baud);
    if (s == 0 || bits < 5 || bits > 8 || par > 4 || stop > 2)
        return fail(serial_error::invalidArgument);
    ::cfsetispeed(&tio, s);
    ::cfsetospeed(&tio, s);
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | sizes[bits - 5];
    // 0 none, 1 odd, 2 even, 3 mark, 4 space.
    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    if (par == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (par == 2)
        tio.c_cflag |= PARENB;
    else if (par == 3)
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
    else if (par == 4)
        tio.c_cflag |= PARENB | CMSPAR;
    if (par != 0)
        tio.c_iflag |= INPCK;
    else
        tio.c_iflag &= ~INPCK;
    // 0 one stop bit, 1 one and a half (two on this platform), 2 two.
    if (stop == 0)
        tio.c_cflag &= ~CSTOPB;
    else
        tio.c_cflag |= CSTOPB;
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        return fail(errno);
    return 0;
}

int32_t CSerial::setEventChar(uint8_t ch, bool adjustMask)
{
    lastError_.store(0);
    if (!isOpen())
        return fail(serial_error::invalidHandle);
    eventChar_.store(ch);
    if (adjustMask)
        return setEventMask(eventMask_.load() | serial_event::rxFlag);
    return 0;
}

int32_t CSerial::setEventMask(uint32_t mask)
{
    lastError_.store(0);
    if (!isOpen())
        return fail(serial_error::invalidHandle);
    eventMask_.store(mask);
    wakeEventWaits();
    return 0;
}

void CSerial::wakeEventWaits()
{
    signalFd(ioEvent_.load());
}

int32_t CSerial::waitForEvent(int32_t timeoutMs)
{
    lastError_.store(0);
    if (!isOpen())
        return fail(serial_error::invalidHandle);
    if (ioEvent_ < 0 && timeoutMs >= 0)
        return fail(serial_error::invalidFunction);
    return waitPortEvent(ioEvent_.load(), timeoutMs, true);
}

int32_t CSerial::waitPortEvent(int wakeFd, int32_t timeoutMs, bool resetWake)
{
    lastError_.store(0);
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle);
    if (resetWake)
        drainFd(wakeFd);
    eventsSeen_.store(0);
    // After a hang-up the port stays "readable" for ever: one pass is granted
    // to collect what was left, then the wait fails instead of spinning.
    if (hangUpSeen_.load())
        return fail(EIO);

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {fd, 0, 0}};
    if (eventMask_.load() & serial_event::rxChar)
        fds[1].events = POLLIN;
    for (;;) {
        const int r = ::poll(fds, 2, remainingMs(timeoutMs, deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (r == 0)
            return fail(serial_error::timeout);
        break;
    }
    if (fds[0].revents & POLLIN)
        return 0; // completed by a mask change: no events
    const short rev = fds[1].revents;
    if (rev & POLLNVAL)
        return fail(EBADF);
    uint32_t bits = readLineCounters();
    if (rev & (POLLHUP | POLLERR)) {
        hangUpSeen_.store(true);
        if (!(rev & POLLIN))
            return fail(EIO);
    }
    if (rev & POLLIN)
        bits |= serial_event::rxChar;
    eventsSeen_.store(bits);
    return 0;
}

uint32_t CSerial::readLineCounters()
{
    const int fd = handle_.load();
    if (fd < 0)
        return 0;
    // Ptys and some USB drivers keep no counters; asked once per opening,
    // not once per arrival (every system call counts in a transfer).
    if (noCounters_.load())
        return 0;
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) < 0) {
        if (errno == ENOTTY || errno == EINVAL)
            noCounters_.store(true);
        return 0;
    }
    std::lock_guard lock(countersLock_);
    uint32_t events = 0;
    if (countersKnown_) {
        uint32_t errors = 0;
        if (static_cast<uint32_t>(ic.brk) != lastBreaks_) {
            events |= serial_event::breakSeen;
            errors |= serial_line::breakCondition;
        }
        if (static_cast<uint32_t>(ic.frame) != lastFrame_)
            errors |= serial_line::frame;
        if (static_cast<uint32_t>(ic.overrun + ic.buf_overrun) != lastOverrun_)
            errors |= serial_line::overrun;
        if (static_cast<uint32_t>(ic.parity) != lastParity_)
            errors |= serial_line::parity;
        if (errors & ~serial_line::breakCondition)
            events |= serial_event::lineError;
        pendingErrors_ |= errors;
    }
    countersKnown_ = true;
    lastBreaks_ = static_cast<uint32_t>(ic.brk);
    lastFrame_ = static_cast<uint32_t>(ic.frame);
    lastOverrun_ = static_cast<uint32_t>(ic.overrun + ic.buf_overrun);
    lastParity_ = static_cast<uint32_t>(ic.parity);
    return events;
}

int32_t CSerial::setHandshaking(int mode)
{
    lastError_.store(0);
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle);
    if (mode < 0 || mode > 2)
        return fail(serial_error::invalidArgument);
    termios tio{};
    if (::tcgetattr(fd, &tio) < 0)
        return fail(errno);
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (mode == 1)
        tio.c_cflag |= CRTSCTS;
    else if (mode == 2)
        tio.c_iflag |= IXON | IXOFF;
    if (::tcsetattr(fd, TCSANOW, &tio) < 0)
        return fail(errno);
    return 0;
}

int32_t CSerial::setReadMode(int mode)
{
    lastError_.store(0);
    if (!isOpen())
        return fail(serial_error::invalidHandle);
    if (mode != 0 && mode != 1)
        return fail(serial_error::invalidArgument);
    readMode_.store(mode);
    return 0;
}

uint32_t CSerial::baudRate()
{
    termios tio{};
    if (!isOpen() || ::tcgetattr(handle_.load(), &tio) < 0) {
        fail(isOpen() ? errno : serial_error::invalidHandle);
        return static_cast<uint32_t>(-1);
    }
    lastError_.store(0);
    return baudFor(::cfgetospeed(&tio));
}

uint8_t CSerial::dataBits()
{
    termios tio{};
    if (!isOpen() || ::tcgetattr(handle_.load(), &tio) < 0) {
        fail(isOpen() ? errno : serial_error::invalidHandle);
        return static_cast<uint8_t>(-1);
    }
    lastError_.store(0);
    switch (tio.c_cflag & CSIZE) {
    case CS5: return 5;
    case CS6: return 6;
    case CS7: return 7;
    default: return 8;
    }
}

uint8_t CSerial::parity()
{
    termios tio{};
    if (!isOpen() || ::tcgetattr(handle_.load(), &tio) < 0) {
        fail(isOpen() ? errno : serial_error::invalidHandle);
        return static_cast<uint8_t>(-1);
    }
    lastError_.store(0);
    if (!(tio.c_iflag & INPCK) || !(tio.c_cflag & PARENB))
        return 0;
    const bool odd = tio.c_cflag & PARODD;
    if (tio.c_cflag & CMSPAR)
        return odd ? 3 : 4;
    return odd ? 1 : 2;
}

uint8_t CSerial::stopBits()
{
    termios tio{};
    if (!isOpen() || ::tcgetattr(handle_.load(), &tio) < 0) {
        fail(isOpen() ? errno : serial_error::invalidHandle);
        return static_cast<uint8_t>(-1);
    }
    lastError_.store(0);
    return (tio.c_cflag & CSTOPB) ? 2 : 0;
}

int CSerial::handshaking()
{
    termios tio{};
    if (!isOpen() || ::tcgetattr(handle_.load(), &tio) < 0) {
        fail(isOpen() ? errno : serial_error::invalidHandle);
        return -1;
    }
    lastError_.store(0);
    if (tio.c_cflag & CRTSCTS)
        return 1;
    if ((tio.c_iflag & IXON) && (tio.c_iflag & IXOFF))
        return 2;
    return 0;
}

uint32_t CSerial::eventMask()
{
    lastError_.store(0);
    if (!isOpen()) {
        fail(serial_error::invalidHandle);
        return 0;
    }
    return eventMask_.load();
}

uint8_t CSerial::eventChar()
{
    lastError_.store(0);
    if (!isOpen()) {
        fail(serial_error::invalidHandle);
        return 0;
    }
    return eventChar_.load();
}

int32_t CSerial::writeText(const char* text, uint32_t* written, int32_t timeoutMs)
{
    return write(text, text ? static_cast<uint32_t>(std::strlen(text)) : 0u, written, timeoutMs);
}

int32_t CSerial::write(const void* buffer, uint32_t count, uint32_t* written, int32_t timeoutMs)
{
    lastError_.store(0);
    uint32_t local = 0;
    uint32_t& done = written ? *written : local;
    done = 0;
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle);
    if (ioEvent_ < 0 && timeoutMs >= 0)
        return fail(serial_error::invalidFunction);

    const auto* p = static_cast<const uint8_t*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (done < count) {
        const ssize_t n = ::write(fd, p + done, count - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return fail(errno);
        pollfd pfd{fd, POLLOUT, 0};
        const int r = ::poll(&pfd, 1, remainingMs(timeoutMs, deadline));
        if (r < 0 && errno != EINTR)
            return fail(errno);
        if (r == 0) {
            // Cancel: what is still queued for the device is dropped.
            ::tcflush(fd, TCOFLUSH);
            return fail(serial_error::timeout);
        }
        if (r > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLOUT))
            return fail(pfd.revents & POLLNVAL ? EBADF : EIO);
    }
    return 0;
}

int32_t CSerial::read(void* buffer, uint32_t count, uint32_t* doneOut, int32_t timeoutMs)
{
    lastError_.store(0);
    uint32_t local = 0;
    uint32_t& done = doneOut ? *doneOut : local;
    done = 0;
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle);
    if (ioEvent_ < 0 && timeoutMs >= 0)
        return fail(serial_error::invalidFunction);

    auto* p = static_cast<uint8_t*>(buffer);
    const bool waitForAll = readMode_.load() == 1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (done < count) {
        const ssize_t n = ::read(fd, p + done, count - done);
        if (n > 0) {
            done += static_cast<uint32_t>(n);
            if (!waitForAll)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return fail(errno);
        if (!waitForAll)
            break; // non-blocking mode: what was queued is all there is
        pollfd pfd{fd, POLLIN, 0};
        const int r = ::poll(&pfd, 1, remainingMs(timeoutMs, deadline));
        if (r < 0 && errno != EINTR)
            return fail(errno);
        if (r == 0)
            return fail(serial_error::timeout); // the bytes read so far are kept in done
        if (r > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLIN))
            return fail(pfd.revents & POLLNVAL ? EBADF : EIO);
    }
    return 0;
}

uint32_t CSerial::takeEvents()
{
    return eventsSeen_.exchange(0) & eventMask_.load();
}

uint32_t CSerial::takeErrors()
{
    lastError_.store(0);
    if (!isOpen()) {
        fail(serial_error::invalidHandle);
        return 0;
    }
    readLineCounters();
    std::lock_guard lock(countersLock_);
    const uint32_t errors = pendingErrors_;
    pendingErrors_ = 0;
    return errors;
}

int32_t CSerial::queuedBytes()
{
    lastError_.store(0);
    const int fd = handle_.load();
    if (fd < 0)
        return fail(serial_error::invalidHandle), -1;
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) < 0)
        return fail(errno), -1;
    return n;
}

void CSerial::purge()
{
    const int fd = handle_.load();
    if (fd >= 0)
        ::tcflush(fd, TCIOFLUSH);
}

void CSerial::sendBreak()
{
    const int fd = handle_.load();
    if (fd < 0)
        return;
    ::ioctl(fd, TIOCSBRK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::ioctl(fd, TIOCCBRK);
}

bool CSerial::modemBit(int bit)
{
    const int fd = handle_.load();
    int status = 0;
    if (fd < 0 || ::ioctl(fd, TIOCMGET, &status) < 0)
        return false;
    return (status & bit) != 0;
}

bool CSerial::ctsOn() { return modemBit(TIOCM_CTS); }
bool CSerial::dsrOn() { return modemBit(TIOCM_DSR); }
bool CSerial::ringOn() { return modemBit(TIOCM_RNG); }
bool CSerial::rlsdOn() { return modemBit(TIOCM_CAR); }
