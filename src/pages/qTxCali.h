#pragma once
// The gimbal calibration page: guides the range record (roll the gimbal to
// both sides, then tilt it up and down) and the rotating calibration (the
// aircraft turned around with the gimbal fixed on it). The device judges every
// movement; the page sends the step commands and shows the device's status
// reports as texts, button states and help topics.
#include "app/framework/qTabPage.h"
#include "pages/CaliFlow.h"
#include "pages/CaliStatus.h"
#include "pages/qTxCaliUi.h"

class QTimer;

class qTxCali : public qTabPage {
    Q_OBJECT
public:
    static constexpr int timeoutMs = 100;
    static constexpr int connDelayMs = 2000;

    // Connects itself to the connection manager when one exists.
    explicit qTxCali(QWidget* parent = nullptr);

    void loadPage() override {}
    // Listener thread: stores a status report; every frame asks for a refresh.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    const kzo::pages::TxCaliUi& widgets() const { return ui; }
    bool ticking() const;       // the 100 ms timer runs
    bool resetPending() const;  // the delayed reset after a connection is due

public slots:
    void PageEnter() override;
    void PageLeave() override;
    void OnPageTick();
    void onTimeout();
    void onButtonCaliClicked();
    void onCalibrationButtonClicked();
    void onConnectionChanged(bool bConnected);
    void onConnDelayHandle();

private:
    void sendCommand(uint16_t commandId);
    void render(const char* pushedHelp = nullptr);
    // Shows a help topic in the container's help view at once, if this page
    // is the one shown there.
    void pushHelp(const char* name);

    kzo::pages::TxCaliUi ui;
    kzo::pages::CaliStatus status;
    kzo::pages::CaliFlow steps;
    QTimer* timer;
    QTimer* connDelay;
};
