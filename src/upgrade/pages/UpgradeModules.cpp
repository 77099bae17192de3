#include "upgrade/pages/UpgradeModules.h"

#include "commands/qAppModel.h"

#include <QCoreApplication>

namespace kzo::upgrade {

int rowIndexOf(int module)
{
    for (size_t i = 0; i < moduleRows.size(); ++i) {
        if (moduleRows[i].module == module)
            return static_cast<int>(i);
    }
    return -1;
}

QString moduleDisplayName(int module)
{
    const char* ctx = "qUpgradePage";
    switch (module) {
    case 1: return QCoreApplication::translate(ctx, "Main Controller");
    case 2: return QCoreApplication::translate(ctx, "IMU");
    case 3: return QCoreApplication::translate(ctx, "GPS");
    case 4: return QCoreApplication::translate(ctx, "LED");
    case 7: return QCoreApplication::translate(ctx, "PMU");
    case 9: return QCoreApplication::translate(ctx, "Receiver") + appModel().value("receiver_freq");
    case 10: return QCoreApplication::translate(ctx, "NV08C");
    case 11: return QCoreApplication::translate(ctx, "Glonass");
    case 12: return QCoreApplication::translate(ctx, "CMU");
    default: return {};
    }
}

QString versionDisplay(const QString& stored)
{
    const QString v = stored.trimmed();
    if (v.isEmpty())
        return QStringLiteral("---");
    if (v == QLatin1String("0"))
        return v;
    return v + QLatin1Char(' ');
}

} // namespace kzo::upgrade
