#pragma once
// The firmware update dialog: asks the server for an offer for one module,
// downloads and checks the image, then flashes it through the upgrade engine
// and follows its progress to the outcome.
//
// GUI thread only. Device events arrive on the link's threads and are queued
// to the GUI thread before they touch any state.
#include "online/OnlineTypes.h"
#include "protocol/DevListener.h"
#include "upgrade/FlashLog.h"

#include <QByteArray>
#include <QDialog>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <optional>

class HelpView;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;
class UpgradeHost;

class qUpdater : public QDialog, public orb::DevListener {
    Q_OBJECT
public:
    // Largest image accepted whatever the offer announces.
    static constexpr qint64 maxImageBytes = 64LL << 20;
    static constexpr int defaultDownloadStallMs = 20000;
    // Progress polls without change before an upgrade counts as stalled.
    static constexpr int stallTicks = 160;

    explicit qUpdater(UpgradeHost* host, QWidget* parent = nullptr);
    ~qUpdater() override;

    // False (and no change) while the dialog is shown or a download/upgrade runs.
    bool setModuleId(int id);
    int moduleId() const;

    // 0 idle, 1 downloading, 2 image ready.
    int downloadState() const { return downloadState_; }
    // True from the start of a flash until the engine reports its end.
    bool isUpgrading() const;
    // A download with no bytes moving this long ends as a network error.
    void setDownloadStallTimeout(int ms) { downloadStallMs = ms; }

    // Display name of a firmware module ("Main Controller", "IMU", ...).
    static QString moduleName(int id);

    void onDevEvent(const DevEvent* event) override;

signals:
    void signal_EnterPage();
    void enterDebugMode();
    void debugFirmwareCheckResult(FirmwareDataInfo&);

public slots:
    void cmdRefresh();
    void cmdUpgrade();
    void cmdExit();
    void doEnterDebugMode();
    void onUpgradeError(int);
    void onConnectionChanged(bool bConnected);
    void refreshStatusInfo(QString szText, int _color);
    void refreshStatusInfo(QString szText);
    void onFirmwareCheckResult(FirmwareDataInfo& firmInfo);
    void networkError(QNetworkReply::NetworkError errWhat);
    QNetworkReply* requestFile(QString szFile);
    void downFileProgress(qint64 bytesReceived, qint64 bytesTotal);
    void downloadFinished();
    void onReplayFinish();
    void refreshProgress();
    void refreshAppState();
    void refreshVersionInfo();
    void onUpgradeStartCheck();
    void onUpgradeCheckResult(int result);
    void onOpenUrl(QUrl url);

public:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildUi();
    void showWebText(const QString& text);
    void abortReply();
    // The reply in flight, no longer heard from and deleted later; null when none.
    QNetworkReply* releaseReply();
    bool isConnected() const;
    void sendDebugRequest(const QString& user, const QString& password);
    void onPortOpened();
    void showRefresh(bool visible);

    UpgradeHost* host = nullptr;

    // Widgets (owned by the dialog through Qt's parent chain).
    QWidget* background = nullptr;
    QLabel* labelProduct = nullptr;
    QLabel* labelVersionCur = nullptr;
    QLabel* labelUpgradeTo = nullptr;
    QLabel* labelVersionNew = nullptr;
    HelpView* webView = nullptr;
    QLabel* labelStatus = nullptr;
    QLabel* labelResult = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* buttonUpgrade = nullptr;
    QPushButton* buttonExit = nullptr;
    QPushButton* buttonRefresh = nullptr;

    QNetworkAccessManager manager;
    QPointer<QNetworkReply> reply;
    QByteArray image;
    qint32 expectedSize = 0;
    QString checksum;
    int moduleId_ = 0;
    int imageModule = 0; // the module the offer being downloaded (or ready) is for
    int downloadState_ = 0;
    int debugState = 0;
    bool upgradeRunning = false;
    QTimer progressTimer{this}; // a named child, so tests can drive the polls by hand
    int stallCount = 0;
    int lastProgress = 0;
    int downloadStallMs = defaultDownloadStallMs;
    // The flash-log line of the upgrade under way, and the parameter copy
    // saved before a main-controller upgrade (offered for import after it).
    std::optional<kzo::upgrade::FlashRecorder> flashRecord;
    QString paramBackupPath;
    bool flashTimedOut = false;
};
