#pragma once
// The controller's parameter memory: 8 blocks of 128 bytes, optionally kept
// in a file so written parameters survive a restart of the simulator.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace kzo::devsim {

class ParamMemory {
public:
    static constexpr int blockCount = 8;
    static constexpr int blockSize = 128;
    static constexpr int totalSize = blockCount * blockSize;

    // Without a file the memory starts with a recognisable pattern
    // (byte i = i * 7 + 3, modulo 256) and nothing is kept. With one, the
    // file (1024 raw bytes, block k at k * 128) is loaded and then written
    // back whole at once, so it equals the memory from the start.
    explicit ParamMemory(std::string file = {});

    // Block number of a block address, or -1 when the address is not one.
    static int blockOf(uint32_t address);
    std::span<const uint8_t> block(int n) const;
    // Stores one block and, with a file, writes the whole memory to it.
    bool writeBlock(int n, std::span<const uint8_t> data);

private:
    bool save() const;

    std::string file_;
    std::array<uint8_t, totalSize> bytes_{};
};

} // namespace kzo::devsim
