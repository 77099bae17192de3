#include "ParamFaults.h"

#include "ParamMemory.h"

#include <tuple>

namespace kzo::devsim {

bool ParamFaults::dropReply()
{
    if (options_.drop <= 0)
        return false;
    --options_.drop;
    return true;
}

const std::set<int>& ParamFaults::blocksOf(Kind kind) const
{
    switch (kind) {
    case Kind::Refuse: return options_.refuse;
    case Kind::WrongAddress: return options_.wrongAddress;
    case Kind::WrongNumber: return options_.wrongNumber;
    case Kind::WrongLength: break;
    }
    return options_.wrongLength;
}

bool ParamFaults::hits(Kind kind, int block, Direction direction)
{
    if (blocksOf(kind).count(block) == 0)
        return false;
    if (options_.always)
        return true;
    return used_.insert({kind, block, direction}).second;
}

uint32_t ParamFaults::wrongAddressOf(int block)
{
    // The next block's address, wrapping round after the last one.
    return static_cast<uint32_t>(((block + 1) % ParamMemory::blockCount) * ParamMemory::blockSize);
}

std::string ParamFaults::describe() const
{
    auto list = [](const std::set<int>& s) {
        if (s.empty())
            return std::string("-");
        std::string out;
        for (int k : s)
            out += (out.empty() ? "" : ",") + std::to_string(k);
        return out;
    };
    return "refuse " + list(options_.refuse) + ", drop " + std::to_string(options_.drop) + ", wrong address "
        + list(options_.wrongAddress) + ", wrong number " + list(options_.wrongNumber) + ", wrong length "
        + list(options_.wrongLength) + (options_.always ? ", every time" : ", once each");
}

} // namespace kzo::devsim
