#pragma once
// The IMU boot loader's side of its own protocol: a length, then 128-byte
// blocks until the length is reached. Packets carry no numbers.
#include "ReplyFrame.h"

#include <algorithm>
#include <cstdint>
#include <span>

namespace kzo::devsim {

class ImuTransfer {
public:
    static constexpr int blockSize = 128;

    void begin(uint32_t length)
    {
        length_ = length;
        bytes_.clear();
        active_ = true;
    }
    bool active() const { return active_; }
    // Appends one block; true when the image is complete.
    bool block(std::span<const uint8_t> data)
    {
        const size_t take = std::min<size_t>(data.size(), length_ - bytes_.size());
        bytes_.insert(bytes_.end(), data.begin(), data.begin() + static_cast<long>(take));
        if (bytes_.size() < length_)
            return false;
        active_ = false;
        return true;
    }
    uint32_t length() const { return length_; }
    size_t received() const { return bytes_.size(); }
    const Bytes& image() const { return bytes_; }

private:
    bool active_ = false;
    uint32_t length_ = 0;
    Bytes bytes_;
};

} // namespace kzo::devsim
