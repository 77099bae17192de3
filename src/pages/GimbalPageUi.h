#pragma once
// Widget tree of the gimbal page: the eight-channel monitor and, for the
// debug build, the channel-assignment records and the camera-charging switch.
#include <QString>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class qStatusSlider;

namespace kzo::pages {

struct GimbalPageUi {
    QGroupBox* groupBox_1 = nullptr; // "Read Data"
    QGroupBox* groupBox_2 = nullptr; // "Write Data"
    QGroupBox* groupBox_3 = nullptr; // channels 1-4
    QGroupBox* groupBox_4 = nullptr; // channels 5-8
    QGroupBox* groupBox_5 = nullptr; // "Camera Charging Set"
    std::array<QLabel*, 8> channelNames{};   // label_channel_1..8
    std::array<qStatusSlider*, 8> sliders{}; // horizontalSlider_1..8
    std::array<QLabel*, 8> values{};         // label_1..8
    std::array<QSpinBox*, 16> readBoxes{};   // spinBox_1..16
    std::array<QSpinBox*, 16> writeBoxes{};  // spinBox_w1..w16
    QPushButton* pushWriteButton = nullptr;
    QPushButton* pushReadButton = nullptr;
    QRadioButton* RB_ON = nullptr;
    QRadioButton* RB_OFF = nullptr;

    void setupUi(QWidget* page);
};

// Spin-box numbers (1-based) that show the bytes of record 1 and record 2,
// in byte order.
inline constexpr std::array<int, 8> record1Boxes = {4, 1, 2, 3, 5, 6, 7, 8};
inline constexpr std::array<int, 8> record2Boxes = {12, 9, 10, 11, 13, 14, 15, 16};

// Function names of the eight channels.
QString channelFunction(int index);

} // namespace kzo::pages
