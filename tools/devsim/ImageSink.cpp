#include "ImageSink.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"

#include <cstdio>
#include <fstream>

namespace kzo::devsim {

std::string ImageSink::moduleName(uint8_t module)
{
    namespace m = orb::module;
    switch (module) {
    case m::Mc: return "mc";
    case m::Imu: return "imu";
    case m::Gps: return "gps";
    case m::Led: return "led";
    case m::Pmu: return "pmu";
    case m::Receiver: return "receiver";
    case m::Gnss1: return "gnss1";
    case m::Gnss2: return "gnss2";
    case m::Cmu: return "cmu";
    case m::Pitch: return "pitch";
    case m::Roll: return "roll";
    case m::Yaw: return "yaw";
    default: return "module-" + std::to_string(module);
    }
}

std::string ImageSink::write(const std::string& name, std::span<const uint8_t> bytes) const
{
    if (dir_.empty())
        return {};
    const std::string path = dir_ + "/" + name;
    const std::string tmp = path + ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            logTaggedLevel(3, "DevSim", "cannot write image %s", tmp.c_str());
            return {};
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        logTaggedLevel(3, "DevSim", "cannot rename image to %s", path.c_str());
        return {};
    }
    return path;
}

} // namespace kzo::devsim
