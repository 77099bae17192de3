#pragma once
// The firmware modules of the upgrade page: one row each, in display order,
// with the mask bit that shows or hides the row. Their application-model keys
// are the server's module table (online/ModuleSeries.h). Pure data and text
// helpers, no widgets.
#include <QString>
#include <array>
#include <string_view>

namespace kzo::upgrade {

struct ModuleRow {
    int module;             // module code
    const char* name;       // widget-name prefix: label_<name>, <name>_fw_version, ...
    const char* button;     // BTN_<...>
    int maskBit;            // 0: always shown
};

inline constexpr std::array<ModuleRow, 9> moduleRows = {{
    {1, "mc", "BTN_MC", 0},
    {2, "imu", "BTN_IMU", 1},
    {4, "led", "BTN_LED", 2},
    {3, "gps", "BTN_GPS", 4},
    {7, "pmu", "BTN_PMU", 8},
    {9, "receiver", "BTN_RECEIVER", 16},
    {10, "nv08c", "BTN_NV08C", 64},
    {11, "glonass", "BTN_GLONASS", 32},
    {12, "cmu", "BTN_CMU", 128},
}};

// Rows hidden when the page is built: every one but the main controller's.
inline constexpr int hiddenAtStartMask = 16 | 128 | 2 | 32 | 64 | 4 | 8 | 1;

// Index into moduleRows, or -1 for a code without a row.
int rowIndexOf(int module);

// Translated display name: "Main Controller", "IMU", ..., "Receiver" followed
// by the receiver frequency (application-model key "receiver_freq").
QString moduleDisplayName(int module);

// How a version from the application model is shown: "---" when unknown,
// "0" for a module in its boot loader, otherwise the dotted text followed by
// one space (the page's display form; the stored value is never changed).
QString versionDisplay(const QString& stored);

} // namespace kzo::upgrade
