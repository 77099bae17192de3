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
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name;
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
    return "usage: kzo-flash [--port PATH]... [--no-udev] --module NAME IMAGE\n"
        "       kzo-flash --help | --version\n"
        "Writes one firmware image into one module of the gimbal over its USB link.\n"
        "\n"
        "Options:\n"
        "  --port PATH      watch PATH as the device's port (may be repeated)\n"
        "  --no-udev        do not look for the device's USB ports\n"
        "  --module NAME    the module to upgrade: mc, cmu (raw image), pitch, roll,\n"
        "                   yaw (Intel HEX), imu, or led, gps, pmu, receiver, nv08c,\n"
        "                   glonass (through the main controller); or a decimal\n"
        "                   module code: 1 mc, 2 imu, 12 cmu, 13 pitch, 14 roll,\n"
        "                   15 yaw, any other a module behind the main controller\n"
        "  --help, -h       print this text and exit\n"
        "  --version        print the version and exit\n"
        "\n"
        "An image whose name ends in 'c' (*.enc) is sent as stored enciphered.\n"
        "\n"
        "Exit status:\n"
        "  0  the upgrade succeeded; re-power the device\n"
        "  1  the upgrade failed or stalled, or no device was found\n"
        "  2  bad arguments, or an image that cannot be read, is empty or malformed\n";
}

} // namespace kzo::flash
