// IMU firmware images: read from a file, then sent as a length packet and
// 128-byte blocks.
//
// Input: two bytes choosing the block identifier, then the image. The length
// packet carries the image size; the blocks put together are the image and
// zeros up to the block size; every block goes out under the chosen
// identifier (0x02B7 by default).
#include "ImageChecks.h"
#include "commands/CommandCatalogue.h"
#include "upgrade/ImagePackets.h"

using kzo::fuzz::Input;
using namespace orb;
using namespace orb::upgrade;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const uint16_t chosenId = static_cast<uint16_t>(in.byte() | (in.byte() << 8));
    const std::vector<uint8_t> image = kzo::fuzz::throughImageFile(in.rest(), "imu.bin");

    const bool byDefault = (control & 1) == 0;
    const uint16_t blockId = byDefault ? uint16_t{cmdid::ImuBlock} : chosenId;
    const ImuPacketList list = byDefault ? buildImuImage(image) : buildImuImage(image, chosenId);

    const size_t blocks = (image.size() + imuBlockSize - 1) / imuBlockSize;
    KZO_CHECK(list.size() == blocks + 1);
    DevCmd& length = *list.front();
    kzo::fuzz::checkFrameHeader(length.frame(), length.frameSize(), cmdid::ImuLength);
    KZO_CHECK(kzo::frame::readU32(length.payload()) == image.size());
    for (size_t k = 0; k < blocks; ++k) {
        DevCmd& p = *list[k + 1];
        kzo::fuzz::checkFrameHeader(p.frame(), p.frameSize(), blockId);
        KZO_CHECK(p.frameSize() == commandFrameSize<cmd_gimbal_data>);
        for (size_t i = 0; i < static_cast<size_t>(imuBlockSize); ++i) {
            const size_t at = k * imuBlockSize + i;
            KZO_CHECK(p.payload()[i] == (at < image.size() ? image[at] : 0));
        }
    }
    return 0;
}
