#include "commands/qAppModel.h"

qAppModel& appModel()
{
    static qAppModel model;
    return model;
}

QString qAppModel::value(const std::string& key)
{
    std::lock_guard lock(entriesLock);
    return entries[key];
}

void qAppModel::setValue(const std::string& key, const QString& text)
{
    std::lock_guard lock(entriesLock);
    entries[key] = text;
}

void qAppModel::appendQuery(QByteArray& body, const std::string& key)
{
    const QString v = value(key);
    if (!body.isEmpty())
        body += '&';
    // Everything but letters, digits and "-._~" is percent-encoded.
    body += QByteArray::fromStdString(key).toPercentEncoding();
    body += '=';
    body += v.toUtf8().toPercentEncoding();
}

std::map<std::string, QString> qAppModel::snapshot() const
{
    std::lock_guard lock(entriesLock);
    return entries;
}

int qAppModel::status() const
{
    std::lock_guard lock(statusLock);
    return appStatus;
}

void qAppModel::setStatus(int s)
{
    std::lock_guard lock(statusLock);
    appStatus = s;
}

int qAppModel::navigationBusy() const
{
    std::lock_guard lock(navigationLock);
    return navBusy;
}

void qAppModel::setNavigationBusy(int v)
{
    std::lock_guard lock(navigationLock);
    navBusy = v;
}
