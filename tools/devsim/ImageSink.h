#pragma once
// Where received firmware images go: one file per module in a folder chosen
// on the command line (no folder: images are only logged).
#include <cstdint>
#include <span>
#include <string>

namespace kzo::devsim {

class ImageSink {
public:
    explicit ImageSink(std::string dir = {}) : dir_(std::move(dir)) {}

    // File name stem of a module code: "mc", "imu", "gps", "led", "pmu",
    // "receiver", "gnss1", "gnss2", "cmu", "pitch", "roll", "yaw", else "module-<code>".
    static std::string moduleName(uint8_t module);

    // Writes dir/name whole (through a temporary file, so a reader never sees
    // a partial image). Returns the path written, or empty.
    std::string write(const std::string& name, std::span<const uint8_t> bytes) const;

private:
    std::string dir_;
};

} // namespace kzo::devsim
