#pragma once
// The receiving side of one module's firmware transfer through its boot
// loader: numbered packets (start = 1, then one per data packet, end last),
// their sizes and totals are checked the way a careful loader would, and the
// image is rebuilt.
#include "ReplyFrame.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kzo::devsim {

enum class LoaderPath {
    Raw, // main controller, CMU: 256-byte blocks
    Hex, // pitch, roll, yaw: one decoded Intel HEX record per packet
    Can, // modules behind the CAN bus: 256-byte blocks, then a verify exchange
};

class LoaderTransfer {
public:
    static constexpr uint8_t accepted = 0;
    static constexpr uint8_t transmitError = 1;
    static constexpr uint8_t verifyMismatch = 2;
    static constexpr int rawBlock = 256;
    static constexpr int hexRecordBytes = 50;

    struct Answer {
        uint8_t result;
        std::string note; // why a packet was refused, or what a repeat was
    };

    LoaderTransfer(uint8_t module, LoaderPath path) : module_(module), path_(path) {}

    Answer start(uint16_t sequence, uint32_t size);
    // Raw and CAN: a 256-byte block; HEX: the 50 record bytes of one packet.
    Answer data(uint16_t sequence, uint8_t encrypted, std::span<const uint8_t> bytes);
    Answer end(uint16_t sequence, uint32_t dataLength);
    // CAN verify request: 256 bytes that must be the last block when the image
    // is enciphered, zeros otherwise.
    uint8_t verify(std::span<const uint8_t> block) const;

    bool complete() const { return complete_; }
    uint8_t module() const { return module_; }
    LoaderPath path() const { return path_; }
    uint32_t announcedSize() const { return size_; }
    int dataPackets() const { return dataPackets_; }
    int hexRecords() const { return static_cast<int>(records_.size()); }
    uint8_t encrypted() const { return encrypted_; }
    // How much of the announced size has arrived: raw paths the image bytes,
    // HEX the records as the text lines they came from (':', digits, CR LF).
    uint64_t receivedBytes() const;
    // Image file content: raw paths the bytes sent, trimmed to the announced
    // size; HEX the records written back as Intel HEX text (upper-case digits,
    // CR LF line ends).
    Bytes image() const;
    std::string fileName() const;

private:
    enum class Order { Next, Repeat, Wrong };
    Order order(uint16_t sequence) const;
    Answer refuse(std::string why);
    Answer hexRecord(std::span<const uint8_t> bytes);

    uint8_t module_;
    LoaderPath path_;
    bool started_ = false;
    bool failed_ = false;
    bool complete_ = false;
    uint16_t lastSequence_ = 0;
    uint32_t size_ = 0;
    int dataPackets_ = 0;
    uint8_t encrypted_ = 0;
    Bytes raw_;
    std::vector<Bytes> records_;
    std::array<uint8_t, rawBlock> lastBlock_{};
};

} // namespace kzo::devsim
