#pragma once
// Typed device commands: each object owns exactly one complete outgoing frame.
#include "commands/PayloadTypes.h"
#include "protocol/FrameCodec.h"

#include <array>
#include <cstring>
#include <memory>

namespace orb {

inline constexpr uint16_t restoreFlag = 0x4000; // bit 14 of the record word at offset 7

// Family 1: the frame lives inside the object.
class DevCmd {
public:
    virtual ~DevCmd() = default;
    virtual uint8_t* frame() = 0;
    virtual int frameSize() const = 0;
    uint8_t* payload() { return frame() + 30; }
};

template <class T>
class DevCmdWriteT : public DevCmd {
public:
    explicit DevCmdWriteT(uint16_t commandId) { kzo::frame::buildHeader(frame_.data(), kFrameSize, commandId); }
    uint8_t* frame() override { return frame_.data(); }
    int frameSize() const override { return kFrameSize; }
    T* data() { return reinterpret_cast<T*>(payload()); }

    static constexpr int kFrameSize = commandFrameSize<T>;

private:
    std::array<uint8_t, kFrameSize> frame_{}; // reserved, tail and checksum zero
};

// Family 2: the frame lives in a separately allocated block.
class cmd_base_t {
public:
    virtual ~cmd_base_t() = default;
    virtual uint8_t* header() = 0;
    virtual int frameSize() const = 0;
    virtual uint8_t* frame() = 0;
    virtual uint8_t* payload() = 0;

    uint16_t commandId() { return kzo::frame::readU16(header() + kzo::frame::offCommandId); }
    void setSequence(uint16_t n) { kzo::frame::writeU16(header() + kzo::frame::offSequence, n); }
    uint16_t sequence() { return kzo::frame::readU16(header() + kzo::frame::offSequence); }
    // Word at record offset 7 (0x8000; 0xC000 with the restore flag).
    void setRestoreFlag()
    {
        uint8_t* w = header() + kzo::frame::offFixedC;
        kzo::frame::writeU16(w, static_cast<uint16_t>(kzo::frame::readU16(w) | restoreFlag));
    }
};

template <class T>
class cmd_t : public cmd_base_t {
public:
    explicit cmd_t(uint16_t commandId) : block_(std::make_unique<uint8_t[]>(kFrameSize))
    {
        kzo::frame::buildHeader(block_.get(), kFrameSize, commandId);
    }
    uint8_t* header() override { return block_.get() + kzo::frame::syncSize; }
    int frameSize() const override { return kFrameSize; }
    uint8_t* frame() override { return block_.get(); }
    uint8_t* payload() override { return block_.get() + 30; }
    T* data() { return reinterpret_cast<T*>(payload()); }

    static constexpr int kFrameSize = commandFrameSize<T>;

private:
    std::unique_ptr<uint8_t[]> block_; // make_unique value-initialises: all zero
};

// A short frame built directly (handshake, status request, verify request):
// same header rules, payload of n bytes, zero-filled.
template <int PayloadBytes>
struct RawFrame {
    static constexpr int kFrameSize = 34 + PayloadBytes;
    explicit RawFrame(uint16_t commandId) { kzo::frame::buildHeader(bytes.data(), kFrameSize, commandId); }
    uint8_t* frame() { return bytes.data(); }
    int frameSize() const { return kFrameSize; }
    uint8_t* payload() { return bytes.data() + 30; }
    std::array<uint8_t, kFrameSize> bytes{};
};

} // namespace orb
