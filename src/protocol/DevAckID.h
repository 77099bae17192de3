#pragma once
// Prints every received acknowledgement to the log (tag "RECV").
#include "protocol/DevListener.h"
#include "protocol/Singleton.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace orb {

inline constexpr std::array<uint16_t, 7> silentAckIds = {0x0222, 0x021D, 0x0245, 0x0281, 0x0284, 0x0602, 0x0FA5};

class DevAckID : public DevListener, public SingletonEx<DevAckID> {
public:
    void onDevEvent(const DevEvent* event) override;
    // Switched off by the upgrade engine while it runs.
    std::atomic<bool> printAcks{true};
};

} // namespace orb
