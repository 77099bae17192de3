#pragma once
// The info page: the application's version with its update check, the
// signed-in user with the login button, the newsletter button, the newest
// firmware and matching application versions the update server names, and
// the link to this page's online help. Clicks go on to the main window's
// dialogs once the server configuration is there and the user is signed in.
//
// Everything here runs on the GUI thread; the page takes no device frames.
#include "app/framework/qTabPage.h"
#include "online/OnlineTypes.h"
#include "pages/qInfoPageUi.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class DataUploader;
class InfoHost;
class LoginService;

class qInfoPage : public qTabPage {
    Q_OBJECT
public:
    static constexpr int tipMs = 5000;

    // `login` is the sign-in service behind the window's login dialog (its
    // loginCanceled and signal_LoginOK); `uploader` the update-server client.
    // Any of them may be null: the page then does without.
    qInfoPage(InfoHost* host, LoginService* login, DataUploader* uploader, QWidget* parent = nullptr);

    void loadPage() override {}

    const kzo::pages::InfoPageUi& widgets() const { return ui; }
    bool isTipTimerActive() const { return tipTimer.isActive(); }

    // The maker's web site, opened by the latest-version button.
    static QString makerSiteUrl();

    // Lines for "Recent upgrades", newest first (the flash log's entries as
    // the window installs them); asked for each time the page is entered.
    using UpgradeHistory = std::function<QStringList()>;
    void setUpgradeHistory(UpgradeHistory history);
    // Reads the history again now.
    void showRecentUpgrades();

    // The newsletter, document and software requests go out after the first
    // login of the run only; tests start a new "run" with this.
    static void resetFirstLoginForTests();

public slots:
    void PageTick();
    void PageEnter() override;
    void PageLeave() override;
    void hideTipText();
    void onShowTipText(QString text);
    void onSoftwareUpdateButtonClicked();
    void onSoftwareCheckResult(SoftwareInfo& info);
    void onShowNewsletterButtonClicked();
    void onLoginCanceled();
    void onLoginButtonClicked();
    void onGetAddressResult(int status);
    void onLoginOK(int);
    void onLatestVersinFound(QString fwVer, QString softVer);
    void onLatestVersionButtonClicked();

private:
    void showTip(const QString& text);
    // The common refusal of a user who is not signed in.
    void refuseNotSignedIn();
    void onHelpLinkActivated(const QString& link);
    void openWebLink(const QUrl& url);
    static void setButtonText(QPushButton* button, const QString& text);

    kzo::pages::InfoPageUi ui;
    QPointer<InfoHost> host;
    QPointer<DataUploader> uploader;
    QTimer tipTimer;
    QMetaObject::Connection tipConnection;
    UpgradeHistory upgradeHistory;
};
