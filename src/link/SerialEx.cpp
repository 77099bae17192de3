#include "link/SerialEx.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <unistd.h>

CSerialEx::~CSerialEx()
{
    CSerialEx::close();
}

int32_t CSerialEx::open(const std::wstring& device, uint32_t inQueue, uint32_t outQueue, bool startNow)
{
    // The listener thread never takes the control lock: another thread may
    // hold it while joining that very thread.
    std::unique_lock lock(control_, std::defer_lock);
    if (!onListenerThread())
        lock.lock();
    const int32_t rc = CSerial::open(device, inQueue, outQueue, true);
    if (rc != 0)
        return rc;
    if (listenEvent_ < 0)
        listenEvent_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listenEvent_ < 0) {
        const int err = errno;
        CSerial::close();
        return fail(err);
    }
    listenWake_.store(listenEvent_);
    if (startNow)
        return startListener();
    return 0;
}

int32_t CSerialEx::close()
{
    if (onListenerThread()) {
        stopListener(1000);
        // The descriptor the loop waits on stays until the loop has ended
        // (the next stop or start joins the thread and closes it then).
        return CSerial::close();
    }
    std::lock_guard lock(control_);
    stopListener(1000);
    {
        listenWake_.store(-1);
        if (listenEvent_ >= 0)
            ::close(listenEvent_);
        listenEvent_ = -1;
    }
    return CSerial::close();
}

void CSerialEx::wakeEventWaits()
{
    CSerial::wakeEventWaits();
    signalFd(listenWake_.load());
}

void CSerialEx::joinFinished()
{
    if (listenerThread_.joinable() && !onListenerThread()) {
        listenerThread_.join();
        stopping_.store(false);
        if (!isOpen() && listenEvent_ >= 0) {
            listenWake_.store(-1);
            ::close(listenEvent_);
            listenEvent_ = -1;
        }
    }
}

int32_t CSerialEx::startListener()
{
    if (onListenerThread())
        return fail(EDEADLK); // cannot replace the thread we are running on
    std::lock_guard lock(control_);
    if (listenerActive_.load())
        return fail(0);
    joinFinished();
    listenerActive_.store(true);
    try {
        listenerThread_ = std::thread([this] { listenerLoop(); });
    } catch (const std::system_error& e) {
        listenerActive_.store(false);
        return fail(e.code().value());
    }
    return fail(0);
}

int32_t CSerialEx::stopListener(int32_t)
{
    if (onListenerThread()) {
        // Cannot join ourselves: the loop ends once the handler returns.
        stopping_.store(true);
        return fail(0);
    }
    std::lock_guard lock(control_);
    if (listenerThread_.joinable()) {
        stopping_.store(true);
        wakeEventWaits();
        joinFinished();
    }
    return fail(0);
}

void CSerialEx::listenerLoop()
{
    listenerId_.store(std::this_thread::get_id());
    int32_t code = 0;
    const int wake = listenEvent_;
    for (;;) {
        drainFd(wake);
        // Checked after the reset: a stop signalled just before it was
        // consumed by the drain, but its flag is already visible here.
        if (stopping_.load())
            break;
        code = waitPortEvent(wake, -1, false);
        if (code != 0)
            break;
        if (stopping_.load())
            break;
        const uint32_t events = takeEvents();
        const uint32_t errors = takeErrors();
        if (events != 0)
            onEvent(events, errors);
        if (stopping_.load())
            break;
    }
    listenerExit_.store(code);
    const bool failed = code != 0 && !stopping_.load();
    if (failed)
        onListenerEnded(code);
    listenerActive_.store(false);
    listenerId_.store(std::thread::id{});
}
