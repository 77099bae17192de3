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
    // Any other module behind the CAN bus by its code. The IMU's code is
    // excluded: its loader has a protocol of its own ("imu").
    unsigned code = 0;
    const char* end = name.data() + name.size();
    const auto r = std::from_chars(name.data(), end, code);
    if (name.empty() || r.ec != std::errc() || r.ptr != end || code == 0 || code > 255 || code == orb::module::Imu)
        return false;
    job.module = static_cast<uint8_t>(code);
    job.path = ImagePath::Can;
    return true;
}

} // namespace

ParsedJob parseFlashJob(const std::vector<std::string>& args)
{
    ParsedJob out;
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

} // namespace kzo::flash
