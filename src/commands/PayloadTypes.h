#pragma once
// Payload layouts of the typed commands. Sizes are exact: they fix the frame
// size (34 + payload) of every command type.
#include <cstddef>
#include <cstdint>

namespace kzo {
#pragma pack(push, 1)
// One byte without meaning: a command without parameters.
struct tagNoneParm {
    uint8_t unused;
};
#pragma pack(pop)
} // namespace kzo

#pragma pack(push, 1)
struct cmd_gimbal_length {
    uint32_t length;
};
struct cmd_gimbal_data {
    uint8_t data[128];
};
struct cmd_load_start {
    uint32_t size;
};
struct cmd_load_end {
    uint32_t dataLength;
};
struct cmd_load_data {
    uint8_t encrypted;
    uint8_t block[256];
};
struct cmd_load_new_data {
    uint8_t encrypted;
    uint8_t record[50];
};
struct cmd_load_start_can {
    uint8_t module;
    uint8_t subCode;
    uint32_t size;
};
struct cmd_load_end_can {
    uint8_t module;
    uint8_t subCode;
    uint32_t dataLength;
};
struct cmd_load_data_can {
    uint8_t encrypted;
    uint8_t module;
    uint8_t subCode;
    uint8_t block[256];
};
#pragma pack(pop)

static_assert(sizeof(kzo::tagNoneParm) == 1);
static_assert(sizeof(cmd_gimbal_length) == 4);
static_assert(sizeof(cmd_gimbal_data) == 128);
static_assert(sizeof(cmd_load_start) == 4 && sizeof(cmd_load_end) == 4);
static_assert(sizeof(cmd_load_data) == 257);
static_assert(sizeof(cmd_load_new_data) == 51);
static_assert(sizeof(cmd_load_start_can) == 6 && sizeof(cmd_load_end_can) == 6);
static_assert(sizeof(cmd_load_data_can) == 259);

namespace orb {

// Frame size of a command whose payload is T.
template <class T>
inline constexpr int commandFrameSize = 34 + static_cast<int>(sizeof(T));

static_assert(commandFrameSize<kzo::tagNoneParm> == 35);
static_assert(commandFrameSize<cmd_gimbal_length> == 38);
static_assert(commandFrameSize<cmd_gimbal_data> == 162);
static_assert(commandFrameSize<cmd_load_start> == 38 && commandFrameSize<cmd_load_end> == 38);
static_assert(commandFrameSize<cmd_load_data> == 291);
static_assert(commandFrameSize<cmd_load_new_data> == 85);
static_assert(commandFrameSize<cmd_load_start_can> == 40 && commandFrameSize<cmd_load_end_can> == 40);
static_assert(commandFrameSize<cmd_load_data_can> == 293);

} // namespace orb
