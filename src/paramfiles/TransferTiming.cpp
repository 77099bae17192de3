#include "paramfiles/TransferTiming.h"

#include <utility>

namespace kzo::paramfiles {

namespace {
TransferTiming& current()
{
    static TransferTiming t;
    return t;
}
} // namespace

TransferTiming transferTiming() { return current(); }

ScopedTransferTiming::ScopedTransferTiming(TransferTiming timing) : previous(std::exchange(current(), timing)) {}

ScopedTransferTiming::~ScopedTransferTiming() { current() = previous; }

} // namespace kzo::paramfiles
