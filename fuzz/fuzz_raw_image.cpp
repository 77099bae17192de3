// Raw (binary) firmware images: read from a file, then cut into 256-byte
// blocks for the direct loaders and for the CAN relay.
//
// Input: a control byte (flag, module, sub-module choices), then the image.
// The blocks put together are the image followed by zeros up to the block
// size; the start packet carries the image size and the end packet the block
// count times 256; every CAN packet names its module; the last block kept for
// the verify request is the image's last block.
#include "ImageChecks.h"
#include "upgrade/ImagePackets.h"

#include <cstddef>

using kzo::fuzz::Input;
using namespace orb;
using namespace orb::upgrade;

namespace {

size_t blocksFor(size_t n) { return (n + blockSize - 1) / blockSize; }

void checkDirect(const std::vector<uint8_t>& image, uint8_t flag, const LoaderIds& ids)
{
    const BuiltImage b = buildDirectImage(image, flag, ids);
    const size_t blocks = blocksFor(image.size());
    KZO_CHECK(b.dataPackets == static_cast<int>(blocks));
    KZO_CHECK(b.packets.size() == blocks + 2);
    KZO_CHECK(b.endValue == blocks * blockSize);
    cmd_base_t& start = *b.packets.front();
    kzo::fuzz::checkFrameHeader(start.frame(), start.frameSize(), ids.start);
    KZO_CHECK(kzo::frame::readU32(start.payload() + offsetof(cmd_load_start, size)) == image.size());
    cmd_base_t& end = *b.packets.back();
    kzo::fuzz::checkFrameHeader(end.frame(), end.frameSize(), ids.end);
    KZO_CHECK(kzo::frame::readU32(end.payload() + offsetof(cmd_load_end, dataLength)) == b.endValue);
    for (size_t k = 0; k < blocks; ++k) {
        cmd_base_t& p = *b.packets[k + 1];
        kzo::fuzz::checkFrameHeader(p.frame(), p.frameSize(), ids.data);
        const auto* d = reinterpret_cast<const cmd_load_data*>(p.payload());
        KZO_CHECK(d->encrypted == flag);
        for (size_t i = 0; i < static_cast<size_t>(blockSize); ++i) {
            const size_t at = k * blockSize + i;
            KZO_CHECK(d->block[i] == (at < image.size() ? image[at] : 0));
        }
    }
}

void checkCan(const std::vector<uint8_t>& image, uint8_t flag, uint8_t module, uint8_t sub)
{
    const LoaderIds ids = canLoaderIds();
    const BuiltImage b = buildCanImage(image, flag, module, sub);
    const size_t blocks = blocksFor(image.size());
    KZO_CHECK(b.dataPackets == static_cast<int>(blocks));
    KZO_CHECK(b.packets.size() == blocks + 2);
    KZO_CHECK(b.endValue == blocks * blockSize);
    cmd_base_t& start = *b.packets.front();
    kzo::fuzz::checkFrameHeader(start.frame(), start.frameSize(), ids.start);
    const auto* s = reinterpret_cast<const cmd_load_start_can*>(start.payload());
    KZO_CHECK(s->module == module && s->subCode == sub);
    KZO_CHECK(kzo::frame::readU32(start.payload() + offsetof(cmd_load_start_can, size)) == image.size());
    cmd_base_t& end = *b.packets.back();
    kzo::fuzz::checkFrameHeader(end.frame(), end.frameSize(), ids.end);
    const auto* e = reinterpret_cast<const cmd_load_end_can*>(end.payload());
    KZO_CHECK(e->module == module && e->subCode == sub);
    KZO_CHECK(kzo::frame::readU32(end.payload() + offsetof(cmd_load_end_can, dataLength)) == b.endValue);
    for (size_t k = 0; k < blocks; ++k) {
        cmd_base_t& p = *b.packets[k + 1];
        kzo::fuzz::checkFrameHeader(p.frame(), p.frameSize(), ids.data);
        const auto* d = reinterpret_cast<const cmd_load_data_can*>(p.payload());
        KZO_CHECK(d->encrypted == flag && d->module == module && d->subCode == sub);
        for (size_t i = 0; i < static_cast<size_t>(blockSize); ++i) {
            const size_t at = k * blockSize + i;
            KZO_CHECK(d->block[i] == (at < image.size() ? image[at] : 0));
        }
    }
    // The verify request's block: the image's last block, zero-filled; all
    // zero for an empty image.
    const size_t lastStart = blocks == 0 ? 0 : (blocks - 1) * blockSize;
    for (size_t i = 0; i < static_cast<size_t>(blockSize); ++i) {
        const size_t at = lastStart + i;
        KZO_CHECK(b.lastBlock[i] == (blocks > 0 && at < image.size() ? image[at] : 0));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const uint8_t flag = control & 1;
    const uint8_t module = in.byte();
    const uint8_t sub = in.byte();
    const std::vector<uint8_t> image = kzo::fuzz::throughImageFile(in.rest(), "image.bin");

    const auto direct = directLoaderIds(static_cast<uint8_t>((control >> 1) % 6));
    checkDirect(image, flag, direct ? *direct : canLoaderIds());
    checkCan(image, flag, module, sub);
    return 0;
}
