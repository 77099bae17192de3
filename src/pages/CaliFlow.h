#pragma once
// The calibration page's behaviour without its widgets: what the page shows
// for each status report of the range record and the rotating calibration,
// for the page's 100 ms timer, the buttons and the connection. The page draws
// view() as it is and pushes the help topics that the steps return.
//
// GUI thread only; the reports reach it through CaliStatus.
#include "pages/CaliStatus.h"

#include <array>
#include <cstdint>

namespace kzo::pages {

inline constexpr uint8_t rangeProcedure = 16;
inline constexpr uint8_t rotateProcedure = 17;

// Texts are untranslated source texts (context "qTxCali"); help names are
// what's-this names of the help documents.
struct CaliView {
    // "Rotating Calibration" group
    const char* message = "--";            // label_message
    const char* caliButton = "Start Cali"; // pushButton
    bool caliEnabled = true;
    const char* caliHelp = "calibration_help";
    // "Range Record" group
    bool rangeEnabled = true;
    const char* rangeHelp = "range_record";
    const char* recordButton = "Start Rec"; // pushButton_3
    bool stepsShown = false;                // Tilt up, Tilt down, Roll right
    std::array<bool, 4> enabled{true, true, true, true}; // pushButton_1 .. pushButton_4
    bool tipShown = false;
    const char* tip = "--"; // label_RangeTip
};

class CaliFlow {
public:
    // The tip falls back to "--" on the timeout after this many timeouts
    // without a range-record report.
    static constexpr int silenceLimit = 100;
    // A rotating calibration that has started (code 1) and then stays silent
    // this long is taken as lost, and the page starts over: turning an
    // aircraft twice around by hand takes well under a minute, so three
    // minutes without a report means the device will not finish it (or the
    // report was lost); without this "Start Rotate" would stay disabled until
    // the device is plugged in again. Counted in 100 ms timeouts, so only
    // while the page is shown.
    static constexpr int rotateSilenceLimit = 3 * 60 * 10;

    CaliFlow();

    const CaliView& view() const { return shown; }

    // A status report; returns the help topic to show at once, or nullptr.
    const char* report(const CaliReport& r);
    // The page's 100 ms timer.
    void timeout();
    // Range buttons 1 (Tilt up) to 4 (Roll right): the command to send.
    uint16_t rangeButton(int n);
    // The rotating calibration's button: the command to send.
    uint16_t caliButton();
    // A device was connected: clears the view; the delayed reset follows later.
    void connected();
    // Two seconds after a connection, and at construction: back to "Start Rec"
    // unless the device has reported a range record in the meantime.
    void delayedReset();
    // The connection went away, or a rotating calibration went silent: back
    // to the start state at once.
    void startOver();

private:
    const char* rangeReport(uint8_t code);
    const char* rotateReport(uint8_t code);

    CaliView shown;
    int silenceCount = 0;
    int rotateSilence = -1; // timeouts since the last "rotating" report; -1: not rotating
    bool recording = false;
    bool rollDone = false;
    bool rangeHelpPending = false;
    bool rotateHelpPending = false;
};

} // namespace kzo::pages
