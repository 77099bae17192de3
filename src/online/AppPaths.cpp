#include "online/AppPaths.h"

#include "app/config/GlobalCfg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kzo::online {

QString appDataDir()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir;
}

QString appConfPath()
{
    return appDataDir() + QStringLiteral("/app.conf");
}

QStringList helpDocRoots()
{
    QStringList candidates;
    candidates << QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/doc");
    const QString exeDir = QCoreApplication::applicationDirPath();
    candidates << exeDir + QStringLiteral("/doc");
    // Installed layout: bin/ beside share/<program>/doc.
    candidates << QDir::cleanPath(exeDir + QStringLiteral("/../share/") + QLatin1String(kzoApplicationName)
                                  + QStringLiteral("/doc"));
    QStringList roots;
    for (const QString& c : candidates) {
        const QString clean = QDir::cleanPath(c);
        if (QFileInfo(clean).isDir() && !roots.contains(clean))
            roots << clean;
    }
    return roots;
}

QString findHelpDoc(const QString& relative)
{
    for (const QString& root : helpDocRoots()) {
        const QString path = root + QLatin1Char('/') + relative;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace kzo::online
