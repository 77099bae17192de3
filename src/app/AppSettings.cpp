#include "app/AppSettings.h"

#include "app/config/GlobalCfg.h"

namespace kzo::app {

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
}

bool isSoftwareEnabled(QSettings& settings, const QString& version)
{
    if (!settings.contains(version))
        return true;
    bool ok = false;
    const int mark = settings.value(version).toInt(&ok);
    return !(ok && mark == 1);
}

bool isSoftwareEnabled() { return isSoftwareEnabled(*openSettings(), GlobalCfg::instance()->software); }

void markSoftwareDisabled(QSettings& settings, const QString& version)
{
    settings.setValue(version, 1);
    settings.sync();
}

void markSoftwareDisabled() { markSoftwareDisabled(*openSettings(), GlobalCfg::instance()->software); }

} // namespace kzo::app
