#pragma once
// Firmware modules the update server knows, their application-model keys and
// the series name that identifies a module's firmware line on the server.
#include <QString>

namespace kzo::online {

struct FirmwareModule {
    int id;
    const char* hwidKey;
    const char* firmwareKey;
    const char* suffix;
};

// nullptr for an id outside the table (1, 2, 3, 4, 7, 9, 10, 11, 12).
const FirmwareModule* firmwareModule(int id);

// "series" followed by the module's suffix; the receiver's suffix is
// "_receiver" plus "receiver_freq" with every "." removed. Empty for an unknown
// id, and for the receiver when the frequency is unknown (that case is logged).
QString moduleSeriesName(int id);

} // namespace kzo::online
