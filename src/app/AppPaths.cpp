#include "app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kzo::app {

QString dataDir()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        appDir,
        QDir::cleanPath(appDir + QStringLiteral("/../share/kzo-assistant")),
#ifdef KZO_INSTALL_DATADIR
        QStringLiteral(KZO_INSTALL_DATADIR),
#endif
    };
    for (const QString& dir : candidates) {
        if (QFileInfo::exists(dir + QStringLiteral("/config.xml")))
            return dir;
    }
    return appDir;
}

QString configPath() { return dataDir() + QStringLiteral("/config.xml"); }

QString languageDir() { return dataDir() + QStringLiteral("/language/"); }

} // namespace kzo::app
