#include "protocol/ReceiveAssembler.h"

#include <cstring>

namespace kzo::frame {

namespace {

// First full sync pattern anywhere in [p, p + n), or -1. Unlike findSync this
// also sees a pattern in the last four bytes.
long firstSyncStart(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i + 4 <= n; ++i)
        if (p[i] == 0x55 && p[i + 1] == 0xAA && p[i + 2] == 0x55 && p[i + 3] == 0xAA)
            return static_cast<long>(i);
    return -1;
}

} // namespace

void ReceiveAssembler::compact(size_t offset)
{
    const uint8_t* rest = buffer_.data() + offset;
    size_t n = buffer_.size() - offset;

    // Bytes in front of the first sync can never belong to a frame; without
    // any sync only a partial pattern (at most 3 bytes) is worth keeping.
    const long s = firstSyncStart(rest, n);
    size_t keepFrom = 0;
    if (s < 0) {
        keepFrom = n > 3 ? n - 3 : 0;
    } else {
        keepFrom = static_cast<size_t>(s);
        // A candidate with no second sync behind it and more than
        // maxFrameLength bytes after its sync can never match its length:
        // the decoder would discard it when the next sync comes. Drop it now
        // so noise behind a sync cannot grow the buffer without bound.
        const uint8_t* cand = rest + keepFrom;
        const size_t after = n - keepFrom - 4;
        if (after > static_cast<size_t>(maxFrameLength) && firstSyncStart(cand + 4, after) < 0)
            keepFrom = n - 3;
    }
    offset += keepFrom;
    if (offset == 0)
        return;
    const size_t left = buffer_.size() - offset;
    if (left > 0)
        std::memmove(buffer_.data(), buffer_.data() + offset, left);
    buffer_.resize(left);
}

} // namespace kzo::frame
