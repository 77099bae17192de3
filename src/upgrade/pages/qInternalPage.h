#pragma once
// Developer page "Internal-1": upgrades modules from image files chosen on
// disk (through the upgrade engine, or for the IMU through this page's own
// command list), sends raw test commands and shows the last command id the
// device sent. Built, but not shown in the window by default.
#include "app/framework/qTabPage.h"
#include "upgrade/FlashLog.h"
#include "upgrade/pages/EngineFlashWatch.h"
#include "upgrade/pages/GimbalUpgradeRun.h"
#include "upgrade/pages/InternalPageUi.h"

#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace orb {
class DevUpgrade;
}

class qInternalPage : public qTabPage {
    Q_OBJECT
public:
    // No answer from the IMU boot loader for this long ends the transfer.
    static constexpr int defaultAckTimeoutMs = 5000;

    using FileChooser = std::function<QString(const QString& title, const QString& startDir, const QString& filter)>;

    explicit qInternalPage(QWidget* parent = nullptr);
    ~qInternalPage() override;

    void loadPage() override {}
    // Listener thread: every frame counts (its id is shown); the IMU boot
    // loader's answers are handed to the GUI thread, which drives the list.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    // The open-file dialog; QFileDialog::getOpenFileName unless replaced.
    void setFileChooser(FileChooser chooser);
    void setAckTimeout(int ms) { ackTimer.setInterval(ms); }

    kzo::upgrade::InternalPageUi& widgets() { return ui; }
    const kzo::upgrade::GimbalUpgradeRun& gimbalRun() const { return run; }
    bool isAckTimerActive() const { return ackTimer.isActive(); }
    // Follows the engine's file upgrades to their outcome for the flash log.
    kzo::upgrade::EngineFlashWatch& flashWatch() { return engineWatch; }

public slots:
    void PageTick();
    void PageEnter() override;
    void PageLeave() override;
    void doUpgrade();
    void doGimbalUpgrade();
    void doCmuUpgrade();
    void doPitchUpgrade();
    void doRollUpgrade();
    void doYawUpgrade();
    void doTest1();
    void doCommDump();
    void onBtnClicked();
    void onWriteClicked();

private:
    using EngineFile = bool (orb::DevUpgrade::*)(const std::wstring&);
    void fileUpgrade(const QString& title, const QString& key, const QString& filter, EngineFile start, int module,
                     const char* versionKey);
    // The IMU run's line in the flash log.
    void logImuOutcome(const QString& outcome);
    void onGimbalAck(uint16_t id);
    void onAckTimeout();
    void endGimbalRun();
    void showRun();

    kzo::upgrade::InternalPageUi ui;
    kzo::upgrade::GimbalUpgradeRun run;
    QTimer ackTimer;
    FileChooser chooseFile;
    std::atomic<int> lastFrameId{-1};
    kzo::upgrade::EngineFlashWatch engineWatch;
    std::optional<kzo::upgrade::FlashRecorder> imuRecord;
};
