#pragma once
// Faults of the parameter-memory exchange (0x0292/0x0293, 0x0294/0x0295):
// a refused block write, lost replies, and replies that echo a wrong address,
// block number or record length. Each block fault hits the first matching
// reply only (a repeated request then succeeds), unless `always` is set.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>

namespace kzo::devsim {

struct ParamFaultOptions {
    std::set<int> refuse;       // --param-refuse-block K: write of block K answered with result 0, not stored
    int drop = 0;               // --param-drop N: the first N block requests get no reply
    std::set<int> wrongAddress; // --param-wrong-address K: reply echoes (K+1)*128 (block 7: 0)
    std::set<int> wrongNumber;  // --param-wrong-number K: read reply carries block number K+1
    std::set<int> wrongLength;  // --param-wrong-length K: read reply one data byte short (record length 168)
    bool always = false;        // --param-faults-always: block faults hit every matching reply
};

class ParamFaults {
public:
    enum class Kind { Refuse, WrongAddress, WrongNumber, WrongLength };
    enum class Direction { Read, Write };

    explicit ParamFaults(ParamFaultOptions options) : options_(std::move(options)) {}

    // Whether this request's reply is lost; uses up one of --param-drop.
    bool dropReply();
    // Whether the fault hits this reply for block k; a one-off fault is used up.
    bool hits(Kind kind, int block, Direction direction);
    // The address echoed for block k under --param-wrong-address.
    static uint32_t wrongAddressOf(int block);
    std::string describe() const;
    bool active() const
    {
        return options_.drop > 0 || !options_.refuse.empty() || !options_.wrongAddress.empty() || !options_.wrongNumber.empty()
            || !options_.wrongLength.empty();
    }

private:
    const std::set<int>& blocksOf(Kind kind) const;

    ParamFaultOptions options_;
    std::set<std::tuple<Kind, int, Direction>> used_;
};

} // namespace kzo::devsim
