#pragma once
// Widget tree of the tools page: two tabs, "IMU Calibration" (the live IMU
// readings, the check and the two calibrations, the info readings with the
// plot button) and "General" (language, export/import/restore, flight habits,
// flight log); below them the tip line and the online-help link. Also the
// plot window opened from the info group.
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QWidget;
class Plotter;

namespace kzo::pages {

struct ToolsPageUi {
    static constexpr int caliTab = 0;
    static constexpr int generalTab = 1;

    QTabWidget* tabWidget = nullptr;

    // "IMU Calibration"
    QGroupBox* groupBox_Imu = nullptr;
    QLineEdit* lineEdit_GX = nullptr;
    QLineEdit* lineEdit_GY = nullptr;
    QLineEdit* lineEdit_GZ = nullptr;
    QLineEdit* lineEdit_G_MOD = nullptr;
    QLineEdit* lineEdit_AX = nullptr;
    QLineEdit* lineEdit_AY = nullptr;
    QLineEdit* lineEdit_AZ = nullptr;
    QLineEdit* lineEdit_A_MOD = nullptr;
    QLineEdit* lineEdit_CX = nullptr;
    QLineEdit* lineEdit_CY = nullptr;
    QLineEdit* lineEdit_CZ = nullptr;
    QLineEdit* lineEdit_C_MOD = nullptr;
    QPushButton* pushButtonCheck = nullptr;
    QLabel* label_status = nullptr; // "Status:"
    QLabel* label_state = nullptr;
    QPushButton* pushButtonCali = nullptr;
    QPushButton* pushButtonCaliAdvanced = nullptr;
    QProgressBar* progressBar = nullptr;

    // "info"
    QGroupBox* groupBox_Info = nullptr;
    QLabel* label_sensor = nullptr;
    QLabel* label_press = nullptr;
    std::array<QLabel*, 3> label_orig{};
    std::array<QLabel*, 3> label_cali{};
    QWidget* attitude = nullptr; // pitch, roll, yaw rows (debug build)
    QLabel* label_pitch = nullptr;
    QLabel* label_roll = nullptr;
    QLabel* label_yaw = nullptr;
    QPushButton* pushButtonPlot = nullptr;

    // "General"
    QGroupBox* groupBox_Language = nullptr;
    QComboBox* comboBoxLanguage = nullptr;
    QGroupBox* groupBox_Operate = nullptr;
    QPushButton* pushButtonExport = nullptr;
    QPushButton* pushButtonImport = nullptr;
    QPushButton* pushButtonReset = nullptr;
    QGroupBox* groupBox_Habits = nullptr;
    QCheckBox* checkBox_Novice = nullptr;
    QCheckBox* checkBox_Normal = nullptr;
    QGroupBox* groupBox_Log = nullptr;
    QPushButton* pushButtonReadLog = nullptr;

    QLabel* label_tip = nullptr;
    QLabel* label_onlinehelp = nullptr; // hidden until the server names the address

    void setupUi(QWidget* page);
    // The three buttons hidden while a calibration runs.
    std::array<QWidget*, 3> calibrationControls() const;
};

// The sensor plot: a plotter and its legend, in a window of its own.
struct ToolsPlotUi {
    Plotter* plotter = nullptr;
    QLabel* legend = nullptr;

    void setupUi(QWidget* window);
};

} // namespace kzo::pages
