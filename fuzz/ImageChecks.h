#pragma once
// Checks shared by the raw and IMU image targets: the file reader gives back
// exactly the bytes on disk, and a packet's header is laid out as sent.
#include "FuzzSupport.h"
#include "protocol/FrameCodec.h"
#include "upgrade/ImageFile.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kzo::fuzz {

// Writes the bytes to a scratch file and reads them back through the reader.
inline std::vector<uint8_t> throughImageFile(std::span<const uint8_t> bytes, const char* name)
{
    const std::string path = scratchDir() + "/" + name;
    writeWhole(path, bytes);
    const auto read = orb::upgrade::readImageFile(std::wstring(path.begin(), path.end()));
    KZO_CHECK(read.has_value());
    KZO_CHECK(read->size() == bytes.size());
    KZO_CHECK(std::equal(read->begin(), read->end(), bytes.begin()));
    return *read;
}

inline void checkFrameHeader(uint8_t* frame, int frameSize, uint16_t id)
{
    KZO_CHECK(kzo::frame::readU32(frame) == kzo::frame::frameSync);
    const uint8_t* rec = frame + kzo::frame::syncSize;
    KZO_CHECK(kzo::frame::recordLength(rec) == frameSize - kzo::frame::syncSize);
    KZO_CHECK(kzo::frame::recordCommandId(rec) == id);
}

} // namespace kzo::fuzz
