#include "resources/KzoResources.h"

#include <QtCore/qglobal.h>
#include <mutex>

static void registerKzoResources()
{
    Q_INIT_RESOURCE(kzo_resources);
}

void kzo::initResources()
{
    static std::once_flag once;
    std::call_once(once, registerKzoResources);
}
