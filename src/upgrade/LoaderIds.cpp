#include "upgrade/LoaderIds.h"

#include "commands/CommandCatalogue.h"

#include <array>

namespace orb::upgrade {

namespace {

struct Row {
    uint8_t module;
    LoaderIds ids;
};

// Each direct loader shifts the main controller's identifiers by its prefix.
constexpr LoaderIds prefixed(uint16_t prefix, const char* text)
{
    return {static_cast<uint16_t>(prefix | cmdid::LoadStart), static_cast<uint16_t>(prefix | cmdid::LoadData),
            static_cast<uint16_t>(prefix | cmdid::LoadEnd), static_cast<uint16_t>(prefix | cmdid::EnterLoader), text};
}

constexpr std::array<Row, 5> directRows = {{
    {module::Mc, prefixed(0x0000, "Send CMD_ENTRY_UPDATE!")},
    {module::Cmu, prefixed(0x1000, "Send CMD_CMU_ENTRY_UPDATE!")},
    {module::Pitch, prefixed(0x2000, "Send CMD_PITCH_ENTRY_UPDATE!")},
    {module::Roll, prefixed(0x3000, "Send CMD_ROLL_ENTRY_UPDATE!")},
    {module::Yaw, prefixed(0x4000, "Send CMD_YAW_ENTRY_UPDATE!")},
}};

constexpr LoaderIds canRow = {cmdid::CanLoadStart, cmdid::CanLoadData, cmdid::CanLoadEnd, cmdid::CanEnterLoader,
                              "Write Entry Upgrade"};

} // namespace

std::optional<LoaderIds> directLoaderIds(uint8_t module)
{
    for (const Row& r : directRows)
        if (r.module == module)
            return r.ids;
    return std::nullopt;
}

LoaderIds canLoaderIds() { return canRow; }

bool isPacketAck(uint16_t id)
{
    auto matches = [id](const LoaderIds& ids) {
        return id == ids.start + 1 || id == ids.data + 1 || id == ids.end + 1;
    };
    for (const Row& r : directRows)
        if (matches(r.ids))
            return true;
    return matches(canRow);
}

PacketKind packetKindOfAck(uint16_t id)
{
    auto kind = [id](const LoaderIds& ids) {
        if (id == ids.start + 1)
            return PacketKind::Start;
        if (id == ids.data + 1)
            return PacketKind::Data;
        return id == ids.end + 1 ? PacketKind::End : PacketKind::None;
    };
    for (const Row& r : directRows)
        if (const PacketKind k = kind(r.ids); k != PacketKind::None)
            return k;
    return kind(canRow);
}

bool isEnterLoaderAck(uint16_t id)
{
    for (const Row& r : directRows)
        if (id == r.ids.enter + 1)
            return true;
    return id == cmdid::CanEnterLoaderAck;
}

} // namespace orb::upgrade
