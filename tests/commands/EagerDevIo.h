#pragma once
// A device I/O whose peer answers before the write returns: every written
// frame is shown to a responder, and whatever it answers is delivered to the
// listeners from another thread while the writer is still inside write().
// This is the worst case of a fast peer (a USB boot loader answers well
// within a millisecond): a sender that sets up what it waits for only after
// writing misses the answer.
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kzo::test {

class EagerDevIo : public orb::DevIo {
public:
    using Bytes = std::vector<uint8_t>;
    // Sees each written frame (sync bytes included) and the number of earlier
    // writes of the same identifier; returns the record to answer with, if any.
    using Responder = std::function<std::optional<Bytes>(const Bytes& frame, int earlierWrites)>;

    explicit EagerDevIo(Responder r) : responder(std::move(r)) {}

    void onCommDeviceArrival(const std::wstring&) override { dispatch(EvConnected, nullptr); }
    void onCommDeviceRemoval(const std::wstring&) override { dispatch(EvDisconnected, nullptr); }
    void addListener(orb::DevListener* l) override
    {
        std::lock_guard g(lock);
        if (std::find(listeners.begin(), listeners.end(), l) == listeners.end())
            listeners.push_back(l);
        l->io = this;
    }
    void removeListener(orb::DevListener* l) override
    {
        std::lock_guard g(lock);
        listeners.erase(std::remove(listeners.begin(), listeners.end(), l), listeners.end());
    }
    void sendCommand(uint16_t id) override
    {
        Bytes f(34, 0);
        kzo::frame::buildHeader(f.data(), 34, id);
        write(f.data(), 34);
    }
    bool write(const uint8_t* frame, int size) override
    {
        const Bytes bytes(frame, frame + size);
        int earlier = 0;
        {
            std::lock_guard g(lock);
            const uint16_t id = idOf(bytes);
            earlier = static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](const Bytes& f) { return idOf(f) == id; }));
            frames.push_back(bytes);
        }
        if (const std::optional<Bytes> answer = responder(bytes, earlier)) {
            // Delivered and handled completely before this write returns.
            std::thread([this, answer] { dispatch(EvFrame, answer->data()); }).join();
        }
        return true;
    }
    void close() override { dispatch(EvDisconnected, nullptr); }
    bool reconnect() override { return true; }

    // A record with this identifier and payload (length 30 + payload).
    static Bytes record(uint16_t commandId, const Bytes& payload = {})
    {
        Bytes f(34 + payload.size(), 0);
        kzo::frame::buildHeader(f.data(), static_cast<int>(f.size()), commandId);
        for (size_t i = 0; i < payload.size(); ++i)
            f[30 + i] = payload[i];
        return Bytes(f.begin() + kzo::frame::syncSize, f.end());
    }
    static uint16_t idOf(const Bytes& frame) { return kzo::frame::recordCommandId(frame.data() + kzo::frame::syncSize); }

    std::vector<uint16_t> writtenIds() const
    {
        std::lock_guard g(lock);
        std::vector<uint16_t> ids;
        for (const Bytes& f : frames)
            ids.push_back(idOf(f));
        return ids;
    }

private:
    void dispatch(int kind, const uint8_t* data)
    {
        std::vector<orb::DevListener*> copy;
        {
            std::lock_guard g(lock);
            copy = listeners;
        }
        const DevEvent ev{kind, data};
        for (orb::DevListener* l : copy)
            l->onDevEvent(&ev);
    }

    Responder responder;
    mutable std::mutex lock;
    std::vector<orb::DevListener*> listeners;
    std::vector<Bytes> frames;
};

} // namespace kzo::test
