// The receive path of the link: bytes arrive in arbitrary pieces and the
// assembler hands out verified frame records.
//
// Input: a control byte, eight bytes that choose the arrival splits, then data.
// Control bit 0 clear: the data is the raw stream. Every record delivered must
// be a well-formed frame of the stream (length within the limit, whole header,
// checksum right, re-sealing gives the same bytes) found at a sync pattern, in
// order, and the buffer must stay bounded.
// Control bit 0 set: the data is cut into payloads and built into back-to-back
// valid frames behind noise free of sync bytes; then every frame must come out
// exactly once, in order, whatever the splits.
#include "FuzzSupport.h"
#include "protocol/FrameCodec.h"
#include "protocol/ReceiveAssembler.h"
#include "app/logging/Log.h"

#include <algorithm>
#include <cstring>
#include <vector>

using kzo::fuzz::Choices;
using kzo::fuzz::Input;
using Bytes = std::vector<uint8_t>;
namespace fr = kzo::frame;

namespace {

constexpr int minRecord = fr::minFrameSize - fr::syncSize;
const uint8_t sync[4] = {0x55, 0xAA, 0x55, 0xAA};

// Feeds the stream in pieces chosen by `choices`; returns the records.
std::vector<Bytes> feedInPieces(const Bytes& stream, Choices& choices, size_t maxPiece)
{
    fr::ReceiveAssembler ra;
    std::vector<Bytes> out;
    size_t at = 0;
    while (at < stream.size()) {
        const size_t n = std::min(choices.upTo(maxPiece), stream.size() - at);
        ra.feed(std::span<const uint8_t>(stream.data() + at, n), [&](const uint8_t* record) {
            const int L = fr::recordLength(record);
            KZO_CHECK(L <= fr::maxFrameLength);
            out.emplace_back(record, record + L);
        });
        at += n;
        // What is kept waiting is at most one candidate frame with its sync,
        // and what the last arrival put behind it up to a sync that ends it:
        // noise must never pile up across arrivals.
        KZO_CHECK(ra.buffered() <= static_cast<size_t>(2 * fr::syncSize + fr::maxFrameLength + 3) + n);
    }
    return out;
}

// The record as a wire frame, sealed anew: must give back the same bytes.
void checkWellFormed(const Bytes& record)
{
    const int L = static_cast<int>(record.size());
    KZO_CHECK(L == fr::recordLength(record.data()));
    KZO_CHECK(L >= minRecord); // header and tail are read at fixed offsets by every listener
    KZO_CHECK(L <= fr::maxFrameLength);
    Bytes wire(sync, sync + 4);
    wire.insert(wire.end(), record.begin(), record.end());
    Bytes resealed = wire;
    KZO_CHECK(sealFrame(resealed.data(), static_cast<int>(resealed.size())));
    KZO_CHECK(resealed == wire);
}

bool containsSync(const Bytes& b, size_t from, size_t to)
{
    to = std::min(to, b.size());
    for (size_t i = from; i + 4 <= to; ++i)
        if (std::memcmp(b.data() + i, sync, 4) == 0)
            return true;
    return false;
}

void rawStream(const Bytes& stream, uint64_t seed, size_t maxPiece)
{
    Choices choices(seed);
    const auto records = feedInPieces(stream, choices, maxPiece);
    // Each record sits behind a sync, after the previous one.
    size_t from = 0;
    for (const Bytes& r : records) {
        checkWellFormed(r);
        Bytes wire(sync, sync + 4);
        wire.insert(wire.end(), r.begin(), r.end());
        const auto it = std::search(stream.begin() + static_cast<long>(from), stream.end(), wire.begin(), wire.end());
        KZO_CHECK(it != stream.end());
        from = static_cast<size_t>(it - stream.begin()) + wire.size();
    }
}

void builtFrames(std::span<const uint8_t> data, uint64_t seed, size_t maxPiece)
{
    Input in(data);
    Bytes stream;
    const size_t noise = in.byte() % 16;
    for (size_t i = 0; i < noise; ++i) {
        const uint8_t b = in.byte();
        stream.push_back(b == 0x55 ? 0x54 : b);
    }
    std::vector<Bytes> expected;
    while (!in.rest().empty() && expected.size() < 64) {
        const size_t payloadSize = std::min<size_t>(in.byte() % (fr::maxFrameLength - minRecord + 1), in.rest().size());
        const int total = fr::minFrameSize + static_cast<int>(payloadSize);
        Bytes f(static_cast<size_t>(total), 0);
        fr::buildHeader(f.data(), total, static_cast<uint16_t>(in.byte() | (in.byte() << 8)));
        for (size_t i = 0; i < payloadSize; ++i)
            f[30 + i] = in.byte();
        KZO_CHECK(sealFrame(f.data(), total));
        expected.emplace_back(f.begin() + 4, f.end());
        stream.insert(stream.end(), f.begin(), f.end());
    }
    // Only streams whose sync patterns are exactly the frame starts have one
    // reading; others are covered by the raw mode.
    size_t at = noise;
    for (const Bytes& r : expected) {
        if (containsSync(stream, at + 1, at + 4 + r.size() + 3))
            return;
        at += 4 + r.size();
    }
    Choices choices(seed);
    const auto records = feedInPieces(stream, choices, maxPiece);
    KZO_CHECK(records == expected);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kzo::log::setOutputFd(kzo::fuzz::devNull());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const uint64_t seed = in.u64();
    // Pieces from single bytes up to a few frames, as the serial reads deliver.
    const size_t maxPiece = (control >> 1) % 4 == 0 ? 1 : size_t{1} << (2 + (control >> 3) % 10);
    const Bytes stream(in.rest().begin(), in.rest().end());
    if (control & 1)
        builtFrames(in.rest(), seed, maxPiece);
    else
        rawStream(stream, seed, maxPiece);
    return 0;
}
