#pragma once
// The main parameter page: mirrors the flight controller's configuration
// (mounting, gains, mixer, receiver, motor, failsafe, switches, voltage
// protection) and its remote-control channels. While entered it polls the
// controller every 100 ms and redraws what changed; the mode selections and
// gains of the two mode groups are written back.
//
// Frames are taken on the listener thread into the page's own copy of the
// device records (MainPageData, under its lock); everything else runs on the
// GUI thread. The page redraws 10 times a second inside a translucent
// window, so a widget is touched only when what it shows changes.
#include "app/framework/qTabPage.h"
#include "pages/MainPageData.h"
#include "pages/qMainPageUi.h"

#include <QPointer>
#include <array>
#include <memory>

class DataUploader;
class QTimer;
class QWidget;
class SliderStyle;

class qMainPage : public qTabPage {
    Q_OBJECT
public:
    static constexpr int pollMs = 100;
    // Gains in record order (see MainPageUi::gainBoxes).
    enum Gain { PitchGain, RollGain, VerticalGain, AileFbGain, ElevFfGain, ElevFbGain };

    // `uploader` is the update-server client that names the online-help
    // address; may be null.
    explicit qMainPage(DataUploader* uploader = nullptr, QWidget* parent = nullptr);
    ~qMainPage() override;

    void loadPage() override {}
    // A lost link also drops the records taken from that device (any thread).
    void onDevEvent(const DevEvent* event) override;
    // Listener thread.
    bool wantsFrame(const uint8_t* record) override;
    void refresh() override;

    // Sends 0x0285 and then 0x0282; nothing unless both mode records of the
    // linked device have arrived.
    void writeAll();

    const kzo::pages::MainPageUi& widgets() const { return ui; }
    kzo::pages::MainPageData& data() { return device; }
    bool polling() const;
    bool acceptsDevice(Gain g) const { return acceptDevice[g]; }

public slots:
    void PageTick();
    void PageEnter() override;
    void PageLeave() override;
    void OnCaliRequest();
    void CompareWithMemory();
    void PitchGainManualInput();
    void RollGainManualInput();
    void VerticalGainManualInput();
    void AileFBManualInput();
    void ElevFFManualInput();
    void ElevFBManualInput();
    void WriteFBLParameters(int);
    void WriteFBLParameters();
    void WriteJIT(int);
    void WriteJIT();
    void WriteGain();
    void onKzoSpinBoxValueChanged(int);
    void onGetAddressResult(int);

private:
    void sendRequest(uint16_t commandId);
    // The page's selections and gains of one group.
    kzo::pages::ModeGroup jitSettings() const;
    kzo::pages::ModeGroup fblSettings() const;
    void sendJit(const kzo::pages::JitRecord& payload);
    void sendFbl(const kzo::pages::FblRecord& payload);
    void showGroup(const kzo::pages::ModeGroup& group, const std::array<QComboBox*, 3>& boxes, int firstGain);
    void setModeControlsEnabled(bool jit, bool fbl);
    void showMixerPicture(kzo::pages::MixerPicture picture);
    void onHelpLinkActivated(const QString& link);

    std::unique_ptr<SliderStyle> sliderStyle; // outlives the sliders that use it
    kzo::pages::MainPageUi ui;
    kzo::pages::MainPageData device;
    QTimer* pollTimer;
    std::array<bool, 6> acceptDevice{true, true, true, true, true, true};
    kzo::pages::MixerPicture shownPicture = kzo::pages::MixerPicture::None;
};
