#pragma once
// The gimbal's last calibration status report (0x02A9): which procedure runs
// and the state code the device gives for it. Written on the thread that
// delivers frames and read by the page on the GUI thread, so the record and
// its new-report flag are kept under one lock.
#include <cstdint>
#include <mutex>
#include <optional>

namespace kzo::pages {

struct CaliReport {
    uint8_t procedure = 0; // 16 range record, 17 rotating calibration
    uint8_t code = 0;
};

class CaliStatus {
public:
    // Listener thread: stores a status report of the right length; a report of
    // the wrong length is logged and dropped. True when a report was stored.
    bool acceptFrame(const uint8_t* record);
    // GUI thread: the report stored since the last call, once.
    std::optional<CaliReport> take();

private:
    std::mutex lock;
    CaliReport last;
    bool fresh = false;
};

} // namespace kzo::pages
