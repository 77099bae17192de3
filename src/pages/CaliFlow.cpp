#include "pages/CaliFlow.h"

#include "commands/CommandCatalogue.h"

#include <QtGlobal>
#include <climits>

namespace kzo::pages {

using namespace orb::cmdid;

namespace {

constexpr int tiltUp = 0, tiltDown = 1, rollLeft = 2, rollRight = 3;

// Range-record codes 100 to 109, in code order.
constexpr std::array<const char*, 10> rangeTexts = {
    QT_TRANSLATE_NOOP("qTxCali", "The Tilt record is finished"),
    QT_TRANSLATE_NOOP("qTxCali", "The gimbal is not tilting up enough."),
    QT_TRANSLATE_NOOP("qTxCali", "Tilting up is recorded,now please tilt down."),
    QT_TRANSLATE_NOOP("qTxCali", "The gimbal is not tilting down enough"),
    QT_TRANSLATE_NOOP("qTxCali", "Pitching down record OK, now pitching up"),
    QT_TRANSLATE_NOOP("qTxCali", "The Roll record is finished"),
    QT_TRANSLATE_NOOP("qTxCali", "The gimbal is not rolling left enough."),
    QT_TRANSLATE_NOOP("qTxCali", "Rolling left is recorded, now please roll to the \nright side."),
    QT_TRANSLATE_NOOP("qTxCali", "The gimbal is not rolling right enough."),
    QT_TRANSLATE_NOOP("qTxCali", "Rolling right record OK, now rolling left"),
};

struct RotateStep {
    const char* message;
    const char* button;
    bool enabled;
    const char* help;
};

// Rotating-calibration codes 1 to 3.
constexpr std::array<RotateStep, 3> rotateSteps = {{
    {QT_TRANSLATE_NOOP("qTxCali", "Fix the gimbal on aircraft,place the aircraft on a very flat surface,then rotate the "
                                  "aircraft around its center axis 2 circles."),
     QT_TRANSLATE_NOOP("qTxCali", "Start Rotate"), false, "start_rotate_help"},
    {QT_TRANSLATE_NOOP("qTxCali", "Calibration is finished,click the button to save data."),
     QT_TRANSLATE_NOOP("qTxCali", "Data Save"), true, "save_data_help"},
    {QT_TRANSLATE_NOOP("qTxCali", "Data saved,please disassemble fixtures then repower the gimbal."),
     QT_TRANSLATE_NOOP("qTxCali", "Finished"), false, "save_finish_help"},
}};

// The help topic when a pending flag asks for it (clearing the flag).
const char* pushIf(bool& pending, const char* help)
{
    if (!pending)
        return nullptr;
    pending = false;
    return help;
}

} // namespace

CaliFlow::CaliFlow() { delayedReset(); }

const char* CaliFlow::report(const CaliReport& r)
{
    if (r.procedure == rangeProcedure)
        return rangeReport(r.code);
    if (r.procedure == rotateProcedure)
        return rotateReport(r.code);
    return nullptr;
}

const char* CaliFlow::rangeReport(uint8_t code)
{
    if (code == 99) {
        shown.stepsShown = true;
        shown.tipShown = true;
        shown.recordButton = QT_TRANSLATE_NOOP("qTxCali", "Roll left");
        recording = true;
        if (rollDone)
            return nullptr;
        shown.enabled[tiltUp] = shown.enabled[tiltDown] = false;
        shown.rangeHelp = "roll_help";
        return pushIf(rangeHelpPending, shown.rangeHelp);
    }
    if (code < 100 || code > 109)
        return nullptr;
    silenceCount = 0;
    shown.tip = rangeTexts[code - 100];
    if (code == 100) {
        shown.enabled = {false, false, false, false};
        shown.rangeHelp = "finish_help";
        rollDone = true;
    } else if (code == 105) {
        rollDone = true;
        shown.enabled = {true, true, false, false};
        shown.rangeHelp = "pitch_help";
        rangeHelpPending = false;
        return shown.rangeHelp;
    }
    return nullptr;
}

const char* CaliFlow::rotateReport(uint8_t code)
{
    if (code < 1 || code > 3)
        return nullptr;
    const RotateStep& step = rotateSteps[code - 1];
    shown.message = step.message;
    shown.caliButton = step.button;
    shown.caliEnabled = step.enabled;
    shown.caliHelp = step.help;
    shown.rangeEnabled = false;
    // Only a running rotation is watched for silence.
    rotateSilence = code == 1 ? 0 : -1;
    if (code == 2)
        return nullptr;
    return pushIf(rotateHelpPending, step.help);
}

void CaliFlow::timeout()
{
    const int previous = silenceCount;
    if (silenceCount < INT_MAX)
        ++silenceCount;
    if (previous >= silenceLimit)
        shown.tip = "--";
    if (rotateSilence >= 0 && ++rotateSilence >= rotateSilenceLimit)
        startOver();
}

uint16_t CaliFlow::rangeButton(int n)
{
    switch (n) {
    case 1: return RangeRecordStart; // 0x02D0 Tilt up
    case 2: return RangeRecordNext;  // 0x02D2 Tilt down
    case 3:
        rangeHelpPending = true;
        return RangeRecordBegin; // 0x02D4 Start Rec / Roll left
    case 4: return RangeRecordEnd; // 0x02D6 Roll right
    default: return 0;
    }
}

uint16_t CaliFlow::caliButton()
{
    rotateHelpPending = true;
    return GimbalRotateCalib;
}

void CaliFlow::connected()
{
    silenceCount = 0;
    rotateSilence = -1;
    shown.tipShown = false;
    shown.caliButton = QT_TRANSLATE_NOOP("qTxCali", "Start Cali");
    shown.caliEnabled = true;
    recording = false;
    shown.rangeEnabled = true;
    shown.rangeHelp = "range_record";
    shown.message = "--";
    shown.caliHelp = "calibration_help";
    rangeHelpPending = rotateHelpPending = false;
}

void CaliFlow::delayedReset()
{
    if (recording)
        return;
    shown.stepsShown = false;
    shown.recordButton = QT_TRANSLATE_NOOP("qTxCali", "Start Rec");
    shown.enabled = {true, true, true, true};
    rollDone = false;
    rangeHelpPending = rotateHelpPending = false;
}

void CaliFlow::startOver()
{
    connected();
    delayedReset();
    shown.tip = "--"; // nothing left from the procedure that was running
}

} // namespace kzo::pages
