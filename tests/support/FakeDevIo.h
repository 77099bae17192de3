#pragma once
// A device I/O for tests: records every written frame (with the time it was
// written) and every bare command, and delivers frames and link events to the
// registered listeners from any thread, the way the serial side does: every
// listener is called under the I/O lock, which is recursive so a listener may
// write from inside its handler.
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace kzo::test {

// One frame as written, sync bytes included.
struct WrittenFrame {
    std::vector<uint8_t> bytes;
    std::chrono::steady_clock::time_point at{};

    const uint8_t* record() const { return bytes.data() + kzo::frame::syncSize; }
    uint16_t id() const { return kzo::frame::recordCommandId(record()); }
    uint16_t sequence() const { return kzo::frame::readU16(record() + kzo::frame::offSequence); }
    const uint8_t* payload() const { return bytes.data() + 30; }
    int size() const { return static_cast<int>(bytes.size()); }
};

class FakeDevIo : public orb::DevIo {
public:
    using Bytes = std::vector<uint8_t>;

    void onCommDeviceArrival(const std::wstring&) override { dispatch(EvConnected, nullptr); }
    void onCommDeviceRemoval(const std::wstring&) override { dispatch(EvDisconnected, nullptr); }
    void addListener(orb::DevListener* l) override
    {
        if (!l)
            return;
        std::lock_guard g(ioLock);
        if (std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end())
            listeners_.push_back(l);
        l->io = this;
    }
    void removeListener(orb::DevListener* l) override
    {
        std::lock_guard g(ioLock);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
    }
    // Every bare command is remembered; unless sendCommandWrites is off it is
    // also written as a parameterless frame.
    void sendCommand(uint16_t id) override
    {
        std::lock_guard g(ioLock);
        commands_.push_back(id);
        if (!sendCommandWrites)
            return;
        Bytes f(34, 0);
        kzo::frame::buildHeader(f.data(), 34, id);
        write(f.data(), 34);
    }
    bool write(const uint8_t* frame, int size) override
    {
        std::lock_guard g(ioLock);
        frames_.push_back({Bytes(frame, frame + size), std::chrono::steady_clock::now()});
        if (onWrite)
            onWrite(frames_.back());
        return writeResult;
    }
    void close() override
    {
        {
            std::lock_guard g(ioLock);
            ++closes_;
        }
        dispatch(EvDisconnected, nullptr);
    }
    bool reconnect() override
    {
        std::lock_guard g(ioLock);
        ++reconnects_;
        return reconnectResult;
    }

    // Delivers an event to every listener; data is a frame record (without
    // the sync bytes) for EvFrame.
    void dispatch(int kind, const uint8_t* data)
    {
        std::lock_guard g(ioLock);
        // A copy, so a listener may remove itself while being called.
        const std::vector<orb::DevListener*> copy = listeners_;
        const DevEvent ev{kind, data};
        for (orb::DevListener* l : copy)
            l->onDevEvent(&ev);
    }
    void deliver(const Bytes& record) { dispatch(EvFrame, record.data()); }
    bool listensHere(const orb::DevListener* l) const
    {
        std::lock_guard g(ioLock);
        return std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end();
    }
    // A minimal record with this identifier and payload (L = 30 + payload).
    static Bytes record(uint16_t commandId, const Bytes& payload = {})
    {
        const int total = 34 + static_cast<int>(payload.size());
        Bytes f(static_cast<size_t>(total), 0);
        kzo::frame::buildHeader(f.data(), total, commandId);
        std::copy(payload.begin(), payload.end(), f.begin() + 30);
        return Bytes(f.begin() + kzo::frame::syncSize, f.end());
    }
    void deliverId(uint16_t commandId, const Bytes& payload = {}) { deliver(record(commandId, payload)); }

    std::vector<Bytes> written() const
    {
        std::lock_guard g(ioLock);
        std::vector<Bytes> out;
        for (const auto& f : frames_)
            out.push_back(f.bytes);
        return out;
    }
    // Command identifiers of the written frames (frame offset 9).
    std::vector<uint16_t> writtenIds() const
    {
        std::lock_guard g(ioLock);
        std::vector<uint16_t> ids;
        for (const auto& f : frames_)
            ids.push_back(f.bytes.size() >= 11 ? kzo::frame::readU16(f.bytes.data() + 9) : 0);
        return ids;
    }
    std::vector<std::chrono::steady_clock::time_point> writtenTimes() const
    {
        std::lock_guard g(ioLock);
        std::vector<std::chrono::steady_clock::time_point> out;
        for (const auto& f : frames_)
            out.push_back(f.at);
        return out;
    }
    int writeCount() const
    {
        std::lock_guard g(ioLock);
        return static_cast<int>(frames_.size());
    }
    void clearWritten()
    {
        std::lock_guard g(ioLock);
        frames_.clear();
    }
    // The frames written since the last call, and forgets them.
    std::vector<WrittenFrame> takeFrames()
    {
        std::lock_guard g(ioLock);
        return std::exchange(frames_, {});
    }
    std::vector<uint16_t> takeCommands()
    {
        std::lock_guard g(ioLock);
        return std::exchange(commands_, {});
    }
    int closeCount() const
    {
        std::lock_guard g(ioLock);
        return closes_;
    }
    int reconnectCount() const
    {
        std::lock_guard g(ioLock);
        return reconnects_;
    }

    mutable std::recursive_mutex ioLock;
    std::function<void(const WrittenFrame&)> onWrite; // called under ioLock
    std::atomic<bool> writeResult{true};
    std::atomic<bool> reconnectResult{true};
    std::atomic<bool> sendCommandWrites{true};

private:
    std::vector<orb::DevListener*> listeners_;
    std::vector<WrittenFrame> frames_;
    std::vector<uint16_t> commands_;
    int closes_ = 0;
    int reconnects_ = 0;
};

} // namespace kzo::test
