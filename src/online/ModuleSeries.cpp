#include "online/ModuleSeries.h"

#include "app/logging/Log.h"
#include "commands/qAppModel.h"

#include <array>

namespace kzo::online {

namespace {

constexpr std::array<FirmwareModule, 9> modules{{
    {1, "hwid_mc", "fw_mc", "_mc"},
    {2, "hwid_imu", "fw_imu", "_imu"},
    {3, "hwid_gps", "fw_gps", "_gps"},
    {4, "hwid_led", "fw_led", "_led"},
    {7, "hwid_pmu", "fw_pmu", "_pmu"},
    {9, "hwid_receiver", "fw_receiver", "_receiver"},
    {10, "hwid_nv08c", "fw_nv08c", "_nv08c"},
    {11, "hwid_glonass", "fw_glonass", "_glonass"},
    {12, "hwid_cmu", "fw_cmu", "_cmu"},
}};

constexpr int receiverId = 9;

} // namespace

const FirmwareModule* firmwareModule(int id)
{
    for (const auto& m : modules) {
        if (m.id == id)
            return &m;
    }
    return nullptr;
}

QString moduleSeriesName(int id)
{
    const FirmwareModule* m = firmwareModule(id);
    if (!m)
        return {};
    if (id == receiverId) {
        QString freq = appModel().value("receiver_freq");
        if (freq.isEmpty()) {
            logTaggedLevel(3, "Debug", "Receiver Freq not recognized!");
            return {};
        }
        freq.remove(QLatin1Char('.'));
        return appModel().value("series") + QLatin1String(m->suffix) + freq;
    }
    return appModel().value("series") + QLatin1String(m->suffix);
}

} // namespace kzo::online
