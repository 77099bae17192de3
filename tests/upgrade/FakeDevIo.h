#pragma once
// A device I/O for engine tests: records what is written, injects frames the
// way the serial side does (every listener called under the I/O lock).
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <utility>
#include <vector>

struct WrittenFrame {
    std::vector<uint8_t> bytes;
    const uint8_t* record() const { return bytes.data() + kzo::frame::syncSize; }
    uint16_t id() const { return kzo::frame::recordCommandId(record()); }
    uint16_t sequence() const { return kzo::frame::readU16(record() + kzo::frame::offSequence); }
    const uint8_t* payload() const { return bytes.data() + 30; }
    int size() const { return static_cast<int>(bytes.size()); }
};

class FakeDevIo : public orb::DevIo {
public:
    void onCommDeviceArrival(const std::wstring&) override {}
    void onCommDeviceRemoval(const std::wstring&) override {}
    void addListener(orb::DevListener* l) override
    {
        listeners.push_back(l);
        l->io = this;
    }
    void removeListener(orb::DevListener*) override {}
    void sendCommand(uint16_t id) override
    {
        std::lock_guard g(ioLock);
        commands.push_back(id);
    }
    bool write(const uint8_t* frame, int size) override
    {
        std::lock_guard g(ioLock);
        frames.push_back({std::vector<uint8_t>(frame, frame + size)});
        if (onWrite)
            onWrite(frames.back());
        return true;
    }
    void close() override
    {
        {
            std::lock_guard g(ioLock);
            ++closes;
        }
        dispatch(EvDisconnected, nullptr);
    }
    bool reconnect() override { return false; }

    // Delivers a frame with this identifier and payload to every listener.
    void inject(uint16_t id, std::vector<uint8_t> payload)
    {
        std::vector<uint8_t> frame(34 + payload.size());
        kzo::frame::buildHeader(frame.data(), static_cast<int>(frame.size()), id);
        std::copy(payload.begin(), payload.end(), frame.begin() + 30);
        dispatch(EvFrame, frame.data() + kzo::frame::syncSize);
    }
    void inject(uint16_t id, std::initializer_list<uint8_t> payload) { inject(id, std::vector<uint8_t>(payload)); }
    void linkUp() { dispatch(EvConnected, nullptr); }

    void dispatch(int kind, const uint8_t* record)
    {
        std::lock_guard g(ioLock);
        DevEvent ev{kind, record};
        for (orb::DevListener* l : listeners)
            l->onDevEvent(&ev);
    }

    std::vector<WrittenFrame> takeFrames()
    {
        std::lock_guard g(ioLock);
        return std::exchange(frames, {});
    }
    std::vector<uint16_t> takeCommands()
    {
        std::lock_guard g(ioLock);
        return std::exchange(commands, {});
    }
    int closeCount()
    {
        std::lock_guard g(ioLock);
        return closes;
    }

    std::recursive_mutex ioLock;
    std::function<void(const WrittenFrame&)> onWrite; // called under ioLock
    std::vector<orb::DevListener*> listeners;

private:
    std::vector<WrittenFrame> frames;
    std::vector<uint16_t> commands;
    int closes = 0;
};
