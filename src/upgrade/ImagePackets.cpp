#include "upgrade/ImagePackets.h"

#include "commands/CommandCatalogue.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace orb::upgrade {

namespace {

template <class T>
std::unique_ptr<cmd_t<T>> makePacket(uint16_t id)
{
    return std::make_unique<cmd_t<T>>(id);
}

} // namespace

uint8_t encryptedFlagOf(const std::wstring& path)
{
    return (!path.empty() && (path.back() == L'c' || path.back() == L'C')) ? 1 : 0;
}

BuiltImage buildDirectImage(std::span<const uint8_t> image, uint8_t flag, const LoaderIds& ids)
{
    BuiltImage out;
    auto start = makePacket<cmd_load_start>(ids.start);
    kzo::frame::writeU32(start->payload() + offsetof(cmd_load_start, size), static_cast<uint32_t>(image.size()));
    out.packets.push_back(std::move(start));

    for (size_t at = 0; at < image.size(); at += blockSize) {
        const size_t n = std::min<size_t>(blockSize, image.size() - at);
        auto data = makePacket<cmd_load_data>(ids.data);
        data->data()->encrypted = flag;
        std::memcpy(data->data()->block, image.data() + at, n); // the rest stays zero
        out.packets.push_back(std::move(data));
        ++out.dataPackets;
    }

    out.endValue = static_cast<uint32_t>(out.dataPackets) * blockSize;
    auto end = makePacket<cmd_load_end>(ids.end);
    kzo::frame::writeU32(end->payload() + offsetof(cmd_load_end, dataLength), out.endValue);
    out.packets.push_back(std::move(end));
    return out;
}

BuiltImage buildCanImage(std::span<const uint8_t> image, uint8_t flag, uint8_t module, uint8_t subModule)
{
    const LoaderIds ids = canLoaderIds();
    BuiltImage out;
    auto start = makePacket<cmd_load_start_can>(ids.start);
    start->data()->module = module;
    start->data()->subCode = subModule;
    kzo::frame::writeU32(start->payload() + offsetof(cmd_load_start_can, size), static_cast<uint32_t>(image.size()));
    out.packets.push_back(std::move(start));

    for (size_t at = 0; at < image.size(); at += blockSize) {
        const size_t n = std::min<size_t>(blockSize, image.size() - at);
        auto data = makePacket<cmd_load_data_can>(ids.data);
        cmd_load_data_can* p = data->data();
        p->encrypted = flag;
        p->module = module;
        p->subCode = subModule;
        std::memcpy(p->block, image.data() + at, n);
        if (at + n == image.size()) {
            out.lastBlock.fill(0);
            std::memcpy(out.lastBlock.data(), image.data() + at, n);
        }
        out.packets.push_back(std::move(data));
        ++out.dataPackets;
    }

    out.endValue = static_cast<uint32_t>(out.dataPackets) * blockSize;
    auto end = makePacket<cmd_load_end_can>(ids.end);
    end->data()->module = module;
    end->data()->subCode = subModule;
    kzo::frame::writeU32(end->payload() + offsetof(cmd_load_end_can, dataLength), out.endValue);
    out.packets.push_back(std::move(end));
    return out;
}

ImuPacketList buildImuImage(std::span<const uint8_t> image)
{
    return buildImuImage(image, cmdid::ImuBlock);
}

ImuPacketList buildImuImage(std::span<const uint8_t> image, uint16_t blockId)
{
    ImuPacketList out;
    auto length = std::make_unique<DevCmdWriteT<cmd_gimbal_length>>(cmdid::ImuLength);
    kzo::frame::writeU32(length->payload(), static_cast<uint32_t>(image.size()));
    out.push_back(std::move(length));
    for (size_t at = 0; at < image.size(); at += imuBlockSize) {
        const size_t n = std::min<size_t>(imuBlockSize, image.size() - at);
        auto block = std::make_unique<DevCmdWriteT<cmd_gimbal_data>>(blockId);
        std::memcpy(block->data()->data, image.data() + at, n);
        out.push_back(std::move(block));
    }
    return out;
}

} // namespace orb::upgrade
