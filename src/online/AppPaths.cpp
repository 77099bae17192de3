#include "online/AppPaths.h"

#include <QDir>
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

} // namespace kzo::online
