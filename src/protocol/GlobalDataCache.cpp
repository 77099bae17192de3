#include "protocol/GlobalDataCache.h"

namespace orb {

GlobalDataCache& dataCache()
{
    static GlobalDataCache cache;
    return cache;
}

} // namespace orb
