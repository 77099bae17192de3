#pragma once
// A device I/O whose peer answers at once: the answer to a written frame is
// delivered to the listeners before write() returns, either on the writing
// thread itself or from a second thread that write() waits for. A real loader
// on a USB link can answer well before the writer has gone on to its next
// statement; this makes that the rule instead of a one-in-ten accident.
//
// Listeners are called without any lock held, so a listener may write (and be
// answered again) from inside its handler on either thread.
#include "link/DevIo.h"
#include "protocol/DevListener.h"
#include "protocol/FrameCodec.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kzo::test {

class EagerDevIo : public orb::DevIo {
public:
    using Bytes = std::vector<uint8_t>;
    enum class AnswerOn { WritingThread, OtherThread };

    // Records (without sync bytes) the peer sends back for one written frame.
    using Peer = std::function<std::vector<Bytes>(const Bytes& frame)>;

    explicit EagerDevIo(AnswerOn where) : where_(where) {}

    void onCommDeviceArrival(const std::wstring&) override { dispatch(EvConnected, nullptr); }
    void onCommDeviceRemoval(const std::wstring&) override { dispatch(EvDisconnected, nullptr); }
    void addListener(orb::DevListener* l) override
    {
        std::lock_guard g(lock_);
        if (l && std::find(listeners_.begin(), listeners_.end(), l) == listeners_.end())
            listeners_.push_back(l);
        if (l)
            l->io = this;
    }
    void removeListener(orb::DevListener* l) override
    {
        std::lock_guard g(lock_);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
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
        Peer peer;
        {
            std::lock_guard g(lock_);
            written_.push_back(bytes);
            peer = peer_;
        }
        if (!peer)
            return true;
        const std::vector<Bytes> answers = peer(bytes);
        if (answers.empty())
            return true;
        auto deliverAll = [this, &answers] {
            for (const Bytes& r : answers)
                dispatch(EvFrame, r.data());
        };
        if (where_ == AnswerOn::WritingThread) {
            deliverAll();
        } else {
            std::thread answerer(deliverAll);
            answerer.join();
        }
        return true;
    }
    void close() override { dispatch(EvDisconnected, nullptr); }
    bool reconnect() override { return true; }

    void setPeer(Peer p)
    {
        std::lock_guard g(lock_);
        peer_ = std::move(p);
    }
    void dispatch(int kind, const uint8_t* data)
    {
        std::vector<orb::DevListener*> copy;
        {
            std::lock_guard g(lock_);
            copy = listeners_;
        }
        const DevEvent ev{kind, data};
        for (orb::DevListener* l : copy)
            l->onDevEvent(&ev);
    }
    std::vector<Bytes> written() const
    {
        std::lock_guard g(lock_);
        return written_;
    }

    // A minimal record with this identifier and payload.
    static Bytes record(uint16_t commandId, const Bytes& payload = {})
    {
        const int total = 34 + static_cast<int>(payload.size());
        Bytes f(static_cast<size_t>(total), 0);
        kzo::frame::buildHeader(f.data(), total, commandId);
        std::copy(payload.begin(), payload.end(), f.begin() + 30);
        return Bytes(f.begin() + kzo::frame::syncSize, f.end());
    }
    static uint16_t idOf(const Bytes& frame) { return kzo::frame::readU16(frame.data() + 9); }

private:
    const AnswerOn where_;
    mutable std::mutex lock_;
    std::vector<orb::DevListener*> listeners_;
    std::vector<Bytes> written_;
    Peer peer_;
};

} // namespace kzo::test
