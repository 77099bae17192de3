#pragma once
// Wire frame: 55 AA 55 AA, then the frame record starting at its u16 length L
// (the record counts itself; the wire frame is L + 4 bytes). Record offsets:
// 0 length, 2 fixedA, 3 fixedB/sequence, 5 commandId, 7 fixedC, 9 fixedD,
// 10..25 reserved, 26 payload, L-4 tail, L-2 crc (over record bytes 0..L-5).
#include <atomic>
#include <cstdint>
#include <cstring>

namespace kzo::frame {

inline constexpr uint32_t frameSync = 0xAA55AA55u;
inline constexpr int syncSize = 4;
inline constexpr int maxFrameLength = 512;
inline constexpr int frameWorkSize = 4096;
inline constexpr int recordHeaderSize = 26;
inline constexpr int minFrameSize = 34; // parameterless command, L = 30

// Record offsets.
inline constexpr int offLength = 0;
inline constexpr int offFixedA = 2;
inline constexpr int offSequence = 3;
inline constexpr int offCommandId = 5;
inline constexpr int offFixedC = 7;
inline constexpr int offFixedD = 9;
inline constexpr int offPayload = 26;
inline constexpr int offResult = 26;
inline constexpr int offAckData = 27;

inline uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t readU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16)
        | (static_cast<uint32_t>(p[3]) << 24);
}
inline void writeU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Field readers on a frame record.
inline uint16_t recordLength(const uint8_t* record) { return readU16(record + offLength); }
inline uint16_t recordCommandId(const uint8_t* record) { return readU16(record + offCommandId); }
inline uint8_t recordResult(const uint8_t* record) { return record[offResult]; }

} // namespace kzo::frame

// Process-wide codec settings; written by start-up and the console, read by
// the listener and writer threads (atomics so each read sees a whole value).
extern std::atomic<uint16_t> frameCrcSeed;
extern std::atomic<bool> frameCrcEnabled;

uint16_t crc16(const uint8_t* data, int count, uint16_t seed);
bool sealFrame(uint8_t* frame, int size);
int findSync(const uint8_t* buf, int n);
int extractFrame(const uint8_t* buf, int n, uint8_t* out, bool& ok);
int decodeFrame(const uint8_t* buf, int n, uint8_t* out, bool& ok);

namespace kzo::frame {

// Lays out a frame header for an outgoing command in a zero-filled buffer of
// totalSize bytes (sync, length = totalSize - 4, fixed fields, commandId).
void buildHeader(uint8_t* frame, int totalSize, uint16_t commandId);

} // namespace kzo::frame
