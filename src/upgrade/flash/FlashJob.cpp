#include "upgrade/flash/FlashJob.h"

#include "commands/CommandCatalogue.h"

#include <array>
#include <charconv>

namespace kzo::flash {

namespace {

struct Named {
    const char* name;
    uint8_t module;
    ImagePath path;
};

constexpr std::array<Named, 12> modules = {{
    {"mc", orb::module::Mc, ImagePath::RawFile},
    {"cmu", orb::module::Cmu, ImagePath::RawFile},
    {"pitch", orb::module::Pitch, ImagePath::HexFile},
    {"roll", orb::module::Roll, ImagePath::HexFile},
    {"yaw", orb::module::Yaw, ImagePath::HexFile},
    {"imu", orb::module::Imu, ImagePath::Imu},
    {"led", orb::module::Led, ImagePath::Can},
    {"gps", orb::module::Gps, ImagePath::Can},
    {"pmu", orb::module::Pmu, ImagePath::Can},
    {"receiver", orb::module::Receiver, ImagePath::Can},
    {"nv08c", orb::module::Gnss1, ImagePath::Can},
    {"glonass", orb::module::Gnss2, ImagePath::Can},
}};

bool parseModule(const std::string& name, FlashJob& job)
{
    for (const Named& m : modules) {
        if (name == m.name) {
            job.module = m.module;
            job.path = m.path;
            return true;
        }
    }
    unsigned code = 0;
    const char* end = name.data() + name.size();
    const auto r = std::from_chars(name.data(), end, code);
    if (name.empty() || r.ec != std::errc() || r.ptr != end || code == 0 || code > 255)
        return false;
    // A module's code takes the same path as its name; only codes without
    // a loader of their own go through the main controller's CAN relay.
    job.module = static_cast<uint8_t>(code);
    job.path = ImagePath::Can;
    for (const Named& m : modules)
        if (m.module == code)
            job.path = m.path;
    return true;
}

} // namespace

ParsedJob parseFlashJob(const std::vector<std::string>& args)
{
    ParsedJob out;
    // Asking for help is answered whatever else is wrong with the line.
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out.help = true;
            out.version = false;
            return out;
        }
        if (args[i] == "--version")
            out.version = true;
    }
    if (out.version)
        return out;

    bool haveModule = false;
    bool list = false;
    bool history = false;
    std::vector<std::string> positional;
    auto positiveNumber = [](const std::string& text, int& out) {
        unsigned v = 0;
        const char* end = text.data() + text.size();
        const auto r = std::from_chars(text.data(), end, v);
        if (text.empty() || r.ec != std::errc() || r.ptr != end || v == 0 || v > 100000)
            return false;
        out = static_cast<int>(v);
        return true;
    };
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name;
        if (a == "--list") {
            list = true;
            continue;
        }
        if (a == "--history") {
            history = true;
            // The count is optional: a number right behind it is the count.
            if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1][0] != '-') {
                if (!positiveNumber(args[++i], out.historyCount)) {
                    out.error = "--history needs a positive number, not " + args[i];
                    return out;
                }
            }
            continue;
        }
        if (a == "--restore") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                out.error = "--restore needs a parameter file";
                return out;
            }
            out.restoreFile = args[++i];
            continue;
        }
        if (a == "--no-backup") {
            out.noBackup = true;
            continue;
        }
        if (a == "--stall-timeout" || a.rfind("--stall-timeout=", 0) == 0) {
            std::string value;
            if (a.size() > 15) {
                value = a.substr(16);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            }
            if (!positiveNumber(value, out.stallSeconds)) {
                out.error = "--stall-timeout needs a positive number of seconds";
                return out;
            }
            continue;
        }
        if (a == "--module") {
            if (i + 1 >= args.size()) {
                out.error = "--module needs a module name";
                return out;
            }
            name = args[++i];
        } else if (a.rfind("--module=", 0) == 0) {
            name = a.substr(9);
        } else if (a.size() > 1 && a[0] == '-') {
            out.error = "unknown option " + a;
            return out;
        } else {
            positional.push_back(a);
            continue;
        }
        if (haveModule) {
            out.error = "--module given twice";
            return out;
        }
        if (!parseModule(name, out.job)) {
            out.error = "unknown module " + name;
            return out;
        }
        haveModule = true;
    }
    const bool restore = !out.restoreFile.empty();
    if (int(list) + int(history) + int(restore) > 1) {
        out.error = "--list, --history and --restore go alone";
        return out;
    }
    if (list || history || restore) {
        out.mode = list ? Mode::List : history ? Mode::History : Mode::Restore;
        if (haveModule || !positional.empty())
            out.error = std::string(list ? "--list" : history ? "--history" : "--restore") + " takes no module or image";
        return out;
    }
    if (!haveModule)
        out.error = "--module is required";
    else if (positional.size() != 1)
        out.error = positional.empty() ? "no image file given" : "more than one image file given";
    else
        out.job.image = positional.front();
    return out;
}

std::string helpText()
{
    return "usage: kzo-flash [--port PATH]... [--no-udev] [--no-backup] [--stall-timeout S]\n"
        "                 --module NAME IMAGE\n"
        "       kzo-flash [--port PATH]... [--no-udev] --list\n"
        "       kzo-flash --history [N]\n"
        "       kzo-flash [--port PATH]... [--no-udev] --restore FILE\n"
        "       kzo-flash --help | --version\n"
        "Writes one firmware image into one module of the gimbal over its USB link.\n"
        "Every upgrade adds a line to the flash log (flash.log in the per-user data\n"
        "folder, ~/.local/share/KZO/kzo-assistant), shared with the window.\n"
        "\n"
        "Options:\n"
        "  --port PATH      watch PATH as the device's port (may be repeated)\n"
        "  --no-udev        do not look for the device's USB ports\n"
        "  --module NAME    the module to upgrade: mc, cmu (raw image), pitch, roll,\n"
        "                   yaw (Intel HEX), imu, or led, gps, pmu, receiver, nv08c,\n"
        "                   glonass (through the main controller); or a decimal\n"
        "                   module code: 1 mc, 2 imu, 12 cmu, 13 pitch, 14 roll,\n"
        "                   15 yaw, any other a module behind the main controller\n"
        "  --no-backup      do not save the main controller's parameters before\n"
        "                   upgrading it (by default they are saved to\n"
        "                   backups/params-YYYYMMDD-HHMMSS.<model> in the data\n"
        "                   folder, and the upgrade stops when that fails)\n"
        "  --stall-timeout S  give up after S seconds without progress (default 16)\n"
        "  --list           list the gimbal's ports (USB product string, or named\n"
        "                   with --port): product, serial number, whether this user\n"
        "                   may open it and what holds it; nothing is sent\n"
        "  --history [N]    print the last N entries of the flash log (default 10)\n"
        "  --restore FILE   write a parameter file (such as a backup) back into the\n"
        "                   main controller\n"
        "  --help, -h       print this text and exit\n"
        "  --version        print the version and exit\n"
        "\n"
        "An image whose name ends in 'c' (*.enc) is sent as stored enciphered.\n"
        "\n"
        "Exit status:\n"
        "  0  the upgrade succeeded; re-power the device (--list, --history: done,\n"
        "     also when nothing was found)\n"
        "  1  the upgrade failed or stalled, the module did not enter its loader,\n"
        "     or no device was found (--restore: the controller did not take it)\n"
        "  2  bad arguments, or an image that cannot be read, is empty or malformed\n"
        "     (--restore: a file that is not a parameter file of this program)\n"
        "  3  the parameters could not be saved before a main-controller upgrade;\n"
        "     nothing was written to the device (see --no-backup)\n";
}

} // namespace kzo::flash
