#pragma once
// Readers of acknowledgements with a fixed layout: identifier first, then the
// exact record length (31 + data size), then the data behind the result byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace orb {

// Expected record length of an acknowledgement carrying dataSize bytes.
constexpr int ackLength(size_t dataSize) { return 31 + static_cast<int>(dataSize); }

// Copies dataSize bytes from record offset 27 into out when the identifier and
// the length match. A length mismatch on the right identifier is logged.
bool ackDecodeBytes(void* out, size_t dataSize, const uint8_t* record, uint16_t ackId);

template <class T>
bool ackDecode(T& out, const uint8_t* record, uint16_t ackId)
{
    static_assert(std::is_trivially_copyable_v<T>);
    return ackDecodeBytes(&out, sizeof(T), record, ackId);
}

#pragma pack(push, 1)
struct ack_u32 {
    uint32_t v;
};
struct ack_u32x2 {
    uint32_t v[2];
};
struct ack_u32x4 {
    uint32_t v[4];
};
struct ack_u32x5 {
    uint32_t v[5];
};
struct ack_u16 {
    uint16_t v;
};
struct ack_u32x3_u16 {
    uint32_t v[3];
    uint16_t w;
};
struct ack_block_u16 {
    uint8_t block[136];
    uint16_t index;
};
#pragma pack(pop)

static_assert(ackLength(sizeof(ack_u32x4)) == 47);
static_assert(ackLength(sizeof(ack_u32x2)) == 39);
static_assert(ackLength(sizeof(ack_u32)) == 35);
static_assert(ackLength(sizeof(ack_u16)) == 33);
static_assert(ackLength(sizeof(ack_u32x3_u16)) == 45);
static_assert(ackLength(sizeof(ack_u32x5)) == 51);
static_assert(ackLength(sizeof(ack_block_u16)) == 169);

} // namespace orb
