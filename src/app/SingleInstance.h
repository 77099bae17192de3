#pragma once
// One running assistant per user: a lock file in the runtime folder. A lock
// left behind by a process that no longer runs is taken over.
#include <QLockFile>
#include <QString>

namespace kzo::app {

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath = defaultLockPath());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Another live process holds the lock.
    bool alreadyRunning() const { return !held; }

    // $XDG_RUNTIME_DIR/KZO-Assistant.lock (or Qt's fallback runtime folder).
    static QString defaultLockPath();

private:
    QLockFile lock;
    bool held = false;
};

} // namespace kzo::app
