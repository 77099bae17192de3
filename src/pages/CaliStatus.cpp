#include "pages/CaliStatus.h"

#include "commands/AckDecode.h"
#include "commands/CommandCatalogue.h"

#include <array>

namespace kzo::pages {

bool CaliStatus::acceptFrame(const uint8_t* record)
{
    // Eight data bytes: the procedure, the state code, six unused.
    std::array<uint8_t, 8> data{};
    if (!orb::ackDecodeBytes(data.data(), data.size(), record, orb::cmdid::GimbalCalibStatus))
        return false;
    std::lock_guard guard(lock);
    last = {data[0], data[1]};
    fresh = true;
    return true;
}

std::optional<CaliReport> CaliStatus::take()
{
    std::lock_guard guard(lock);
    if (!fresh)
        return std::nullopt;
    fresh = false;
    return last;
}

} // namespace kzo::pages
