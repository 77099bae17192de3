#pragma once
// Widget tree of the upgrade page: one row per firmware module (name,
// loader, hardware id, firmware, update button) on the basic tab, a second
// tab reached with the change-tab button, and the red tip line.
#include "upgrade/pages/UpgradeModules.h"

#include <array>

class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace kzo::upgrade {

struct UpgradeRowWidgets {
    QLabel* name = nullptr;     // label_<m>
    QLabel* loader = nullptr;   // <m>_loader_version
    QLabel* hardware = nullptr; // <m>_HW_ID
    QLabel* firmware = nullptr; // <m>_fw_version
    QPushButton* button = nullptr; // BTN_<M>
};

struct UpgradePageUi {
    QTabWidget* tabWidget_Upgrade = nullptr;
    QWidget* tab_Basic = nullptr;
    QWidget* tab_Advance = nullptr;
    QPushButton* pushButtonChangeTab = nullptr;
    QLabel* label_tip = nullptr;
    std::array<QLabel*, 4> headers{}; // "Loader", "Hardware ID", "Firmware", "Upgrade"
    std::array<UpgradeRowWidgets, moduleRows.size()> rows{};

    void setupUi(QWidget* page);

    // The row of a module code, or nullptr.
    UpgradeRowWidgets* row(int module);
};

} // namespace kzo::upgrade
