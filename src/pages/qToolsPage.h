#pragma once
// The tools page: the live IMU readings (asked for on every page tick), the
// IMU check and the basic and advanced IMU calibration, parameter export and
// import, restore defaults, the flight log request, the flight habits, the
// sensor plot and the online-help link; and the product switch to the sibling
// program.
//
// Frames are copied on the thread that delivers them (ToolsFrames, locked);
// everything else runs on the GUI thread. Every command that needs the
// controller checks the connection first.
//
// Product switch: a switch report (0x029D) is acted on only when the user
// asks for it. It is offered while the page is shown with the controller
// connected, once per connection; the user's "Yes" starts the sibling
// program, and the program closes only after that start succeeded. A report
// arriving anywhere else is logged and ignored.
#include "app/framework/qTabPage.h"
#include "pages/ToolsData.h"
#include "pages/qToolsPageUi.h"

#include <QMetaObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QUrl;
class ToolsHost;
namespace orb {
class DevIo;
}

class qToolsPage : public qTabPage {
    Q_OBJECT
public:
    // Export and import of the parameter files (replaceable by tests).
    using FileAction = std::function<bool(QWidget* parent, orb::DevIo& io)>;

    static constexpr int tipTicks = 7;          // the tip shows for this many ticks after a change
    static constexpr int tickWrap = 0xFFFFF;
    static constexpr int plotSamples = 120;     // one minute of readings at the page tick
    static constexpr uint32_t basicCaliValue = 0x0000001F;
    static constexpr uint32_t advancedCaliValue = 0x001F0000;

    explicit qToolsPage(ToolsHost* host, QWidget* parent = nullptr);
    ~qToolsPage() override;

    void loadPage() override {}
    // A lost link drops what it delivered and was not shown yet (any thread).
    void onDevEvent(const DevEvent* event) override;
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    void setFileActions(FileAction exportAction, FileAction importAction);

    const kzo::pages::ToolsPageUi& widgets() const { return ui; }
    const kzo::pages::ToolsPlotUi& plotWidgets() const { return plotUi; }
    QWidget* plotWindow() const { return plot; }
    int tickCount() const { return ticks; }
    bool isEntered() const { return entered; }
    bool isConnected() const { return connected; }
    bool restoreLockHeld() const { return restoreLock; }
    std::optional<kzo::pages::HabitsRecord> habitsRecord() const { return habits; }
    const kzo::pages::ImuCaliJudge& calibration() const { return judge; }

    // The sibling program's name on the PATH (set at build time).
    static QString siblingProgramName();

public slots:
    void PageTick();
    void PageEnter() override;
    void PageLeave() override;
    void onImportButtonClicked();
    void onExportButtonClicked();
    void onResetButtonClicked();
    void onNavigatorDisabled();
    void OnClickedCali();
    void OnClickedCheck();
    void onShowTipText(QString text);
    void OnReadFlightLog();
    void onGetAddressResult(int status);
    void OnClickedCaliAdvanced();
    void _changeConnection(bool bConnect);
    void OnClickedPlot();
    void on_checkBox_Novice_clicked();
    void on_checkBox_Normal_clicked();

private:
    QWidget* boxParent();
    bool requireConnection();
    void sendPlain(uint16_t commandId);
    void sendCalibrationStart(uint32_t value);
    void sendHabits(bool novice);
    void runFileAction(const FileAction& action, bool isImport);
    void releaseRestoreLock();
    void linkLost();

    void showImu(const orb::imu::ImuRecord& r);
    void applyCalibration(const kzo::pages::ImuCaliView& view);
    void setControlsVisible(bool visible);
    void showHabits(const kzo::pages::HabitsRecord& record);
    void feedPlot(const orb::imu::ImuRecord& r);
    void onProductSwitch(const kzo::pages::SwitchReport& report);
    bool startSibling();
    void onHelpLinkActivated(const QString& link);
    void setTipVisible(bool visible);

    kzo::pages::ToolsPageUi ui;
    kzo::pages::ToolsPlotUi plotUi;
    QWidget* plot = nullptr; // its own window, owned through the widget tree
    std::array<std::deque<double>, 6> plotCurves;

    QPointer<ToolsHost> host;
    FileAction exportAction;
    FileAction importAction;

    kzo::pages::ToolsFrames frames;
    kzo::pages::ImuCaliJudge judge;
    kzo::pages::ImuFreshness freshness;
    std::optional<orb::imu::ImuRecord> lastImu;
    std::optional<kzo::pages::HabitsRecord> habits; // last read or written

    int ticks = 0;
    bool entered = false;
    bool connected = false;
    bool transferRunning = false;
    bool restoreLock = false; // this page set the navigation-busy value
    int savedBusy = 0;
    bool switchOffered = false; // the product switch was offered in this connection
    QMetaObject::Connection tipConnection;
    QMetaObject::Connection navigatorConnection;
};
