#pragma once
// The gimbal page: the eight input channels live (polled every 50 ms while
// the page is entered) with the zones that the gimbal's modes and switches
// use; in the debug build also the two channel-assignment records and the
// camera-charging switch.
#include "app/framework/qTabPage.h"
#include "pages/GimbalData.h"
#include "pages/GimbalPageUi.h"

class QTimer;

class qPageGimbal : public qTabPage {
    Q_OBJECT
public:
    explicit qPageGimbal(QWidget* parent = nullptr);

    // Frames go to the frame filter; the link's arrival and loss switch the
    // poll and the display (any thread).
    void onDevEvent(const DevEvent* event) override;
    // Frame filter, on the thread that delivers frames.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;
    void loadPage() override;
    void broadcastHook1() override;

    const kzo::pages::GimbalPageUi& widgets() const { return ui; }
    kzo::pages::GimbalData& data() { return device; }
    bool polling() const;
    bool retrying() const; // the second record's re-send timer runs

    static constexpr int channelPollMs = 50;
    static constexpr int retryMs = 200;

public slots:
    void loadchannels();
    void loadReadDataCmd();
    void WriteDataHandler();
    void refreshChannelDataToUI();
    void refreshGimbal1DataToUI();
    void refreshGimbal2DataToUI();
    void PageEnter() override;
    void PageLeave() override;
    void OnPageTick();
    void onWriteBtnClicked();
    void onReadBtnClicked();
    void on_RB_ON_clicked();
    void on_RB_OFF_clicked();

private:
    void sendCommand(uint16_t commandId, std::span<const uint8_t> payload);
    void onLinkChanged(bool up);
    void showChannels(const kzo::pages::GimbalChannels& channels);
    void showNoChannels();
    void showRecord(const kzo::pages::GimbalRecord& record, const std::array<int, 8>& boxes);
    void showCamera(uint32_t state);
    kzo::pages::GimbalRecord writeRecord(const std::array<int, 8>& boxes) const;

    kzo::pages::GimbalPageUi ui;
    kzo::pages::GimbalData device;
    QTimer* channelTimer;
    QTimer* retryTimer;
    bool entered = false; // between PageEnter and PageLeave
};
