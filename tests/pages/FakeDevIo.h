#pragma once
// A device I/O for in-process tests: remembers every written frame and lets
// the test deliver frames and link events to the registered listeners.
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace kzo::test {

class FakeDevIo : public orb::DevIo {
public:
    void onCommDeviceArrival(const std::wstring&) override { deliver(EvConnected, nullptr); }
    void onCommDeviceRemoval(const std::wstring&) override { deliver(EvDisconnected, nullptr); }
    void addListener(orb::DevListener* l) override
    {
        if (!l)
            return;
        std::lock_guard lock(m);
        if (std::find(listeners.begin(), listeners.end(), l) == listeners.end())
            listeners.push_back(l);
        l->io = this;
    }
    void removeListener(orb::DevListener* l) override
    {
        std::lock_guard lock(m);
        listeners.erase(std::remove(listeners.begin(), listeners.end(), l), listeners.end());
    }
    void sendCommand(uint16_t id) override
    {
        std::vector<uint8_t> f(34, 0);
        kzo::frame::writeU16(f.data() + 4 + kzo::frame::offCommandId, id);
        write(f.data(), 34);
    }
    bool write(const uint8_t* frame, int size) override
    {
        std::lock_guard lock(m);
        frames.emplace_back(frame, frame + size);
        return true;
    }
    void close() override { deliver(EvDisconnected, nullptr); }
    bool reconnect() override { return true; }

    void deliver(int kind, const uint8_t* data)
    {
        std::vector<orb::DevListener*> copy;
        {
            std::lock_guard lock(m);
            copy = listeners;
        }
        const DevEvent ev{kind, data};
        for (orb::DevListener* l : copy)
            l->onDevEvent(&ev);
    }
    void deliverFrame(const std::vector<uint8_t>& record) { deliver(EvFrame, record.data()); }

    // Command identifiers of the frames written so far (frame offset 9).
    std::vector<uint16_t> writtenIds()
    {
        std::lock_guard lock(m);
        std::vector<uint16_t> ids;
        for (const auto& f : frames)
            ids.push_back(f.size() >= 11 ? kzo::frame::readU16(f.data() + 4 + kzo::frame::offCommandId) : 0);
        return ids;
    }
    std::vector<std::vector<uint8_t>> written()
    {
        std::lock_guard lock(m);
        return frames;
    }
    void clearWritten()
    {
        std::lock_guard lock(m);
        frames.clear();
    }

private:
    std::mutex m;
    std::vector<orb::DevListener*> listeners;
    std::vector<std::vector<uint8_t>> frames;
};

} // namespace kzo::test
