#include "app/config/GlobalCfg.h"

namespace {
GlobalCfg* g_instance = nullptr;
}

GlobalCfg::GlobalCfg(QObject* parent) : QObject(parent)
{
    if (!g_instance)
        g_instance = this;
}

GlobalCfg* GlobalCfg::instance()
{
    // Tools and tests that do not run start-up still read the constants.
    static GlobalCfg fallback;
    return g_instance ? g_instance : &fallback;
}
