#include "pages/qInfoPage.h"

#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "online/LoginService.h"
#include "online/ui/LoginLinks.h"
#include "pages/InfoHost.h"
#include "pages/PageControls.h"

#include <QLabel>
#include <QPushButton>
#include <atomic>

using kzo::online::isOpenableLink;

namespace {

// Set by the first successful login of the run: the newsletter, document
// and software requests go out once, whoever signs in later.
std::atomic<bool> g_firstLoginDone{false};

} // namespace

qInfoPage::qInfoPage(InfoHost* host, LoginService* login, DataUploader* uploader, QWidget* parent)
    : qTabPage(parent), host(host), uploader(uploader)
{
    setObjectName(QStringLiteral("qInfoPage"));
    setWhatsThis(QStringLiteral("info"));
    setTitle(tr("Info"));
    ui.setupUi(this);
    ui.software_version->setText(appModel().value("software"));

    // A child, so its expiry can be found and brought forward (tests).
    tipTimer.setParent(this);
    tipTimer.setObjectName(QStringLiteral("tipTimer"));
    tipTimer.setInterval(tipMs);
    tipTimer.setSingleShot(true);
    connect(&tipTimer, &QTimer::timeout, this, &qInfoPage::hideTipText);

    connect(ui.pushButton_soft_update, &QPushButton::clicked, this, &qInfoPage::onSoftwareUpdateButtonClicked);
    connect(ui.pushButton_news, &QPushButton::clicked, this, &qInfoPage::onShowNewsletterButtonClicked);
    connect(ui.pushButton_change_user, &QPushButton::clicked, this, &qInfoPage::onLoginButtonClicked);
    connect(ui.pushButton_server_latest, &QPushButton::clicked, this, &qInfoPage::onLatestVersionButtonClicked);
    connect(ui.label_onlinehelp, &QLabel::linkActivated, this, &qInfoPage::onHelpLinkActivated);

    if (login) {
        connect(login, &LoginService::loginCanceled, this, &qInfoPage::onLoginCanceled);
        connect(login, &LoginService::signal_LoginOK, this, &qInfoPage::onLoginOK);
    }
    if (uploader) {
        connect(uploader, &DataUploader::softwareCheckResult, this, &qInfoPage::onSoftwareCheckResult);
        connect(uploader, &DataUploader::latestVersion, this, &qInfoPage::onLatestVersinFound);
        connect(uploader, &DataUploader::serverAddressStatus, this, &qInfoPage::onGetAddressResult);
    }
}

QString qInfoPage::makerSiteUrl() { return tr("http://www.kzo-gimbal.example/"); }

void qInfoPage::resetFirstLoginForTests() { g_firstLoginDone = false; }

void qInfoPage::setButtonText(QPushButton* button, const QString& text)
{
    button->setText(text);
    button->setAccessibleName(text);
}

// ---------------------------------------------------------- enter/leave --

void qInfoPage::PageTick() {}

void qInfoPage::setUpgradeHistory(UpgradeHistory history)
{
    upgradeHistory = std::move(history);
    showRecentUpgrades();
}

void qInfoPage::showRecentUpgrades()
{
    const QStringList lines = upgradeHistory ? upgradeHistory() : QStringList();
    ui.label_flashlog->setText(lines.isEmpty() ? tr("No upgrades yet.") : lines.join(QLatin1Char('\n')));
    ui.label_flashlog->setAccessibleDescription(ui.label_flashlog->text());
}

void qInfoPage::PageEnter()
{
    ui.software_version->setText(appModel().value("software"));
    // Upgrades made meanwhile (here or by kzo-flash) show on every visit.
    showRecentUpgrades();
    if (host && !tipConnection)
        tipConnection = connect(host, &InfoHost::signal_showTipText, this, &qInfoPage::onShowTipText);
}

void qInfoPage::PageLeave()
{
    hideTipText();
    disconnect(tipConnection);
    tipConnection = {};
}

// ------------------------------------------------------------------ tips --

void qInfoPage::onShowTipText(QString text)
{
    ui.label_tip->setText(text);
    ui.label_tip->show();
    tipTimer.start();
}

void qInfoPage::hideTipText()
{
    tipTimer.stop();
    ui.label_tip->hide();
}

void qInfoPage::showTip(const QString& text)
{
    if (host)
        host->showTip(text);
    else
        onShowTipText(text);
}

void qInfoPage::refuseNotSignedIn()
{
    showTip(tr("Please login first! "));
    if (host)
        host->showLoginOrError();
}

// --------------------------------------------------------------- buttons --

void qInfoPage::onSoftwareUpdateButtonClicked()
{
    // Without the configuration the tip says so, and the login check still
    // decides what happens.
    if (appModel().value("login_server_url").isEmpty())
        showTip(qResources::get().networkError);
    if (appModel().value("ssid").isEmpty()) {
        refuseNotSignedIn();
        return;
    }
    if (host)
        host->showSoftwareUpdater();
}

void qInfoPage::onShowNewsletterButtonClicked()
{
    if (!uploader || !uploader->isServerConfigReady())
        showTip(qResources::get().networkError);
    if (appModel().value("ssid").isEmpty()) {
        refuseNotSignedIn();
        return;
    }
    if (host)
        host->showNewsLetter();
}

void qInfoPage::onLoginButtonClicked()
{
    if (uploader && uploader->isServerConfigReady()) {
        if (host)
            host->showLoginOrError();
        return;
    }
    showTip(qResources::get().networkError);
}

void qInfoPage::onLatestVersionButtonClicked() { openWebLink(QUrl(makerSiteUrl())); }

void qInfoPage::onHelpLinkActivated(const QString& link) { openWebLink(QUrl(link, QUrl::StrictMode)); }

void qInfoPage::openWebLink(const QUrl& url)
{
    if (!isOpenableLink(url)) {
        logStdout("qInfoPage: link not opened: %s\n", url.toString().toUtf8().constData());
        return;
    }
    if (host)
        host->openUrl(url);
}

// ---------------------------------------------------------- server side --

void qInfoPage::onSoftwareCheckResult(SoftwareInfo& info)
{
    if (info.version.isEmpty()) {
        if (host && info.failed)
            host->softwareCheckFailed();
        else if (host)
            host->softwareNoUpdate();
        return;
    }
    setButtonText(ui.pushButton_soft_update, tr("New version:") + info.version);
    if (host)
        host->softwareUpdateFound(info);
}

void qInfoPage::onLoginCanceled() {}

void qInfoPage::onLoginOK(int)
{
    const QString user = appModel().value("currentloginUser");
    ui.qCurUser->setText(user.isEmpty() ? QStringLiteral("--") : user);
    setButtonText(ui.pushButton_change_user, tr("Change User"));
    if (g_firstLoginDone.exchange(true) || !uploader)
        return;
    uploader->requestNewsLetter();
    uploader->requestDocVersion();
    uploader->requestSoftware();
}

void qInfoPage::onGetAddressResult(int status)
{
    if (status == 0)
        kzo::pages::showOnlineHelp(ui.label_onlinehelp, appModel().value("online_help_info_url"), tr("OnLine Help"));
}

void qInfoPage::onLatestVersinFound(QString fwVer, QString softVer)
{
    if (fwVer.isEmpty() || softVer.isEmpty())
        return;
    setButtonText(ui.pushButton_server_latest,
                  tr("Latest Firmware:") + fwVer + QStringLiteral("   ") + tr("Matching software:") + softVer);
    ui.pushButton_server_latest->setToolTip(makerSiteUrl());
    ui.pushButton_server_latest->show();
}
