#pragma once
// A device I/O whose peer answers at once: the answer to a written frame is
// delivered to the listeners before write() returns, either on the writing
// thread itself or from a second thread that write() waits for. A real boot
// loader on a USB link answers well within a millisecond, often before the
// writer has gone on to its next statement; this makes that the rule instead
// of a one-in-ten accident. A sender that sets up what it waits for only after
// writing misses the answer.
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

    // Sees each written frame (sync bytes included) and how many frames with
    // the same identifier were written before it; returns the records
    // (without sync bytes) the peer sends back.
    using Peer = std::function<std::vector<Bytes>(const Bytes& frame, int earlierWrites)>;

    explicit EagerDevIo(AnswerOn where = AnswerOn::OtherThread, Peer peer = {}) : where_(where), peer_(std::move(peer)) {}

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
        int earlier = 0;
        {
            std::lock_guard g(lock_);
            const uint16_t id = idOf(bytes);
            earlier = static_cast<int>(
                std::count_if(written_.begin(), written_.end(), [id](const Bytes& f) { return idOf(f) == id; }));
            written_.push_back(bytes);
            peer = peer_;
        }
        if (!peer)
            return true;
        const std::vector<Bytes> answers = peer(bytes, earlier);
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
    std::vector<uint16_t> writtenIds() const
    {
        std::vector<uint16_t> ids;
        for (const Bytes& f : written())
            ids.push_back(idOf(f));
        return ids;
    }

    // A minimal record with this identifier and payload (length 30 + payload).
    static Bytes record(uint16_t commandId, const Bytes& payload = {})
    {
        const int total = 34 + static_cast<int>(payload.size());
        Bytes f(static_cast<size_t>(total), 0);
        kzo::frame::buildHeader(f.data(), total, commandId);
        for (size_t i = 0; i < payload.size(); ++i)
            f[30 + i] = payload[i];
        f.erase(f.begin(), f.begin() + kzo::frame::syncSize);
        return f;
    }
    // The identifier of a written frame (sync bytes included).
    static uint16_t idOf(const Bytes& frame) { return kzo::frame::recordCommandId(frame.data() + kzo::frame::syncSize); }

private:
    const AnswerOn where_;
    mutable std::mutex lock_;
    std::vector<orb::DevListener*> listeners_;
    std::vector<Bytes> written_;
    Peer peer_;
};

} // namespace kzo::test
