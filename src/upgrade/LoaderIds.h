#pragma once
// Identifiers of the boot-loader protocols: one row per directly reached
// module, plus the CAN relay through the main controller.
#include <cstdint>
#include <optional>

namespace orb::upgrade {

struct LoaderIds {
    uint16_t start;
    uint16_t data;
    uint16_t end;
    uint16_t enter;         // parameterless enter-loader command (0 = none)
    const char* enterText;  // logged before the enter-loader command
};

// Main controller, CMU, pitch, roll and yaw; nothing for other modules.
std::optional<LoaderIds> directLoaderIds(uint8_t module);

// The CAN relay's packet identifiers (0x0FA2 / 0x0FA4 / 0x0FA6).
LoaderIds canLoaderIds();

// Start, data or end acknowledgement of any row, CAN included.
bool isPacketAck(uint16_t id);

// Which packet of a transfer an identifier is (any row's), or None.
enum class PacketKind { None, Start, Data, End };
PacketKind packetKindOfAck(uint16_t ackId);
inline PacketKind packetKindOf(uint16_t packetId) { return packetKindOfAck(static_cast<uint16_t>(packetId + 1)); }

// Answers to the enter-loader commands; only logged.
bool isEnterLoaderAck(uint16_t id);

// Boot-loader states of a directly reached module in the status report.
inline bool isDirectLoaderState(uint8_t s) { return s >= 0xFA && s <= 0xFE; }

} // namespace orb::upgrade
