#include "online/DataUploader.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/AppPaths.h"
#include "online/DocArchive.h"
#include "online/ModuleSeries.h"
#include "online/PercentCoding.h"
#include "online/ReplyGuard.h"
#include "online/ServerReplies.h"
#include "online/VersionCompare.h"

#include <QDomDocument>
#include <QFile>
#include <QNetworkRequest>
#include <QSettings>
#include <QUrl>

using namespace kzo::online;

namespace {

QString key(const char* k)
{
    return appModel().value(k);
}

bool isFirmwareType(int type)
{
    return type >= 1 && type <= 12;
}

} // namespace

DataUploader::DataUploader(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<SoftwareInfo>();
    qRegisterMetaType<FirmwareDataInfo>();
    IsReplyFinished.fill(true);
    connect(&manager, &QNetworkAccessManager::finished, this, &DataUploader::onReplyFinished);
}

DataUploader::~DataUploader()
{
    // Replies still in flight die with the manager; none may call back into a
    // half-destroyed client.
    disconnect(&manager, nullptr, this, nullptr);
    for (QNetworkReply* r : replies) {
        if (r)
            r->disconnect(this);
    }
}

bool DataUploader::isReplyFinished(int type) const
{
    if (type < 0 || type >= ReplyTypeCount)
        return true;
    return IsReplyFinished[static_cast<size_t>(type)];
}

void DataUploader::resetReplyFlags()
{
    IsReplyFinished.fill(true);
}

int DataUploader::compareVersion(QString current, QString latest)
{
    return kzo::online::compareVersion(current, latest);
}

void DataUploader::watchReply(int type, QNetworkReply* reply)
{
    replies[static_cast<size_t>(type)] = reply;
    connect(reply, &QNetworkReply::errorOccurred, this, &DataUploader::networkError);
    if (type == ReplyDocDownload)
        guardReply(reply, {maxArchiveBytes, downloadStallMs, ReplyDeadline::Idle});
    else
        guardReply(reply, {maxXmlReplyBytes, replyTimeoutMs, ReplyDeadline::Total});
}

void DataUploader::logBreach(int type, const QNetworkReply* reply)
{
    switch (replyBreach(reply)) {
    case ReplyBreach::Oversize:
        logTaggedLevel(3, "Network", "[%d]Reply larger than %lld bytes dropped!", type,
                       static_cast<long long>(type == ReplyDocDownload ? maxArchiveBytes : maxXmlReplyBytes));
        break;
    case ReplyBreach::TimedOut:
        if (type == ReplyDocDownload)
            logTaggedLevel(3, "Network", "[%d]Download stalled for %d ms!", type, downloadStallMs);
        else
            logTaggedLevel(3, "Network", "[%d]No reply within %d ms!", type, replyTimeoutMs);
        break;
    case ReplyBreach::None:
        break;
    }
}

QNetworkReply* DataUploader::post(int type, const QString& url, const QByteArray& body)
{
    QNetworkRequest request{QUrl(url)};
    // The form type Qt would pick anyway; naming it avoids a warning per request.
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = manager.post(request, body);
    watchReply(type, reply);
    return reply;
}

QNetworkReply* DataUploader::get(int type, const QString& url)
{
    QNetworkReply* reply = manager.get(QNetworkRequest{QUrl(url)});
    watchReply(type, reply);
    return reply;
}

void DataUploader::fetchServerConfig()
{
    const QString url = key("request_xml_url");
    if (url.isEmpty()) {
        logStdout("Server URL1 can not be null! \n");
        return;
    }
    logTaggedLevel(6, "Network", "Fetching Server config ...");
    get(ReplyServerConfig, url);
}

bool DataUploader::requestSoftware()
{
    const QString url = key("software_update_server_url");
    if (url.isEmpty()) {
        logStdout("Server URL3 can not be null!\n");
        return false;
    }
    QByteArray body;
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("series"), key("series"));
    appendFormItem(body, QStringLiteral("software"), key("software"));
    post(ReplySoftware, url, body);
    return true;
}

bool DataUploader::requestFirmware(int _DeviceId)
{
    const FirmwareModule* module = firmwareModule(_DeviceId);
    if (!module) {
        logTaggedLevel(3, "Network", "Firmware _DeviceId %d not found!", _DeviceId);
        return false;
    }
    const bool finished = IsReplyFinished[static_cast<size_t>(_DeviceId)];
    const int status = appModel().status();
    if (!finished || status == AppUpgrading) {
        logTaggedLevel(2, "Network", "IsReplyFinished[%d] = %d,Status:%d", _DeviceId, finished ? 1 : 0, status);
        return false;
    }
    QByteArray body;
    if (_DeviceId == 1) {
        if (key("fw_mc").isEmpty())
            logTaggedLevel(3, "Network", "Error:MC Firmware version not valid !");
        appendFormItem(body, QStringLiteral("sn"), key("sn"));
    }
    appendFormItem(body, QStringLiteral("hwid"), key(module->hwidKey));
    appendFormItem(body, QStringLiteral("firmware"), key(module->firmwareKey));
    appendFormItem(body, QStringLiteral("series"), moduleSeriesName(_DeviceId));
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("software"), key("software"));
    IsReplyFinished[static_cast<size_t>(_DeviceId)] = false;
    logTaggedLevel(6, "Network", "Checking new firmware...,_DeviceId = %d", _DeviceId);
    post(_DeviceId, key("firmware_update_server_url"), body);
    return true;
}

void DataUploader::requestDocVersion()
{
    if (key("software").isEmpty())
        return;
    QByteArray body;
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("series"), key("series"));
    appendFormItem(body, QStringLiteral("software"), key("software"));
    appendFormItem(body, QStringLiteral("doc"), docVersion());
    post(ReplyDocVersion, key("doc_update_url"), body);
}

bool DataUploader::requestNewsLetter()
{
    if (key("software").isEmpty())
        return false;
    QByteArray body;
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("series"), key("series"));
    appendFormItem(body, QStringLiteral("software"), key("software"));
    post(ReplyNewsLetter, key("news_update_url"), body);
    return true;
}

void DataUploader::downloadDoc(QString url)
{
    get(ReplyDocDownload, url);
}

void DataUploader::networkError(QNetworkReply::NetworkError errWhat)
{
    logTaggedLevel(3, "Network", "Network error : %d\n", static_cast<int>(errWhat));
}

void DataUploader::emitNothing(int type)
{
    if (type == ReplyServerConfig) {
        emit serverAddressStatus(1);
    } else if (type == ReplySoftware) {
        SoftwareInfo info;
        info.failed = true;
        emit softwareCheckResult(info);
    } else if (type == ReplyNewsLetter) {
        emit showNewsLetter(QString(), 0);
    } else if (isFirmwareType(type)) {
        FirmwareDataInfo info;
        info.deviceId = type;
        info.failed = true;
        emit firmwareCheckResult(info);
    }
}

void DataUploader::onReplyFinished(QNetworkReply* reply)
{
    int type = -1;
    for (int i = 0; i < ReplyTypeCount; ++i) {
        if (replies[static_cast<size_t>(i)] == reply) {
            type = i;
            break;
        }
    }
    if (type < 0 || !reply) {
        logTaggedLevel(3, "Network", "Unknown Reply Type !");
        // A reply superseded by a newer request of its kind: nobody owns it now.
        if (reply)
            reply->deleteLater();
        return;
    }
    if (type == ReplyDocDownload) {
        onDownloadFinished();
        setFinished(ReplyDocDownload);
        return;
    }

    reply->deleteLater();
    replies[static_cast<size_t>(type)] = nullptr;
    setFinished(type);

    // A failed transfer (refused, cut, timed out, too large) is not a reply,
    // whatever part of a body it brought.
    if (replyFailed(reply)) {
        logBreach(type, reply);
        logTaggedLevel(3, "Network", "[type = %d]Network Exception!!!", type);
        emitNothing(type);
        return;
    }

    QDomDocument doc;
    const ReplyParse parsed = parseReplyDocument(reply->readAll(), doc);
    if (parsed == ReplyParse::Empty) {
        logTaggedLevel(3, "Network", "[%d]Nothing received!", type);
        emitNothing(type);
        return;
    }
    logTaggedLevel(6, "Network", "[%d] ---- Network Reply OK!", type);
    if (parsed == ReplyParse::Malformed) {
        logStdout("replay = %d ::XML parse error!\n", type);
        // Unreadable is unanswered: whoever waits for the answer (a dialog
        // with its Refresh disabled) must hear that it will not come.
        emitNothing(type);
        return;
    }

    const QDomElement root = doc.documentElement();
    if (type == ReplyServerConfig)
        applyServerConfig(root);
    else if (type == ReplySoftware)
        handleSoftware(root);
    else if (isFirmwareType(type))
        handleFirmware(type, root);
    else if (type == ReplyDocVersion)
        handleDocVersion(root);
    else if (type == ReplyNewsLetter)
        handleNewsLetter(root);
}

void DataUploader::applyServerConfig(const QDomElement& root)
{
    const ServerConfig c = readServerConfig(root, key("language"));
    if (c.loginUrl.isEmpty()) {
        emit serverAddressStatus(1);
        return;
    }
    qAppModel& m = appModel();
    m.setValue("login_server_url", c.loginUrl);
    m.setValue("reg_server_url", c.registerUrl);
    m.setValue("forget_password_url", c.forgotPasswordUrl);
    m.setValue("software_update_server_url", c.softwareUrl);
    m.setValue("firmware_update_server_url", c.firmwareUrl);
    m.setValue("firmware_download_server_url", c.firmwareDownloadUrl);
    m.setValue("doc_update_url", c.docUrl);
    m.setValue("news_update_url", c.newsUrl);
    m.setValue("query_info_url", c.queryInfoUrl);
    m.setValue("online_help_main_url", c.helpMainUrl);
    m.setValue("online_help_tools_url", c.helpToolsUrl);
    m.setValue("online_help_info_url", c.helpInfoUrl);
    configReady = true;
    emit serverAddressStatus(0);
}

void DataUploader::handleSoftware(const QDomElement& root)
{
    const SoftwareReply r = readSoftwareReply(root);
    emit latestVersion(r.latestFirmware, r.latestSoftware);
    SoftwareInfo info;
    if (r.code == QLatin1String("1")) {
        info.version = r.ver;
        info.note = r.note;
        info.url = r.url;
        info.mustUpdate = r.status == QLatin1String("1");
        if (r.status == QLatin1String("2"))
            emit currentVersionDisabled();
        logStdout("software :ver=%s,note=%s,url=%s,status=%s\n", r.ver.toUtf8().constData(),
                  r.note.toUtf8().constData(), r.url.toUtf8().constData(), r.status.toUtf8().constData());
    } else {
        logStdout("no software updates!\n");
    }
    emit softwareCheckResult(info);
}

void DataUploader::handleFirmware(int type, const QDomElement& root)
{
    FirmwareDataInfo info = readFirmwareReply(root, type, key("query_info_url"), key("language"));
    emit firmwareCheckResult(info);
}

void DataUploader::handleDocVersion(const QDomElement& root)
{
    const DocReply r = readDocReply(root);
    m_docCode = r.code;
    if (r.code != 0)
        downloadDoc(r.url);
    else
        logTaggedLevel(1, "Network", "Docs is already newest!");
}

void DataUploader::handleNewsLetter(const QDomElement& root)
{
    const NewsReply r = readNewsReply(root, key("query_info_url"), key("language"));
    emit showNewsLetter(r.address, r.version);
}

void DataUploader::onDownloadFinished()
{
    QNetworkReply* reply = replies[ReplyDocDownload];
    if (!reply)
        return;
    replies[ReplyDocDownload] = nullptr;
    reply->deleteLater();

    // A cut, stalled or oversize transfer is not an archive, and neither is nothing.
    const QByteArray body = replyFailed(reply) ? QByteArray() : reply->readAll();
    if (body.isEmpty()) {
        logBreach(ReplyDocDownload, reply);
        logTaggedLevel(3, "Network", "[Update Doc]Network Exception!!!");
        return;
    }

    logStdout("Download Doc Successfully!,DOC ver = %d\n", m_docCode);
    const QString dir = appDataDir();
    const QString zipPath = dir + QStringLiteral("/doc.zip");
    QFile::remove(zipPath);
    QFile zip(zipPath);
    if (!zip.open(QIODevice::WriteOnly) || zip.write(body) != body.size()) {
        logTaggedLevel(3, "Network", "Cannot write %s", qPrintable(zipPath));
        return;
    }
    zip.close();

    // The program's own settings are never taken from an archive.
    const QStringList settingsFiles{appConfPath(), QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp).fileName()};
    QString error;
    if (!unpackArchive(zipPath, dir, settingsFiles, &error)) {
        logTaggedLevel(3, "Network", "Unpack doc.zip failed: %s", qPrintable(error));
        return;
    }
    logStdout("Unpack file OK!\n");
    QFile::remove(zipPath);
    saveDocVersion(m_docCode);
}

QString DataUploader::appConfGroup()
{
    return QStringLiteral("AppConfig_") + key("series") + key("software");
}

QString DataUploader::docVersion()
{
    QSettings conf(appConfPath(), QSettings::IniFormat);
    conf.beginGroup(appConfGroup());
    if (conf.contains(QStringLiteral("doc_version")))
        appModel().setValue("doc_version", conf.value(QStringLiteral("doc_version")).toString());
    conf.endGroup();
    return key("doc_version");
}

void DataUploader::saveDocVersion(int version)
{
    QSettings conf(appConfPath(), QSettings::IniFormat);
    conf.beginGroup(appConfGroup());
    conf.setValue(QStringLiteral("doc_version"), version);
    conf.endGroup();
    conf.sync();
}
