#pragma once
// Fault injection: how often the simulator misbehaves, drawn from one seeded
// generator so a failing run can be repeated exactly.
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace kzo::devsim {

// "N" (an integer): the first N occasions; "R" with a decimal point (0 < R <= 1):
// each occasion with probability R. Empty or 0: never.
struct FaultSetting {
    int count = 0;
    double rate = 0.0;

    bool parse(std::string_view text);
    bool active() const { return count > 0 || rate > 0.0; }
    std::string describe() const;
};

class Faults {
public:
    explicit Faults(uint32_t seed = 1) : rng_(seed) {}

    FaultSetting crcErrors;   // reply sent with a damaged checksum
    FaultSetting garbage;     // noise bytes written in front of a reply
    FaultSetting split;       // reply written in pieces with short pauses
    FaultSetting dropReplies; // request ignored
    int latencyMs = 0;        // every reply held back this long
    int nackPacket = 0;       // upgrade packet number answered once with result 1 (0: none)
    bool verifyFail = false;  // every CAN verify answers "failed"

    // Decides one occasion of setting; a count is used up as it fires.
    bool roll(FaultSetting& setting);
    int uniform(int lo, int hi);
    // A noise byte that can never start a sync pattern.
    uint8_t noiseByte();

private:
    std::mt19937 rng_;
};

} // namespace kzo::devsim
