#pragma once
// What kzo-flash was asked to do: the module and how its image travels.
#include <cstdint>
#include <string>
#include <vector>

namespace kzo::flash {

enum class ImagePath {
    RawFile, // main controller, CMU: the engine reads the file
    HexFile, // pitch, roll, yaw: Intel HEX, read by the engine
    Imu,     // the file's bytes through the IMU loader
    Can,     // the file's bytes through the main controller's CAN relay
};

struct FlashJob {
    uint8_t module = 0;
    ImagePath path = ImagePath::RawFile;
    std::string image;
};

struct ParsedJob {
    FlashJob job;
    std::string error;    // empty when well formed
    bool help = false;    // --help or -h anywhere: print helpText(), nothing else
    bool version = false; // --version (and no --help)
};

// Parses "--module NAME IMAGE" (also --module=NAME); args[0] is the program.
// A decimal NAME is a module code: the codes of the modules on the link
// itself (1, 2, 12, 13, 14, 15) take their own loaders, any other the CAN relay.
ParsedJob parseFlashJob(const std::vector<std::string>& args);

// The --help text: usage, every option, the module names and the exit statuses.
std::string helpText();

// Appended to argument errors, so each failure stays one line.
inline constexpr const char* usage = "usage: kzo-flash [--port PATH]... [--no-udev] --module NAME IMAGE "
                                     "(NAME: mc cmu pitch roll yaw imu led gps pmu receiver nv08c glonass "
                                     "or a decimal module code; --help for more)";

} // namespace kzo::flash
