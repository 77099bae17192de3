// The hidden debug mode: a firmware offer for a user name and password.
#include "upgrade/updater/qUpdater.h"

#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "online/ModuleSeries.h"
#include "online/PercentCoding.h"
#include "online/ReplyGuard.h"
#include "online/ServerReplies.h"
#include "upgrade/updater/qDebugModeCheckDlg.h"

#include <QDomDocument>
#include <QLabel>
#include <QNetworkRequest>
#include <QPushButton>

using kzo::online::appendFormItem;
using kzo::online::moduleSeriesName;

namespace {

QString key(const char* name)
{
    return appModel().value(name);
}

} // namespace

void qUpdater::doEnterDebugMode()
{
    debugState = 1;
    qDebugModeCheckDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted) {
        debugState = 0;
        return;
    }
    if (downloadState_ == 1) {
        refreshStatusInfo(tr("Firmware downloading is in process, please try again later!"), 0);
        showRefresh(true);
        debugState = 0;
        return;
    }
    if (isUpgrading()) {
        debugState = 0;
        return;
    }
    labelStatus->clear();
    showRefresh(false);
    labelResult->hide();
    buttonUpgrade->setEnabled(false);
    downloadState_ = 0;
    image.clear();
    abortReply();
    sendDebugRequest(dlg.userName(), dlg.password());
}

void qUpdater::sendDebugRequest(const QString& user, const QString& password)
{
    const QUrl url(key("firmware_update_server_url"));
    if (url.isEmpty()) {
        logStdout("requestVersions error:network exception!\n");
        debugState = 0;
        networkError(QNetworkReply::ProtocolUnknownError);
        return;
    }
    QByteArray body;
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("series"), moduleSeriesName(moduleId_));
    appendFormItem(body, QStringLiteral("debug"), QStringLiteral("1"));
    appendFormItem(body, QStringLiteral("user"), user);
    appendFormItem(body, QStringLiteral("password"), password);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    reply = manager.post(request, body);
    kzo::online::guardReply(reply, {DataUploader::maxXmlReplyBytes, DataUploader::defaultReplyTimeoutMs,
                                    kzo::online::ReplyDeadline::Total});
    debugState = 2;
    connect(reply, &QNetworkReply::errorOccurred, this, &qUpdater::networkError);
    connect(reply, &QNetworkReply::finished, this, &qUpdater::onReplayFinish);
}

void qUpdater::onReplayFinish()
{
    QNetworkReply* r = releaseReply();
    debugState = 0;
    if (!r)
        return;
    // Whatever went wrong, Refresh is there to start over.
    showRefresh(true);
    if (kzo::online::replyFailed(r)) {
        logStdout("Network Exception!!!\n");
        refreshStatusInfo(tr("Network error, Please "), 1);
        return;
    }
    QDomDocument doc;
    const kzo::online::ReplyParse parsed = kzo::online::parseReplyDocument(r->readAll(), doc);
    if (parsed == kzo::online::ReplyParse::Empty) {
        logStdout("Nothing received!\n");
        return;
    }
    if (parsed == kzo::online::ReplyParse::Malformed) {
        logTaggedLevel(3, "Test Reply", "XML parse error!");
        return;
    }
    const QDomElement root = doc.documentElement();
    if (kzo::online::childText(root, QStringLiteral("code")) != QLatin1String("0")) {
        refreshStatusInfo(tr("Test: Username or Password Error!"), 1);
        return;
    }
    FirmwareDataInfo info =
        kzo::online::readFirmwareReply(root, moduleId_, key("query_info_url"), key("language"));
    emit debugFirmwareCheckResult(info);
}
