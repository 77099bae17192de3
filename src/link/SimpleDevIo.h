#pragma once
// The serial device I/O: connects to the port the device finder reports,
// cuts received bytes into frames on the listener thread and hands every
// frame, connect and disconnect to the registered listeners; seals and
// writes outgoing frames with a short time-out.
#include "link/ComDevice.h"
#include "link/DevIo.h"
#include "link/SerialEx.h"
#include "link/TaskThread.h"
#include "protocol/ReceiveAssembler.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

// DevIo::close() and CSerialEx::close() share a name but not a signature;
// this step gives the device-level one its own name to override.
class DevIoCloseAdapter : public DevIo {
public:
    void close() final { closeDevice(); }

protected:
    virtual void closeDevice() = 0;
};

class SimpleDevIo : public DevIoCloseAdapter, public CSerialEx {
public:
    static constexpr int writeTimeoutMs = 500;
    static constexpr int readTimeoutMs = 1000;

    SimpleDevIo();
    ~SimpleDevIo() override;

    void onCommDeviceArrival(const std::wstring& portName) override;
    void onCommDeviceRemoval(const std::wstring& portName) override;
    void addListener(DevListener* listener) override;
    void removeListener(DevListener* listener) override;
    void sendCommand(uint16_t commandId) override;
    bool write(const uint8_t* frame, int size) override;
    bool reconnect() override;
    void toggleDump() override;
    using DevIoCloseAdapter::close;

    void onEvent(uint32_t events, uint32_t errors) override;

    bool broken() const { return ioBroken_.load(); }
    bool dumping() const { return dumpOn_.load(); }
    std::wstring portPath() const; // last connected path (for reconnect)
    std::wstring connectedPort() const; // the port open now, empty when none
    size_t listenerCount() const;
    size_t bufferedBytes(); // received bytes not yet cut into frames

protected:
    void closeDevice() override;
    void onListenerEnded(int32_t error) override;

private:
    // Opens the port and starts its listener, holding received frames back
    // until releaseFrames(); false (port closed again) when either fails.
    bool openPort(const std::wstring& path, bool clearReceived);
    void closePort();
    void releaseFrames();
    void takeDownLink();
    void removeConnected(const std::wstring& portName);
    void dispatch(int kind, const uint8_t* data);
    void dump(std::string_view prefix, std::span<const uint8_t> bytes);

    kzo::frame::ReceiveAssembler rxBuffer_; // guarded by ioLock_
    std::vector<uint8_t> readChunk_; // guarded by ioLock_
    std::vector<uint8_t> txFrame_; // guarded by ioLock_

    mutable std::mutex listenersLock_;
    std::vector<DevListener*> listeners_; // insertion order, each once

    // Serialises connect, removal, reconnect, close and the hang-up clean-up.
    mutable std::recursive_mutex linkLock_;
    std::wstring portPath_;
    std::wstring connectedPort_;
    ComDevice connectedNode_; // the node opened for connectedPort_
    std::atomic<uint64_t> session_{0}; // changes on every open and close of the link
    std::atomic<bool> linkUp_{false}; // EvConnected reported and no EvDisconnected since

    // Frames wait here until the connect has been reported, so listeners
    // never see a frame of a link before its EvConnected.
    std::mutex gateLock_;
    std::condition_variable gateOpen_;
    bool holdFrames_ = false;

    std::recursive_mutex ioLock_; // writing, closing and the whole receive path
    std::atomic<bool> dumpOn_{false};
    std::FILE* dumpFile_ = nullptr;
    std::mutex dumpLock_;
    std::atomic<bool> ioBroken_{false};

    kzo::link::TaskThread cleanup_; // runs the removal after a hang-up
};

// The prefix, then every byte as two upper-case hex digits and a space, then CR LF.
std::string formatDumpLine(std::string_view prefix, std::span<const uint8_t> bytes);

// The process-wide serial device I/O (start-up points currentDevIo at it).
SimpleDevIo& simpleDevIo();

} // namespace orb
