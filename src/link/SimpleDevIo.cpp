#include "link/SimpleDevIo.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "link/DeviceFinder.h"
#include "link/PathText.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace orb {

std::string formatDumpLine(std::string_view prefix, std::span<const uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string line(prefix);
    line.reserve(prefix.size() + bytes.size() * 3 + 2);
    for (uint8_t b : bytes) {
        line += digits[b >> 4];
        line += digits[b & 0x0F];
        line += ' ';
    }
    line += "\r\n";
    return line;
}

SimpleDevIo& simpleDevIo()
{
    static SimpleDevIo instance;
    return instance;
}

SimpleDevIo::SimpleDevIo()
{
    if constexpr (debugMode)
        dumpFile_ = std::fopen("iodump.txt", "wb");
}

SimpleDevIo::~SimpleDevIo()
{
    // The listener calls back into this object: end it before members go.
    stopListener();
    cleanup_.stop();
    {
        std::lock_guard io(ioLock_);
        CSerialEx::close();
    }
    if (dumpFile_)
        std::fclose(dumpFile_);
}

std::wstring SimpleDevIo::portPath() const
{
    std::lock_guard link(linkLock_);
    return portPath_;
}

std::wstring SimpleDevIo::connectedPort() const
{
    std::lock_guard link(linkLock_);
    return connectedPort_;
}

size_t SimpleDevIo::listenerCount() const
{
    std::lock_guard lock(listenersLock_);
    return listeners_.size();
}

size_t SimpleDevIo::bufferedBytes()
{
    std::lock_guard io(ioLock_);
    return rxBuffer_.buffered();
}

void SimpleDevIo::closePort()
{
    // A listener held at the gate must be free to end before it is joined.
    releaseFrames();
    // Stop the listener before taking ioLock: it may be waiting for that lock
    // in the receive path, and it is joined without limit.
    stopListener();
    std::lock_guard io(ioLock_);
    CSerialEx::close();
}

void SimpleDevIo::releaseFrames()
{
    {
        std::lock_guard gate(gateLock_);
        holdFrames_ = false;
    }
    gateOpen_.notify_all();
}

bool SimpleDevIo::openPort(const std::wstring& path, bool clearReceived)
{
    closePort();
    ++session_; // a hang-up of the old port must not close this one
    {
        std::lock_guard io(ioLock_);
        try {
            CSerialEx::open(path, 0, 0, false);
        } catch (...) {
        }
        if (!isOpen())
            return false;
        // Nothing from before the open may start a frame; what the device
        // sends from now on waits in the port until the listener runs.
        if (clearReceived)
            rxBuffer_.clear();
        purge();
    }
    {
        std::lock_guard gate(gateLock_);
        holdFrames_ = true;
    }
    if (startListener() != 0 || !listenerRunning()) {
        closePort();
        return false;
    }
    connectedNode_ = ComDevice{path, path};
    stampNode(connectedNode_, kzo::link::toPath(path));
    return true;
}

void SimpleDevIo::takeDownLink()
{
    // Listeners that were told about a link hear that it is gone before
    // anything else is opened in its place.
    if (!linkUp_.exchange(false))
        return;
    closePort();
    ++session_;
    connectedPort_.clear();
    logTagged("Device", "disconnect");
    dispatch(EvDisconnected, nullptr);
}

void SimpleDevIo::onCommDeviceArrival(const std::wstring& portName)
{
    std::lock_guard link(linkLock_);
    logTagged("DevIo", "Device Connected : %s", kzo::link::toPath(portName).c_str());
    // On this platform the port name is already the path to open.
    const std::wstring path = portName;
    takeDownLink();
    const bool up = openPort(path, true);
    portPath_ = path;
    if (up) {
        logTagged("Device", "connect success");
        ioBroken_.store(false);
        connectedPort_ = portName;
        linkUp_.store(true);
        dispatch(EvConnected, nullptr);
        releaseFrames();
    } else {
        ioBroken_.store(true);
        connectedPort_.clear();
    }
}

void SimpleDevIo::onCommDeviceRemoval(const std::wstring& portName)
{
    std::lock_guard link(linkLock_);
    // Another matching port going away leaves the connected one alone; so
    // does a removal after the link was already closed (hang-up, close).
    if (connectedPort_.empty() || portName != connectedPort_)
        return;
    removeConnected(portName);
}

void SimpleDevIo::removeConnected(const std::wstring& portName)
{
    ioBroken_.store(true);
    closePort();
    ++session_;
    connectedPort_.clear();
    linkUp_.store(false);
    logTagged("DevIo", "Device Remove Completed : %s", kzo::link::toPath(portName).c_str());
    {
        std::lock_guard io(ioLock_);
        rxBuffer_.clear();
    }
    logTagged("Device", "disconnect");
    dispatch(EvDisconnected, nullptr);
}

void SimpleDevIo::onListenerEnded(int32_t)
{
    // The device hung up or went away. This thread cannot join itself, so the
    // removal runs on the clean-up thread; the session check keeps it from
    // touching a port opened since, and the finder's own removal report
    // for the same port then finds nothing left to do.
    const uint64_t session = session_.load();
    cleanup_.post([this, session] {
        ComDevice lost;
        {
            std::lock_guard link(linkLock_);
            if (session != session_.load() || connectedPort_.empty())
                return;
            lost = connectedNode_;
            removeConnected(std::wstring(connectedPort_));
        }
        // A device that reset may be back at the same path before the
        // finder looks again: have it report the port anew.
        comDeviceLost(lost);
    });
}

void SimpleDevIo::addListener(DevListener* listener)
{
    if (!listener)
        return;
    {
        std::lock_guard lock(listenersLock_);
        if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
            listeners_.push_back(listener);
    }
    listener->io = this;
}

void SimpleDevIo::removeListener(DevListener* listener)
{
    {
        std::lock_guard lock(listenersLock_);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
    }
    // The caller may destroy the listener next, so a delivery already under
    // way must end first: frames are delivered under the receive lock, link
    // events under the link lock (taken in the order the arrival path takes
    // them). On the listener thread the delivery under way is the caller's own.
    if (onListenerThread())
        return;
    std::lock_guard link(linkLock_);
    std::lock_guard io(ioLock_);
}

void SimpleDevIo::dispatch(int kind, const uint8_t* data)
{
    const DevEvent event{kind, data};
    // A copy, so listeners may add or remove listeners from inside the call.
    std::array<DevListener*, 16> fixed{};
    std::vector<DevListener*> spill;
    std::span<DevListener* const> targets;
    {
        std::lock_guard lock(listenersLock_);
        if (listeners_.size() <= fixed.size()) {
            std::copy(listeners_.begin(), listeners_.end(), fixed.begin());
            targets = std::span(fixed.data(), listeners_.size());
        } else {
            spill = listeners_;
            targets = spill;
        }
    }
    for (DevListener* l : targets)
        l->onDevEvent(&event);
}

void SimpleDevIo::sendCommand(uint16_t commandId)
{
    std::array<uint8_t, kzo::frame::minFrameSize> frame{};
    kzo::frame::buildHeader(frame.data(), static_cast<int>(frame.size()), commandId);
    write(frame.data(), static_cast<int>(frame.size()));
}

bool SimpleDevIo::write(const uint8_t* frame, int size)
{
    try {
        std::lock_guard io(ioLock_);
        if (!isOpen() || ioBroken_.load() || !frame || size <= 0)
            return false;
        // Sealed in a copy: the caller's frame is const.
        txFrame_.assign(frame, frame + size);
        if (!sealFrame(txFrame_.data(), size))
            return false;
        const int32_t rc = CSerial::write(txFrame_.data(), static_cast<uint32_t>(size), nullptr, writeTimeoutMs);
        if (rc == serial_error::timeout) {
            ioBroken_.store(true);
            logTaggedLevel(3, "Device", "Write Timeout !");
            return false;
        }
        if (rc != 0)
            return false; // the port refused: the frame did not go out
        if (dumpOn_.load() && dumpFile_)
            dump("W:    ", txFrame_);
        return true;
    } catch (...) {
        logTaggedLevel(3, "Device", "Exception catched when write Serial port");
        return false;
    }
}

void SimpleDevIo::onEvent(uint32_t events, uint32_t)
{
    {
        std::unique_lock gate(gateLock_);
        gateOpen_.wait(gate, [this] { return !holdFrames_; });
    }
    std::lock_guard io(ioLock_);
    try {
        if (events != serial_event::rxChar)
            return;
        const int32_t queued = queuedBytes();
        if (queued <= 0)
            return;
        readChunk_.resize(static_cast<size_t>(queued));
        uint32_t got = 0;
        CSerial::read(readChunk_.data(), static_cast<uint32_t>(queued), &got, readTimeoutMs);
        // A listener that throws must not leave its frame in the assembler
        // (it would be handed out again with every later arrival): the pass
        // completes and the failure is reported once afterwards.
        bool listenerThrew = false;
        rxBuffer_.feed(std::span<const uint8_t>(readChunk_.data(), got), [&](const uint8_t* record) {
            try {
                if (dumpOn_.load() && dumpFile_)
                    dump("R:    ", std::span(record, kzo::frame::recordLength(record)));
                dispatch(EvFrame, record);
            } catch (...) {
                listenerThrew = true;
            }
        });
        if (listenerThrew)
            throw std::runtime_error("listener failed");
    } catch (...) {
        logTaggedLevel(3, "Device", "Exception catched when Read Serial port");
        ioBroken_.store(true);
    }
}

void SimpleDevIo::closeDevice()
{
    std::unique_lock link(linkLock_, std::defer_lock);
    if (!onListenerThread())
        link.lock(); // the finder may hold it while joining the listener thread
    try {
        closePort();
    } catch (...) {
        logTaggedLevel(3, "Device", "Exception catched when close Serial port");
    }
    ++session_;
    linkUp_.store(false);
    if (link.owns_lock())
        connectedPort_.clear();
    logTagged("Device", "disconnect");
    dispatch(EvDisconnected, nullptr);
}

bool SimpleDevIo::reconnect()
{
    // The listener thread cannot replace itself; reconnecting is for the
    // console and the GUI.
    if (onListenerThread())
        return false;
    std::lock_guard link(linkLock_);
    const std::wstring path = portPath_;
    if (path.empty())
        return false;
    takeDownLink();
    // The bytes already received stay: a frame may continue after the reopen.
    if (!openPort(path, false)) {
        connectedPort_.clear();
        return false;
    }
    connectedPort_ = path;
    logTagged("Device", "connect success");
    linkUp_.store(true);
    dispatch(EvConnected, nullptr);
    releaseFrames();
    return true;
}

void SimpleDevIo::toggleDump()
{
    dumpOn_.store(!dumpOn_.load());
}

void SimpleDevIo::dump(std::string_view prefix, std::span<const uint8_t> bytes)
{
    const std::string line = formatDumpLine(prefix, bytes);
    std::lock_guard lock(dumpLock_);
    std::fwrite(line.data(), 1, line.size(), dumpFile_);
    std::fflush(dumpFile_);
}

} // namespace orb
