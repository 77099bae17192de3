#include "app/config/GlobalCfg.h"

#include <atomic>

namespace {
std::atomic<GlobalCfg*> g_instance{nullptr};
// Set while the stand-in object is built, so it never claims the instance.
bool g_buildingFallback = false;
} // namespace

GlobalCfg::GlobalCfg(QObject* parent) : QObject(parent)
{
    GlobalCfg* none = nullptr;
    if (!g_buildingFallback)
        g_instance.compare_exchange_strong(none, this);
}

GlobalCfg::~GlobalCfg()
{
    // Never hand out a destroyed object.
    GlobalCfg* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
}

GlobalCfg* GlobalCfg::instance()
{
    if (GlobalCfg* cfg = g_instance.load())
        return cfg;
    // Tools and tests that do not run start-up still read the constants; the
    // stand-in must not keep start-up's own object from becoming the instance.
    static GlobalCfg* fallback = [] {
        g_buildingFallback = true;
        static GlobalCfg standIn;
        g_buildingFallback = false;
        return &standIn;
    }();
    GlobalCfg* cfg = g_instance.load();
    return cfg ? cfg : fallback;
}
