#pragma once
// Process-wide store of application facts under string keys, plus the
// application status and the navigation-busy value. Thread-safe.
#include "protocol/Singleton.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <mutex>
#include <string>

enum AppStatus : int { AppIdle = 0, AppUpgrading = 1, AppLoadingAll = 2, AppRestoring = 3 };

class qAppModel : public Singleton<qAppModel> {
public:
    // A copy taken under the lock; reading a key never written creates it empty.
    QString value(const std::string& key);
    void setValue(const std::string& key, const QString& text);
    // Appends "&key=value" (no "&" on an empty body), UTF-8, percent-encoded.
    void appendQuery(QByteArray& body, const std::string& key);
    std::map<std::string, QString> snapshot() const;

    int status() const;
    void setStatus(int s);
    int navigationBusy() const;
    void setNavigationBusy(int v);

private:
    mutable std::mutex entriesLock;
    std::map<std::string, QString> entries;
    mutable std::mutex statusLock;
    int appStatus = AppIdle;
    mutable std::mutex navigationLock;
    int navBusy = 0;
};

qAppModel& appModel();
