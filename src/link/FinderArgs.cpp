#include "link/FinderArgs.h"

#include <string_view>

FinderArgs parseFinderArgs(int argc, const char* const* argv)
{
    FinderArgs out;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (i == 0) {
            out.rest.emplace_back(arg);
            continue;
        }
        if (arg == "--no-udev") {
            out.options.useUdev = false;
        } else if (arg == "--port") {
            if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1]) {
                out.error = "--port needs a path";
                ++i;
                continue;
            }
            out.options.ports.emplace_back(argv[++i]);
        } else if (arg.starts_with("--port=")) {
            const std::string_view path = arg.substr(7);
            if (path.empty())
                out.error = "--port needs a path";
            else
                out.options.ports.emplace_back(path);
        } else {
            out.rest.emplace_back(arg);
        }
    }
    return out;
}
