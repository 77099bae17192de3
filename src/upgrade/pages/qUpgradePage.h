#pragma once
// The user's upgrade page: one row per firmware module with its loader,
// hardware-id and firmware versions and an update link telling whether the
// update server offers a newer version. A link opens the firmware update
// dialog for its module after the upgrade gate; a newer version for the main
// controller, IMU, LED or CMU opens it unasked.
//
// Versions are read from the application model as the main window stores
// them; this page only shows them and never writes them.
#include "app/framework/qTabPage.h"
#include "online/OnlineTypes.h"
#include "upgrade/pages/UpgradePageUi.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>

class qConnector;
class qUpdater;
class UpgradeHost;

class qUpgradePage : public qTabPage {
    Q_OBJECT
public:
    static constexpr int tipMs = 5000;

    qUpgradePage(UpgradeHost* host, qUpdater* dialog, QWidget* parent = nullptr);
    ~qUpgradePage() override;

    void loadPage() override {}
    // Listener thread: notes that the device sent something worth a redraw.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    // Shows or hides the rows whose mask bits are set (the main controller's
    // row has none and always shows).
    void setRowVisible(int mask, bool visible);

    // Runs the update dialog once its module is set; exec() unless replaced
    // (tests record the module instead of running a modal loop).
    void setDialogRunner(std::function<void(qUpdater&)> runner);

    kzo::upgrade::UpgradePageUi& widgets() { return ui; }
    bool isTipTimerActive() const { return tipTimer.isActive(); }

public slots:
    void PageTick();
    void PageEnter() override;
    void PageLeave() override;
    void hideTipText();
    void onShowTipText(QString text);
    void on_BTN_MC_clicked();
    void on_BTN_IMU_clicked();
    void on_BTN_PMU_clicked();
    void on_BTN_LED_clicked();
    void on_BTN_GPS_clicked();
    void on_BTN_RECEIVER_clicked();
    void on_BTN_NV08C_clicked();
    void on_BTN_GLONASS_clicked();
    void on_BTN_CMU_clicked();
    void onNavigatorDisabled();
    void onFirmwareCheckResult(FirmwareDataInfo& info);
    void onGetAddressResult(int);
    void onConnectionChanged(bool bConnect);
    void on_pushButtonChangeTab_clicked();

private:
    // Modules on the USB link itself (main controller, IMU, CMU) open the
    // dialog after the gate; the others are reached through the main
    // controller and also need its handshake answer.
    void openDialogFor(int module, bool relayed);
    bool upgradeGate();
    void openOffered(int module);
    void runButtonOf(int module);
    void showVersions();
    void showTip(const QString& text);
    void setButtonText(kzo::upgrade::UpgradeRowWidgets& row, int module, const QString& text);
    static qConnector* connector();

    UpgradeHost* host;
    QPointer<qUpdater> dialog;
    std::function<void(qUpdater&)> runDialog;
    kzo::upgrade::UpgradePageUi ui;
    QTimer tipTimer;
    std::atomic<bool> frameSeen{false};
    QMetaObject::Connection navigatorConnection;
    QMetaObject::Connection tipConnection;
};
