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
    bool allPages = false;          // --all-pages: also the containers not shown by default
    bool help = false;              // --help
    bool version = false;           // --version
    std::vector<std::string> rest;  // what the toolkit gets, program name first
    std::string error;              // empty when the command line was well formed
};

// Anything the program does not know is an error: a mistyped option must not
// start the program without it. The toolkit's own options are passed on.
StartupArgs parseStartupArgs(int argc, const char* const* argv);

// The text of --help: usage, every option, the exit statuses.
std::string startupUsage();

// Exit statuses of the program.
inline constexpr int exitOk = 0;
inline constexpr int exitAlreadyRunning = 1;
inline constexpr int exitUsage = 2;

int run(int argc, char** argv);

// Environment variable that closes the start-up refusal boxes by themselves
// after that many milliseconds (unattended runs and tests).
inline constexpr const char* dialogTimeoutEnv = "KZO_DIALOG_TIMEOUT_MS";

} // namespace kzo::app
