#pragma once
// Fixed-layout record of device data blocks shared by the pages. Each block is
// filled from the data of one acknowledgement (record offset 27 on).
#include "protocol/Singleton.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace orb {

// Block 1: 29 bytes of data, a text, then 2 bytes of data.
struct FirstBlock {
    uint8_t head[29] = {};
    std::string text;
    uint8_t tail[2] = {};
};

// Blocks 2..36 (block 32 belongs to nobody) and the start-up flag, packed
// exactly as the device data arrive.
#pragma pack(push, 1)
struct DataBlocks {
    uint8_t block2[8];
    uint8_t block3[2];
    uint8_t block4[99];
    uint8_t block5[28];
    uint8_t block6[35];
    uint8_t block7[6];
    uint8_t block8[33];
    uint8_t block9[20];
    uint8_t block10[29];
    uint8_t block11[2];
    uint8_t block12[42];
    uint8_t block13[4];
    uint8_t block14[2];
    uint8_t block15[4];
    uint8_t block16[100];
    uint8_t block17[14];
    uint8_t block18[3];
    uint8_t block19[54];
    uint8_t block20[48];
    uint8_t block21[32];
    uint8_t block22[12];
    uint8_t block23[20];
    uint8_t block24[8];
    uint8_t block25[40];
    uint8_t block26[23];
    uint8_t block27[11];
    uint8_t block28[23];
    uint8_t block29[20];
    uint8_t block30[66];
    uint8_t block31[5];
    uint8_t block32[6];
    uint8_t block33[8];
    uint8_t block34[1];
    uint8_t block35[6];
    uint8_t block36[8];
    uint32_t startupDone; // set to 1 by start-up once the device finder runs
};
#pragma pack(pop)

static_assert(offsetof(DataBlocks, block2) == 0 && sizeof(DataBlocks::block2) == 8);
static_assert(offsetof(DataBlocks, block3) == 8 && sizeof(DataBlocks::block3) == 2);
static_assert(offsetof(DataBlocks, block4) == 10 && sizeof(DataBlocks::block4) == 99);
static_assert(offsetof(DataBlocks, block5) == 109 && sizeof(DataBlocks::block5) == 28);
static_assert(offsetof(DataBlocks, block6) == 137 && sizeof(DataBlocks::block6) == 35);
static_assert(offsetof(DataBlocks, block7) == 172 && sizeof(DataBlocks::block7) == 6);
static_assert(offsetof(DataBlocks, block8) == 178 && sizeof(DataBlocks::block8) == 33);
static_assert(offsetof(DataBlocks, block9) == 211 && sizeof(DataBlocks::block9) == 20);
static_assert(offsetof(DataBlocks, block10) == 231 && sizeof(DataBlocks::block10) == 29);
static_assert(offsetof(DataBlocks, block11) == 260 && sizeof(DataBlocks::block11) == 2);
static_assert(offsetof(DataBlocks, block12) == 262 && sizeof(DataBlocks::block12) == 42);
static_assert(offsetof(DataBlocks, block13) == 304 && sizeof(DataBlocks::block13) == 4);
static_assert(offsetof(DataBlocks, block14) == 308 && sizeof(DataBlocks::block14) == 2);
static_assert(offsetof(DataBlocks, block15) == 310 && sizeof(DataBlocks::block15) == 4);
static_assert(offsetof(DataBlocks, block16) == 314 && sizeof(DataBlocks::block16) == 100);
static_assert(offsetof(DataBlocks, block17) == 414 && sizeof(DataBlocks::block17) == 14);
static_assert(offsetof(DataBlocks, block18) == 428 && sizeof(DataBlocks::block18) == 3);
static_assert(offsetof(DataBlocks, block19) == 431 && sizeof(DataBlocks::block19) == 54);
static_assert(offsetof(DataBlocks, block20) == 485 && sizeof(DataBlocks::block20) == 48);
static_assert(offsetof(DataBlocks, block21) == 533 && sizeof(DataBlocks::block21) == 32);
static_assert(offsetof(DataBlocks, block22) == 565 && sizeof(DataBlocks::block22) == 12);
static_assert(offsetof(DataBlocks, block23) == 577 && sizeof(DataBlocks::block23) == 20);
static_assert(offsetof(DataBlocks, block24) == 597 && sizeof(DataBlocks::block24) == 8);
static_assert(offsetof(DataBlocks, block25) == 605 && sizeof(DataBlocks::block25) == 40);
static_assert(offsetof(DataBlocks, block26) == 645 && sizeof(DataBlocks::block26) == 23);
static_assert(offsetof(DataBlocks, block27) == 668 && sizeof(DataBlocks::block27) == 11);
static_assert(offsetof(DataBlocks, block28) == 679 && sizeof(DataBlocks::block28) == 23);
static_assert(offsetof(DataBlocks, block29) == 702 && sizeof(DataBlocks::block29) == 20);
static_assert(offsetof(DataBlocks, block30) == 722 && sizeof(DataBlocks::block30) == 66);
static_assert(offsetof(DataBlocks, block31) == 788 && sizeof(DataBlocks::block31) == 5);
static_assert(offsetof(DataBlocks, block32) == 793 && sizeof(DataBlocks::block32) == 6);
static_assert(offsetof(DataBlocks, block33) == 799 && sizeof(DataBlocks::block33) == 8);
static_assert(offsetof(DataBlocks, block34) == 807 && sizeof(DataBlocks::block34) == 1);
static_assert(offsetof(DataBlocks, block35) == 808 && sizeof(DataBlocks::block35) == 6);
static_assert(offsetof(DataBlocks, block36) == 814 && sizeof(DataBlocks::block36) == 8);
static_assert(offsetof(DataBlocks, startupDone) == 822);
static_assert(sizeof(DataBlocks) == 826);

class GlobalDataCache : public Singleton<GlobalDataCache> {
public:
    GlobalDataCache() : blocks{} {}
    FirstBlock first;
    DataBlocks blocks;
};

GlobalDataCache& dataCache();

} // namespace orb
