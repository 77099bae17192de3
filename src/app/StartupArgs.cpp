#include "app/Startup.h"

#include "link/FinderArgs.h"

#include <array>
#include <string_view>

namespace kzo::app {
namespace {

// The toolkit's own command-line options (with one or two dashes), with and
// without a value.
constexpr std::array<std::string_view, 12> toolkitValueOptions = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "style", "stylesheet"};
constexpr std::array<std::string_view, 5> toolkitFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view name)
{
    for (std::string_view n : list)
        if (n == name)
            return true;
    return false;
}

std::string_view withoutDashes(std::string_view arg)
{
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    return arg;
}

} // namespace

std::string startupUsage()
{
    return "usage: kzo-assistant [--port PATH]... [--no-udev] [--server-config URL] [--all-pages]\n"
           "       kzo-assistant --help | --version\n"
           "\n"
           "Configuration and firmware-upgrade assistant for the gimbal. Opens its window,\n"
           "waits for the device's USB serial port and connects to it.\n"
           "\n"
           "Options:\n"
           "  --port PATH          Watch PATH as the device's port (may be repeated; also\n"
           "                       --port=PATH). The port is opened while PATH exists.\n"
           "  --no-udev            Do not look for the device's USB ports (only --port).\n"
           "  --server-config URL  Read the update server's configuration from URL instead\n"
           "                       of the maker's address (also --server-config=URL).\n"
           "  --all-pages          Also show the pages this configuration builds but hides\n"
           "                       (main parameters, tools, internal upgrade pages).\n"
           "  --help               Print this text and exit.\n"
           "  --version            Print the program's version and exit.\n"
           "\n"
           "The toolkit's own options are passed on: -platform NAME, -platformpluginpath\n"
           "PATH, -platformtheme NAME, -plugin NAME, -qwindowgeometry GEOMETRY, -qwindowicon\n"
           "FILE, -qwindowtitle TITLE, -session ID, -display NAME, -geometry GEOMETRY,\n"
           "-style NAME, -stylesheet FILE, -reverse, -widgetcount, -nograb, -dograb, -sync.\n"
           "\n"
           "Exit status:\n"
           "  0  the window was closed; also after --help and --version, and when the\n"
           "     update server has disabled this version\n"
           "  1  another instance is running\n"
           "  2  the command line is wrong\n";
}

StartupArgs parseStartupArgs(int argc, const char* const* argv)
{
    StartupArgs out;
    const FinderArgs finder = parseFinderArgs(argc, argv);
    out.ports = finder.options.ports;
    out.useUdev = finder.options.useUdev;
    out.error = finder.error;
    auto fail = [&out](std::string text) {
        if (out.error.empty())
            out.error = std::move(text);
    };
    const std::vector<std::string>& rest = finder.rest;
    static const std::string serverOption = "--server-config";
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        if (i == 0) {
            out.rest.push_back(a);
        } else if (a == serverOption) {
            if (i + 1 >= rest.size() || rest[i + 1].empty()) {
                fail("--server-config needs a URL");
                break;
            }
            out.serverConfig = QString::fromStdString(rest[++i]);
        } else if (a.starts_with(serverOption + "=")) {
            out.serverConfig = QString::fromStdString(a.substr(serverOption.size() + 1));
            if (out.serverConfig.isEmpty())
                fail("--server-config needs a URL");
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--all-pages") {
            out.allPages = true;
        } else if (a == "--version") {
            out.version = true;
        } else if (a.size() > 1 && a[0] == '-') {
            const std::string_view name = withoutDashes(a);
            const size_t eq = name.find('=');
            const std::string_view bare = name.substr(0, eq);
            if (listed(toolkitFlags, name)) {
                out.rest.push_back(a);
            } else if (listed(toolkitValueOptions, bare) && eq != std::string_view::npos) {
                out.rest.push_back(a);
            } else if (listed(toolkitValueOptions, name)) {
                if (i + 1 >= rest.size()) {
                    fail(a + " needs a value");
                    break;
                }
                out.rest.push_back(a);
                out.rest.push_back(rest[++i]);
            } else {
                fail("unknown option " + a);
            }
        } else {
            fail("unexpected argument " + a);
        }
    }
    if (out.rest.empty())
        out.rest.emplace_back("kzo-assistant");
    return out;
}

} // namespace kzo::app
