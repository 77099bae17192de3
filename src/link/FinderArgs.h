#pragma once
// Command-line options that choose the ports the device finder watches,
// shared by the programs that talk to the device:
//   --port PATH (or --port=PATH), repeatable: watch PATH as a matching port
//   --no-udev: do not look for USB ports
#include "link/DeviceFinder.h"

#include <string>
#include <vector>

struct FinderArgs {
    FinderOptions options;
    std::vector<std::string> rest; // every other argument, program name first, in order
    std::string error; // empty when the options were well formed
};

FinderArgs parseFinderArgs(int argc, const char* const* argv);
