#include "app/Startup.h"

#include "link/FinderArgs.h"

#include <cstring>

namespace kzo::app {

StartupArgs parseStartupArgs(int argc, const char* const* argv)
{
    StartupArgs out;
    const FinderArgs finder = parseFinderArgs(argc, argv);
    out.ports = finder.options.ports;
    out.useUdev = finder.options.useUdev;
    out.error = finder.error;
    const std::vector<std::string>& rest = finder.rest;
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        static const std::string option = "--server-config";
        if (i > 0 && a == option) {
            if (i + 1 >= rest.size()) {
                if (out.error.empty())
                    out.error = "--server-config needs a URL";
                break;
            }
            out.serverConfig = QString::fromStdString(rest[++i]);
        } else if (i > 0 && a.rfind(option + "=", 0) == 0) {
            out.serverConfig = QString::fromStdString(a.substr(option.size() + 1));
        } else {
            out.rest.push_back(a);
        }
    }
    if (out.rest.empty())
        out.rest.emplace_back("kzo-assistant");
    return out;
}

} // namespace kzo::app
