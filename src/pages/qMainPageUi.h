#pragma once
// Widget tree of the main parameter page: the channel monitor and the
// voltage group on the left; the "Basic" settings (mounting, gains, aircraft,
// receiver, motor, failsafe, orientation control, gimbal) and the "Advanced"
// mode groups on the right; the online-help link at the bottom.
#include <array>

class KzoSpinBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;
class QTabWidget;
class QWidget;
class SliderStyle;

namespace kzo::pages {

struct MainPageUi {
    QGroupBox* groupChannels = nullptr; // "Channel Monitor"
    std::array<QLabel*, 8> channelNames{};
    std::array<QSlider*, 8> channelSliders{};
    std::array<QLabel*, 8> channelValues{};

    QTabWidget* tabs = nullptr; // "Basic", "Advanced"
    QGroupBox* groupMounting = nullptr;
    QLabel* imuOrientation = nullptr;
    std::array<QLabel*, 3> imuLocation{}; // X, Y, Z
    std::array<QLabel*, 3> gpsLocation{};

    QGroupBox* groupGain = nullptr;
    KzoSpinBox* pitchGain = nullptr;
    KzoSpinBox* rollGain = nullptr;
    KzoSpinBox* yawGain = nullptr;      // no reply carries it: stays disabled
    KzoSpinBox* verticalGain = nullptr;
    KzoSpinBox* attitudeGain = nullptr; // likewise

    QGroupBox* groupAircraft = nullptr;
    QLabel* mixerType = nullptr;
    QLabel* mixerPicture = nullptr;
    QGroupBox* groupRc = nullptr;
    QLabel* receiverType = nullptr;
    QGroupBox* groupMotor = nullptr;
    QLabel* idleSpeed = nullptr;
    QLabel* cutOffType = nullptr;
    QGroupBox* groupFailsafe = nullptr;
    QLabel* failsafeMethod = nullptr;
    QLabel* goHomeSwitch = nullptr;
    QGroupBox* groupIoc = nullptr;
    QLabel* iocSwitch = nullptr;
    QGroupBox* groupGimbal = nullptr;
    QLabel* gimbalSwitch = nullptr;

    QGroupBox* groupVoltage = nullptr;
    QLabel* protectionSwitch = nullptr;
    QLabel* currentVoltage = nullptr;
    QLabel* batteryType = nullptr;
    QLabel* firstLevel = nullptr;
    QLabel* secondLevel = nullptr;

    QGroupBox* groupJit = nullptr;
    std::array<QComboBox*, 3> jitBoxes{}; // J1..J3
    QGroupBox* groupFbl = nullptr;
    std::array<QComboBox*, 3> fblBoxes{}; // F1..F3
    KzoSpinBox* aileFbGain = nullptr;
    KzoSpinBox* elevFfGain = nullptr;
    KzoSpinBox* elevFbGain = nullptr;

    QLabel* onlineHelp = nullptr; // hidden until the server names the address

    // The six gains the device reports, in record order: pitch, roll,
    // vertical (JIT), aileron feedback, elevator feed-forward and feedback (FBL).
    std::array<KzoSpinBox*, 6> gainBoxes() const
    {
        return {pitchGain, rollGain, verticalGain, aileFbGain, elevFfGain, elevFbGain};
    }

    // `sliderStyle` draws the channel bars; it must outlive the widgets.
    void setupUi(QWidget* page, SliderStyle* sliderStyle);
};

} // namespace kzo::pages
