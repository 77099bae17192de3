#pragma once
// Widget tree of the calibration page: the rotating calibration's message and
// button above the range record's four movement buttons and its tip.
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kzo::pages {

struct TxCaliUi {
    QGroupBox* calibration_help = nullptr; // "Rotating Calibration"
    QLabel* label_message = nullptr;
    QPushButton* pushButton = nullptr;     // "Start Cali"
    QGroupBox* range_record = nullptr;     // "Range Record"
    QPushButton* pushButton_1 = nullptr;   // "Tilt up"
    QPushButton* pushButton_2 = nullptr;   // "Tilt down"
    QPushButton* pushButton_3 = nullptr;   // "Roll left" / "Start Rec"
    QPushButton* pushButton_4 = nullptr;   // "Roll right"
    QLabel* label_RangeTip = nullptr;

    void setupUi(QWidget* page);
    // pushButton_1 .. pushButton_4
    std::array<QPushButton*, 4> rangeButtons() const { return {pushButton_1, pushButton_2, pushButton_3, pushButton_4}; }
};

} // namespace kzo::pages
