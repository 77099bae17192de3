// Opening the firmware update dialog, the server check and the download.
#include "upgrade/updater/qUpdater.h"

#include "app/framework/HelpView.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "online/DataUploader.h"
#include "online/ModuleSeries.h"
#include "online/PercentCoding.h"
#include "online/ReplyGuard.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/updater/UpgradeHost.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QLabel>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>

using kzo::online::appendFormItem;
using kzo::online::moduleSeriesName;

namespace {

QString key(const char* name)
{
    return appModel().value(name);
}

// Application-model key of a module's firmware version; nullptr for an unknown id.
const char* firmwareKey(int id)
{
    const kzo::online::FirmwareModule* m = kzo::online::firmwareModule(id);
    return m ? m->firmwareKey : nullptr;
}

} // namespace

qUpdater::qUpdater(UpgradeHost* hostWindow, QWidget* parent) : QDialog(parent), host(hostWindow)
{
    buildUi();
    progressTimer.setObjectName(QStringLiteral("progressTimer"));
    progressTimer.setInterval(100);
    connect(&progressTimer, &QTimer::timeout, this, &qUpdater::refreshProgress);
    connect(this, &qUpdater::signal_EnterPage, this, &qUpdater::refreshAppState);
    if (orb::DevUpgrade* engine = orb::DevUpgrade::instance()) {
        connect(engine, &orb::DevUpgrade::upgradeError, this, &qUpdater::onUpgradeError);
        connect(engine, &orb::DevUpgrade::upgradeStartCheck, this, &qUpdater::onUpgradeStartCheck);
        connect(engine, &orb::DevUpgrade::upgradeCheckResult, this, &qUpdater::onUpgradeCheckResult);
    }
    if (qConnector* c = qConnector::instance())
        connect(c, &qConnector::connectionChanged, this, &qUpdater::onConnectionChanged);
    if (DataUploader* u = dataUploader())
        connect(u, &DataUploader::firmwareCheckResult, this, &qUpdater::onFirmwareCheckResult);
    connect(this, &qUpdater::debugFirmwareCheckResult, this, &qUpdater::onFirmwareCheckResult);
    connect(this, &qUpdater::enterDebugMode, this, &qUpdater::doEnterDebugMode);
}

qUpdater::~qUpdater()
{
    abortReply();
    if (io)
        io->removeListener(this);
}

bool qUpdater::setModuleId(int id)
{
    if (isVisible() || downloadState_ == 1 || isUpgrading())
        return false;
    if (id != moduleId_) {
        // An image fetched for another module must never be flashed into this one.
        image.clear();
        if (downloadState_ == 2)
            downloadState_ = 0;
        buttonUpgrade->setEnabled(false);
    }
    moduleId_ = id;
    return true;
}

int qUpdater::moduleId() const { return moduleId_; }

bool qUpdater::isUpgrading() const
{
    return upgradeRunning || appModel().status() == AppUpgrading;
}

bool qUpdater::isConnected() const
{
    const qConnector* c = qConnector::instance();
    return c && c->isConnected();
}

QString qUpdater::moduleName(int id)
{
    switch (id) {
    case 1: return tr("Main Controller");
    case 2: return tr("IMU");
    case 3: return tr("GPS");
    case 4: return tr("LED");
    case 7: return tr("PMU");
    case 9: return tr("Receiver") + appModel().value("receiver_freq");
    case 10: return tr("NV08C");
    case 11: return tr("Glonass");
    case 12: return tr("CMU");
    default: return QString();
    }
}

void qUpdater::onDevEvent(const DevEvent* event)
{
    // Called on the link's threads: only a queued call may touch the dialog.
    if (event && event->kind == EvConnected)
        QMetaObject::invokeMethod(this, &qUpdater::onPortOpened, Qt::QueuedConnection);
}

void qUpdater::onPortOpened()
{
    downloadState_ = 0;
    if (isUpgrading())
        return;
    // The image in hand (or on its way) may be for the device that went.
    abortReply();
    image.clear();
    buttonUpgrade->setEnabled(false);
}

void qUpdater::showRefresh(bool visible)
{
    buttonRefresh->setVisible(visible);
}

void qUpdater::showWebText(const QString& text)
{
    webView->setHtml(QStringLiteral("<div style= \"font-size; 10px;\">") + text + QStringLiteral("</div>"));
}

QNetworkReply* qUpdater::releaseReply()
{
    QNetworkReply* r = reply;
    if (!r)
        return nullptr;
    reply = nullptr;
    r->disconnect(this);
    r->deleteLater();
    return r;
}

void qUpdater::abortReply()
{
    if (QNetworkReply* r = releaseReply())
        r->abort();
}

// ------------------------------------------------------------------ opening

void qUpdater::refreshAppState()
{
    debugState = 0;
    labelProduct->setText(moduleName(moduleId_));
    refreshVersionInfo();
    if (downloadState_ != 1)
        cmdRefresh();
}

void qUpdater::refreshVersionInfo()
{
    const char* k = firmwareKey(moduleId_);
    const QString v = k ? appModel().value(k) : QString();
    labelVersionCur->setText(v.isEmpty() ? QStringLiteral("--") : v);
}

// ----------------------------------------------------------------- checking

void qUpdater::cmdRefresh()
{
    if (!isConnected()) {
        refreshStatusInfo(tr("Please connect to the controller!"), 1);
        return;
    }
    if (downloadState_ == 1) {
        logStdout("Firmware is downloading ...refresh not permitted! \n");
        return;
    }
    if (isUpgrading())
        return;
    labelStatus->clear();
    progressBar->hide();
    labelResult->hide();
    buttonUpgrade->setEnabled(false);
    downloadState_ = 0;
    image.clear();
    // The engine's reset also ends the application status; a read-all or a
    // restore in progress must keep theirs.
    if (appModel().status() == AppIdle) {
        if (orb::DevUpgrade* engine = orb::DevUpgrade::instance())
            engine->reset();
    }
    abortReply();

    DataUploader* uploader = dataUploader();
    if (uploader && uploader->isServerConfigReady() && key("ssid").isEmpty()) {
        if (host)
            host->showLoginOrError();
        // A login made there lets the check go on; otherwise Refresh stays
        // to try again.
        if (key("ssid").isEmpty()) {
            showRefresh(true);
            return;
        }
    }

    showRefresh(false);
    const QString checking = tr("Checking for ") + moduleName(moduleId_).toHtmlEscaped()
        + tr(" firmware updates, please wait...");
    const bool inFlight = uploader && !uploader->isReplyFinished(moduleId_);
    if (inFlight) {
        // The answer to the check already sent is still to come.
        showWebText(checking);
        labelVersionNew->clear();
        labelUpgradeTo->hide();
        return;
    }
    if (uploader && uploader->isServerConfigReady() && uploader->requestFirmware(moduleId_)) {
        showWebText(checking);
        labelVersionNew->clear();
        labelUpgradeTo->hide();
        return;
    }
    showRefresh(true);
    refreshStatusInfo(tr("Network error! Please"), 1);
    if (uploader)
        uploader->resetReplyFlags();
}

void qUpdater::refreshStatusInfo(QString szText, int _color)
{
    if (_color == 1)
        labelStatus->setText(QStringLiteral("<div style=\"color: red;\">") + szText + QStringLiteral("</div>"));
    else if (_color == 2)
        labelStatus->setText(QStringLiteral("<div style=\"color: green;\">") + szText + QStringLiteral("</div>"));
    else
        labelStatus->setText(szText);
}

void qUpdater::refreshStatusInfo(QString szText)
{
    refreshStatusInfo(szText, 0);
}

// -------------------------------------------------------------------- offer

void qUpdater::onFirmwareCheckResult(FirmwareDataInfo& firmInfo)
{
    if (!isVisible() || firmInfo.deviceId != moduleId_ || isUpgrading())
        return;
    if (downloadState_ == 1 || downloadState_ == 2) {
        logTaggedLevel(2, "Download", "Downloading Status:%d", downloadState_);
        return;
    }
    labelResult->hide();
    if (firmInfo.failed) {
        // No answer is not "no update": the user must be able to try again.
        labelUpgradeTo->hide();
        refreshStatusInfo(tr("Network error! Please"), 1);
        showRefresh(true);
        return;
    }
    if (firmInfo.size <= 0) {
        showWebText(tr("No firmware updates!"));
        labelUpgradeTo->hide();
        showRefresh(true);
        return;
    }
    if (firmInfo.size > maxImageBytes) {
        logTaggedLevel(3, "Download", "Offered image of %d bytes refused!", firmInfo.size);
        refreshStatusInfo(tr("Download error! Please"), 1);
        showRefresh(true);
        return;
    }
    showRefresh(false);
    checksum = firmInfo.checksum;
    const QUrl info(firmInfo.infoUrl);
    const QString scheme = info.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        webView->load(info);
    else
        webView->setHtml(QString());
    labelUpgradeTo->show();
    labelVersionNew->setText(firmInfo.version);
    expectedSize = firmInfo.size;
    imageModule = firmInfo.deviceId;
    image.clear();
    downloadState_ = 1;
    if (!requestFile(firmInfo.fileId)) {
        downloadState_ = 0;
        refreshStatusInfo(tr("Network error, Please "), 1);
        showRefresh(true);
    }
}

QNetworkReply* qUpdater::requestFile(QString szFile)
{
    abortReply();
    const QUrl url(key("firmware_download_server_url"));
    if (!url.isValid() || url.isEmpty())
        return nullptr;
    QByteArray body;
    appendFormItem(body, QStringLiteral("ssid"), key("ssid"));
    appendFormItem(body, QStringLiteral("id"), szFile);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    reply = manager.post(request, body);
    // More bytes than offered, or a transfer standing still, ends as a network error.
    kzo::online::guardReply(reply, {std::min<qint64>(expectedSize, maxImageBytes), downloadStallMs,
                                    kzo::online::ReplyDeadline::Idle});
    connect(reply, &QNetworkReply::downloadProgress, this, &qUpdater::downFileProgress);
    connect(reply, &QNetworkReply::errorOccurred, this, &qUpdater::networkError);
    refreshStatusInfo(tr("Downloading, please wait..."), 0);
    connect(reply, &QNetworkReply::finished, this, &qUpdater::downloadFinished);
    return reply;
}

void qUpdater::downFileProgress(qint64 bytesReceived, qint64)
{
    // A failed transfer still reports its last count: keep the error shown.
    if (expectedSize <= 0 || !reply || reply->error() != QNetworkReply::NoError)
        return;
    const qint64 percent = bytesReceived * 100 / expectedSize;
    refreshStatusInfo(tr("Downloading ... %1%").arg(percent), 0);
}

void qUpdater::downloadFinished()
{
    QNetworkReply* r = releaseReply();
    if (!r) {
        downloadState_ = 0;
        return;
    }
    const int http = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (kzo::online::replyFailed(r) || http < 200 || http > 299) {
        // The error path has already said "Network error"; an HTTP error
        // status without a transport error counts as one too.
        if (r->error() == QNetworkReply::NoError)
            networkError(QNetworkReply::ProtocolFailure);
        else
            refreshStatusInfo(tr("Network error, Please "), 1);
        downloadState_ = 0;
        image.clear();
        buttonUpgrade->setEnabled(false);
        showRefresh(true);
        return;
    }
    image = r->readAll();
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Md5).toHex());
    const bool accepted = image.size() == expectedSize && (checksum.isEmpty() || digest == checksum);
    if (accepted) {
        logStdout("Download [%s] Success:%d bytes\n", moduleSeriesName(imageModule).toUtf8().constData(),
                  static_cast<int>(image.size()));
        refreshStatusInfo(tr("Download successfully!"), 2);
        buttonUpgrade->setEnabled(isConnected());
        downloadState_ = 2;
    } else {
        logStdout("Download error:%d,real size=%d\n", expectedSize, static_cast<int>(image.size()));
        refreshStatusInfo(tr("Download error! Please"), 1);
        buttonUpgrade->setEnabled(false);
        downloadState_ = 0;
        image.clear();
    }
    showRefresh(true);
}

void qUpdater::networkError(QNetworkReply::NetworkError errWhat)
{
    logStdout("Network error : %d\n", static_cast<int>(errWhat));
    refreshStatusInfo(tr("Network error, Please "), 1);
    showRefresh(true);
}

void qUpdater::onOpenUrl(QUrl url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        QDesktopServices::openUrl(url);
}
