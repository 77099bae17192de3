#pragma once
// A device I/O for tests: records every written frame and lets the test
// deliver frames and link events to the registered listeners, from any thread.
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <set>
#include <vector>

namespace kzo::test {

class FakeDevIo : public orb::DevIo {
public:
    using Bytes = std::vector<uint8_t>;

    void onCommDeviceArrival(const std::wstring&) override { dispatch(EvConnected, nullptr); }
    void onCommDeviceRemoval(const std::wstring&) override { dispatch(EvDisconnected, nullptr); }
    void addListener(orb::DevListener* l) override
    {
        if (!l)
            return;
        std::lock_guard g(lock_);
        listeners_.insert(l);
        l->io = this;
    }
    void removeListener(orb::DevListener* l) override
    {
        std::lock_guard g(lock_);
        listeners_.erase(l);
    }
    void sendCommand(uint16_t id) override
    {
        Bytes f(34, 0);
        kzo::frame::buildHeader(f.data(), 34, id);
        write(f.data(), 34);
    }
    bool write(const uint8_t* frame, int size) override
    {
        std::lock_guard g(lock_);
        written_.emplace_back(frame, frame + size);
        times_.push_back(std::chrono::steady_clock::now());
        return writeResult_;
    }
    void close() override
    {
        ++closes_;
        dispatch(EvDisconnected, nullptr);
    }
    bool reconnect() override
    {
        ++reconnects_;
        return reconnectResult_;
    }

    // Delivers a frame record (without the sync bytes) like the receive path.
    void deliver(const Bytes& record) { dispatch(EvFrame, record.data()); }
    // A minimal record with the identifier and payload (L = 30 + payload).
    static Bytes record(uint16_t commandId, const Bytes& payload = {})
    {
        const int total = 34 + static_cast<int>(payload.size());
        Bytes f(static_cast<size_t>(total), 0);
        kzo::frame::buildHeader(f.data(), total, commandId);
        for (size_t i = 0; i < payload.size(); ++i)
            f[30 + i] = payload[i];
        return Bytes(f.begin() + 4, f.end());
    }
    void deliverId(uint16_t commandId, const Bytes& payload = {}) { deliver(record(commandId, payload)); }
    void dispatch(int kind, const uint8_t* data)
    {
        // Held for the whole dispatch like the serial receive path, recursive
        // so listeners may write from inside it.
        std::lock_guard g(lock_);
        DevEvent e{kind, data};
        for (auto* l : listeners_)
            l->onDevEvent(&e);
    }

    std::vector<Bytes> written() const
    {
        std::lock_guard g(lock_);
        return written_;
    }
    // Command identifiers of the written frames (wire offset 4 + 5).
    std::vector<uint16_t> writtenIds() const
    {
        std::lock_guard g(lock_);
        std::vector<uint16_t> ids;
        for (const auto& f : written_)
            ids.push_back(f.size() >= 11 ? kzo::frame::readU16(f.data() + 9) : 0);
        return ids;
    }
    std::vector<std::chrono::steady_clock::time_point> writtenTimes() const
    {
        std::lock_guard g(lock_);
        return times_;
    }
    int writeCount() const
    {
        std::lock_guard g(lock_);
        return static_cast<int>(written_.size());
    }
    void clearWritten()
    {
        std::lock_guard g(lock_);
        written_.clear();
        times_.clear();
    }

    bool writeResult_ = true;
    bool reconnectResult_ = true;
    int closes_ = 0;
    int reconnects_ = 0;

private:
    mutable std::recursive_mutex lock_;
    std::set<orb::DevListener*> listeners_;
    std::vector<Bytes> written_;
    std::vector<std::chrono::steady_clock::time_point> times_;
};

} // namespace kzo::test
