#pragma once
// Owns the receive buffer and the frame work buffer of one link, and turns
// each arrival of bytes into every complete frame it holds, in one pass.
#include "protocol/FrameCodec.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kzo::frame {

class ReceiveAssembler {
public:
    ReceiveAssembler() { buffer_.reserve(2 * frameWorkSize); }

    // Appends the bytes and calls onFrame(record) for every verified frame,
    // in order. The record is valid only during the call.
    template <class F>
    void feed(std::span<const uint8_t> bytes, F&& onFrame)
    {
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        size_t offset = 0;
        // A listener that throws must not leave its frame in the buffer to be
        // delivered again on the next arrival.
        struct Compactor {
            ReceiveAssembler& self;
            size_t& offset;
            ~Compactor() { self.compact(offset); }
        } compactor{*this, offset};
        for (;;) {
            bool ok = false;
            const int n = static_cast<int>(buffer_.size() - offset);
            const int consumed = decodeFrame(buffer_.data() + offset, n, work_.data(), ok);
            // Keep going as long as the decoder makes progress: a good frame
            // behind a damaged one is delivered now, not at the next arrival.
            if (consumed <= 0)
                break;
            offset += static_cast<size_t>(consumed);
            if (ok)
                onFrame(static_cast<const uint8_t*>(work_.data()));
        }
    }

    size_t buffered() const { return buffer_.size(); }
    void clear() { buffer_.clear(); }

private:
    void compact(size_t offset);

    std::vector<uint8_t> buffer_;
    std::array<uint8_t, frameWorkSize> work_{};
};

} // namespace kzo::frame
