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

enum class Mode {
    Flash,   // --module NAME IMAGE
    List,    // --list: the ports and who may use them
    History, // --history [N]: the last entries of the flash log
    Restore, // --restore FILE: a parameter file back into the main controller
};

struct ParsedJob {
    Mode mode = Mode::Flash;
    FlashJob job;
    int historyCount = 10;     // --history N
    std::string restoreFile;   // --restore FILE
    bool noBackup = false;     // --no-backup: no parameter copy before a main-controller upgrade
    int stallSeconds = 16;     // --stall-timeout S: give up after S seconds without progress
    std::string error;    // empty when well formed
    bool help = false;    // --help or -h anywhere: print helpText(), nothing else
    bool version = false; // --version (and no --help)
};

// Parses "--module NAME IMAGE" (also --module=NAME), "--list" or
// "--history [N]"; args[0] is the program.
// A decimal NAME is a module code: the codes of the modules on the link
// itself (1, 2, 12, 13, 14, 15) take their own loaders, any other the CAN relay.
ParsedJob parseFlashJob(const std::vector<std::string>& args);

// The --help text: usage, every option, the module names and the exit statuses.
std::string helpText();

// Appended to argument errors, so each failure stays one line.
inline constexpr const char* usage = "usage: kzo-flash [--port PATH]... [--no-udev] [--no-backup] "
                                     "[--stall-timeout S] --module NAME IMAGE | --list | --history [N] | --restore FILE (NAME: mc cmu pitch roll yaw imu led gps pmu receiver nv08c glonass "
                                     "or a decimal module code; --help for more)";

} // namespace kzo::flash
