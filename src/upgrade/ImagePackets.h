#pragma once
// Cutting firmware images into boot-loader packets. Pure functions: they only
// build packet lists, so every rule can be checked without a device.
#include "commands/DevCommand.h"
#include "upgrade/LoaderIds.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>

namespace orb::upgrade {

inline constexpr int blockSize = 256;     // raw image block of the 256-block paths
inline constexpr int imuBlockSize = 128;  // IMU image block
inline constexpr int hexRecordBytes = 50; // decoded HEX record room in a packet

using PacketList = std::deque<std::unique_ptr<cmd_base_t>>;
using ImuPacketList = std::deque<std::unique_ptr<DevCmd>>;

struct BuiltImage {
    PacketList packets;                   // start, data..., end
    int dataPackets = 0;                  // data blocks, or HEX records counted
    uint32_t endValue = 0;                // what the end packet carries
    std::array<uint8_t, blockSize> lastBlock{}; // CAN: last block, zero-filled behind the image
};

// 1 when the path ends in "c" or "C" (stored enciphered, e.g. *.enc), else 0.
uint8_t encryptedFlagOf(const std::wstring& path);

// Direct 256-block path: start (image size), one data packet per block of up
// to 256 bytes (a short last block is zero-filled), end (blocks x 256).
BuiltImage buildDirectImage(std::span<const uint8_t> image, uint8_t flag, const LoaderIds& ids);

// CAN relay: the same cut with module and sub-code in every packet; the last
// block is also kept in lastBlock for the verify request.
BuiltImage buildCanImage(std::span<const uint8_t> image, uint8_t flag, uint8_t module, uint8_t subModule);

// IMU path: the length, then blocks of 128 bytes (the last zero-filled).
ImuPacketList buildImuImage(std::span<const uint8_t> image);
// The same with the blocks sent under `blockId` instead of 0x02B7.
ImuPacketList buildImuImage(std::span<const uint8_t> image, uint16_t blockId);

} // namespace orb::upgrade
