#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace kzo::app {

SingleInstance::SingleInstance(const QString& lockPath) : lock(lockPath)
{
    // Only a dead owner makes a lock stale; a long-running instance keeps it.
    lock.setStaleLockTime(0);
    QDir().mkpath(QFileInfo(lockPath).absolutePath());
    held = lock.tryLock(0);
}

SingleInstance::~SingleInstance()
{
    if (held)
        lock.unlock();
}

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/KZO-Assistant.lock");
}

} // namespace kzo::app
