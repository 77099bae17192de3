#pragma once
// Widget tree of the internal upgrade page: file upgrades per module, the
// raw test commands A-H, a command id to write, the progress bar and the
// last command id the device sent.
#include <array>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace kzo::upgrade {

struct InternalPageUi {
    QPushButton* BTN_UPGRADE = nullptr;        // "Upgrade (MC)"
    QPushButton* BTN_GIMBAL = nullptr;         // "Upgrade (Gimbal)"
    QPushButton* BTN_CMU = nullptr;            // "Upgrade (CMU)"
    QPushButton* BTN_PITCH = nullptr;          // "Upgrade (PITCH)"
    QPushButton* BTN_ROLL = nullptr;           // "Upgrade (ROLL)"
    QPushButton* BTN_YAW = nullptr;            // "Upgrade (YAW)"
    QPushButton* BTN_DUMP = nullptr;           // "dump"
    std::array<QPushButton*, 8> testButtons{}; // BTN_A .. BTN_H
    QLineEdit* lineEdit_ID = nullptr;
    QPushButton* BTN_WRITE = nullptr;
    QProgressBar* progressBar = nullptr;
    QLabel* label_ID = nullptr; // last command id received

    void setupUi(QWidget* page);
};

} // namespace kzo::upgrade
