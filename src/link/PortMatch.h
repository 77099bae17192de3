#pragma once
// Which USB serial devices are the gimbal's virtual COM port.
#include "link/ComDevice.h"

#include <optional>
#include <string_view>

namespace kzo::link {

inline constexpr std::string_view acceptedProducts[] = {"KZO USB Virtual COM", "USB Virtual COM"};

// Exact, case-sensitive comparison of the whole product string.
bool isVirtualComProduct(std::string_view product);

// The port to report for a tty: only with a device node and an accepted product string.
std::optional<ComDevice> matchVirtualComPort(std::string_view devNode, std::string_view sysPath, std::string_view product);

} // namespace kzo::link
