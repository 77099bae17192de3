// Throughput of the frame checksum and of the receive path.
#include "protocol/FrameCodec.h"
#include "protocol/ReceiveAssembler.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) {
        x = static_cast<uint8_t>(rng());
        if (x == 0xAA)
            x = 0xAB; // keeps 0x55 bytes but never the whole sync pattern
    }
    return b;
}

// A 0x02A4 channel reply: 47-byte record, 51 bytes on the wire.
Bytes channelReply(uint32_t n)
{
    Bytes f(51, 0);
    kzo::frame::buildHeader(f.data(), 51, 0x02A4);
    for (int i = 0; i < 16; ++i)
        f[31 + static_cast<size_t>(i)] = static_cast<uint8_t>(n * 7 + static_cast<uint32_t>(i));
    const uint16_t c = crc16(f.data() + 4, 43, frameCrcSeed.load());
    f[49] = static_cast<uint8_t>(c);
    f[50] = static_cast<uint8_t>(c >> 8);
    return f;
}

Bytes backToBackReplies(size_t bytes)
{
    Bytes out;
    for (uint32_t i = 0; out.size() + 51 <= bytes; ++i) {
        const Bytes f = channelReply(i);
        out.insert(out.end(), f.begin(), f.end());
    }
    return out;
}

void BM_Crc16(benchmark::State& state)
{
    const Bytes data = randomBytes(static_cast<size_t>(state.range(0)), 1);
    for (auto _ : state) {
        uint16_t c = crc16(data.data(), static_cast<int>(data.size()), 0x0013);
        benchmark::DoNotOptimize(c);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(43)->Arg(4096)->Arg(1 << 20);

// One arrival holding nothing but back-to-back replies.
void BM_DecodeBackToBack(benchmark::State& state)
{
    const Bytes stream = backToBackReplies(static_cast<size_t>(state.range(0)));
    kzo::frame::ReceiveAssembler ra;
    size_t frames = 0;
    for (auto _ : state) {
        ra.feed(stream, [&](const uint8_t* rec) {
            benchmark::DoNotOptimize(rec);
            ++frames;
        });
    }
    if (frames != state.iterations() * (stream.size() / 51))
        state.SkipWithError("frames lost");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeBackToBack)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20);

// The same stream cut into 4 KiB arrivals, as a busy port delivers it.
void BM_DecodeInArrivals(benchmark::State& state)
{
    const Bytes stream = backToBackReplies(1 << 20);
    const size_t chunk = static_cast<size_t>(state.range(0));
    kzo::frame::ReceiveAssembler ra;
    size_t frames = 0;
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += chunk) {
            const size_t n = std::min(chunk, stream.size() - at);
            ra.feed(std::span<const uint8_t>(stream.data() + at, n), [&](const uint8_t*) { ++frames; });
        }
    }
    if (frames != state.iterations() * (stream.size() / 51))
        state.SkipWithError("frames lost");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_DecodeInArrivals)->Arg(64)->Arg(4 << 10);

// Line noise that never forms a sync: scanned once and trimmed to 3 bytes.
void BM_NoiseWithoutSync(benchmark::State& state)
{
    const Bytes noise = randomBytes(static_cast<size_t>(state.range(0)), 2);
    kzo::frame::ReceiveAssembler ra;
    for (auto _ : state) {
        ra.feed(noise, [](const uint8_t*) {});
        if (ra.buffered() > 3)
            state.SkipWithError("noise piled up");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_NoiseWithoutSync)->Arg(4 << 10)->Arg(1 << 20);

// Nothing but sync patterns: every candidate is discarded after 4 bytes.
void BM_SyncFlood(benchmark::State& state)
{
    Bytes flood(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < flood.size(); ++i)
        flood[i] = (i & 1) ? 0xAA : 0x55;
    kzo::frame::ReceiveAssembler ra;
    for (auto _ : state) {
        ra.feed(flood, [](const uint8_t*) {});
        benchmark::DoNotOptimize(ra.buffered());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_SyncFlood)->Arg(4 << 10)->Arg(1 << 20);

} // namespace

BENCHMARK_MAIN();
