#pragma once
// Reading an image file whole; upgrade images are small enough to hold in memory.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::upgrade {

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::vector<uint8_t>> readImageFile(const std::wstring& path);

} // namespace orb::upgrade
