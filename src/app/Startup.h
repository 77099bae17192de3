#pragma once
// The program's entry: single-instance check, configuration and language,
// the device listeners, the main window and its pages, the device finder,
// the splash wait, the event loop and the tear-down.
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace kzo::app {

struct StartupArgs {
    std::vector<std::string> ports; // --port PATH (repeatable)
    bool useUdev = true;            // --no-udev clears it
    QString serverConfig;           // --server-config URL
    std::vector<std::string> rest;  // what the toolkit gets, program name first
    std::string error;              // empty when the command line was well formed
};

StartupArgs parseStartupArgs(int argc, const char* const* argv);

int run(int argc, char** argv);

// Environment variable that closes the start-up refusal boxes by themselves
// after that many milliseconds (unattended runs and tests).
inline constexpr const char* dialogTimeoutEnv = "KZO_DIALOG_TIMEOUT_MS";

} // namespace kzo::app
