// The tools page's logic without widgets: the IMU verdict at its edges, the
// texts of the IMU fields, the compass magnitude at the 16-bit extremes, the
// attitude, the calibration state judgement over a run of reports, the
// flight-habits bit and the replies kept from the frame thread.
#include "pages/AckRecords.h"
#include "pages/ToolsData.h"

#include "commands/CommandCatalogue.h"
#include "commands/ImuRecordLayout.h"

#include <QTest>

#include <cmath>

using namespace kzo::pages;
using orb::imu::ImuRecord;

namespace {

ImuRecord reading(std::array<float, 3> gyro, std::array<float, 3> accel)
{
    ImuRecord r;
    r.gyro = gyro;
    r.accel = accel;
    return r;
}

std::vector<uint8_t> imuData(const ImuRecord& r)
{
    const auto d = orb::imu::encode(r);
    return {d.begin(), d.end()};
}

uint8_t state(int basic, int advanced) { return static_cast<uint8_t>(advanced << 4 | basic); }

} // namespace

class TestToolsData : public QObject {
    Q_OBJECT
private slots:
    void verdictEdges()
    {
        QCOMPARE(judgeImu(reading({0.5f, -0.2f, 0.9f}, {0, 0, 1.01f})), ImuVerdict::NoNeed);
        QCOMPARE(judgeImu(reading({0.5f, -0.2f, 0.9f}, {0, 0, 1.02f})), ImuVerdict::Needed);
        QCOMPARE(judgeImu(reading({0, 0, 0}, {0, 0, 2.5f})), ImuVerdict::Abnormal);
        // Exactly 1.0 degree/s is still calm; what shows as 1.1 is not.
        QCOMPARE(judgeImu(reading({1.0f, -1.0f, 1.0f}, {0, 0, 1.0f})), ImuVerdict::NoNeed);
        QCOMPARE(judgeImu(reading({0, 1.06f, 0}, {0, 0, 1.0f})), ImuVerdict::Needed);
        // Judged as shown: 1.04 shows as "1.0".
        QCOMPARE(judgeImu(reading({1.04f, 0, 0}, {0, 0, 1.0f})), ImuVerdict::NoNeed);
        // A magnitude off by exactly one is not yet abnormal (the field reads 0.00).
        QCOMPARE(judgeImu(reading({0, 0, 0}, {0, 0, 0})), ImuVerdict::Needed);
    }

    // An axis beyond +-6 g shows "ERROR"; read back as 0 it used to pass as
    // "calibration needed" (|1 - 0| is not above 1).
    void errorAxisIsAbnormal()
    {
        for (float v : {7.0f, -6.5f, std::nanf(""), INFINITY}) {
            const ImuRecord r = reading({0, 0, 0}, {0, 0, v});
            QCOMPARE(accelText(v), QStringLiteral("ERROR"));
            QCOMPARE(accelModText(r.accel), QStringLiteral("ERROR"));
            QCOMPARE(judgeImu(r), ImuVerdict::Abnormal);
            QCOMPARE(verdictText(judgeImu(r)), QStringLiteral("IMU works abnormally, please contact us or our agents."));
        }
        QCOMPARE(judgeImu(reading({0, 0, 0}, {6.0f, 0, 0})), ImuVerdict::Abnormal); // |1 - 6| > 1, but shown
        QCOMPARE(accelText(6.0f), QStringLiteral("6.00"));
        QCOMPARE(judgeImu(reading({std::nanf(""), 0, 0}, {0, 0, 1.0f})), ImuVerdict::Abnormal);
    }

    void verdictTexts()
    {
        QCOMPARE(verdictText(ImuVerdict::NoNeed), QStringLiteral("No need calibration.calibration procedure can be skipped."));
        QCOMPARE(verdictText(ImuVerdict::Needed),
                 QStringLiteral("Calibration needed, pls click the button below to calibrate IMU."));
    }

    void fieldTexts()
    {
        QCOMPARE(gyroText(-0.24), QStringLiteral("-0.2"));
        QCOMPARE(gyroModText({3, 4, 0}), QStringLiteral("5.0"));
        QCOMPARE(accelText(-1.005), QStringLiteral("-1.00"));
        QCOMPARE(accelModText({0.6f, 0.8f, 0}), QStringLiteral("1.00"));
        QCOMPARE(readingText(1013.24), QStringLiteral("1013.2"));
    }

    // Three squared 16-bit values do not fit an int.
    void compassMagnitudeAtTheExtremes()
    {
        QCOMPARE(compassModText({-32768, -32768, -32768}), QStringLiteral("56755.8"));
        QCOMPARE(compassModText({30000, 30000, 30000}), QStringLiteral("51961.5"));
        QCOMPARE(compassModText({3, -4, 0}), QStringLiteral("5.0"));
    }

    void attitude()
    {
        const Attitude level = attitudeOf({1, 0, 0, 0});
        QCOMPARE(level.pitch, 0.0);
        QCOMPARE(level.roll, 0.0);
        QCOMPARE(level.yaw, 0.0);
        const float h = static_cast<float>(std::sqrt(0.5));
        QVERIFY(std::fabs(attitudeOf({h, h, 0, 0}).roll - 90.0) < 1e-3);
        QVERIFY(std::fabs(attitudeOf({h, 0, 0, h}).yaw - 90.0) < 1e-3);
        QVERIFY(std::fabs(attitudeOf({h, 0, h, 0}).pitch - 90.0) < 0.05);
        // Past the asin domain: clamped, never NaN.
        const Attitude over = attitudeOf({1, 0, 1, 0});
        QVERIFY(std::isfinite(over.pitch));
        QVERIFY(std::fabs(over.pitch - std::asin(0.9999999) * 180 / 3.141592653589793) < 1e-9);
        QVERIFY(std::isfinite(attitudeOf({1, 0, -1, 0}).pitch));
    }

    void basicStates()
    {
        ImuCaliJudge j;
        j.connected();
        ImuCaliView v = j.onReport(state(0, 0), 0);
        QCOMPARE(v.status, ImuCaliText::Idle);
        QCOMPARE(v.basicEnabled, std::optional<bool>(false));
        v = j.onReport(state(1, 0), 55);
        QCOMPARE(v.status, ImuCaliText::Ready);
        QCOMPARE(v.progress, std::optional<int>(0));
        QCOMPARE(v.basicEnabled, std::optional<bool>(true));
        QCOMPARE(v.advancedEnabled, std::optional<bool>(true));
        QCOMPARE(v.controlsVisible, std::optional<bool>(true));
        v = j.onReport(state(2, 0), 40);
        QCOMPARE(v.status, ImuCaliText::Calibrating);
        QCOMPARE(v.progress, std::optional<int>(40));
        QCOMPARE(v.controlsVisible, std::optional<bool>(false));
        QCOMPARE(j.basicState(), 2);
    }

    // A basic run while the advanced half says "ready" (or "done") is still a
    // run: nothing may be started on top of it.
    void basicRunBesideAnAdvancedVerdict()
    {
        for (int advanced : {3, 14, 15}) {
            ImuCaliJudge j;
            j.connected();
            const ImuCaliView v = j.onReport(state(2, advanced), 35);
            QCOMPARE(v.status, ImuCaliText::Calibrating);
            QCOMPARE(v.progress, std::optional<int>(35));
            QCOMPARE(v.basicEnabled, std::optional<bool>(false));
            QCOMPARE(v.advancedEnabled, std::optional<bool>(false));
            QCOMPARE(v.controlsVisible, std::optional<bool>(false));
            QCOMPARE(v.message != ImuCaliMessage::None, advanced != 3);
        }
    }

    // After an advanced calibration the basic state shows again: the
    // advanced state comes from each report, not from an earlier one.
    void advancedStateFromTheCurrentReport()
    {
        ImuCaliJudge j;
        j.connected();
        ImuCaliView v = j.onReport(state(1, 1), 10);
        QCOMPARE(v.status, ImuCaliText::Calibrating);
        QCOMPARE(v.basicEnabled, std::optional<bool>(false));
        QVERIFY(v.showCaliTab);
        QCOMPARE(j.advancedState(), 1);
        v = j.onReport(state(1, 2), 70);
        QCOMPARE(j.advancedState(), 2);
        QCOMPARE(v.progress, std::optional<int>(70));
        v = j.onReport(state(1, 0), 0);
        QCOMPARE(j.advancedState(), 0);
        QCOMPARE(v.status, ImuCaliText::Ready);
        QCOMPARE(v.basicEnabled, std::optional<bool>(true));
        QCOMPARE(v.controlsVisible, std::optional<bool>(true));
        v = j.onReport(state(2, 0), 30);
        QCOMPARE(v.status, ImuCaliText::Calibrating);
        QCOMPARE(j.basicState(), 2);
    }

    void advancedMessagesOncePerConnection()
    {
        for (int code : {14, 15}) {
            const ImuCaliMessage expected = code == 14 ? ImuCaliMessage::AdvancedDone : ImuCaliMessage::AdvancedRequired;
            ImuCaliJudge j;
            j.connected();
            ImuCaliView v = j.onReport(state(1, code), 100);
            QCOMPARE(v.message, expected);
            QVERIFY(v.focusPage);
            QCOMPARE(v.showCaliTab, code == 15);
            QCOMPARE(v.status, ImuCaliText::Ready);
            for (int i = 0; i < 5; ++i) {
                v = j.onReport(state(1, code), 100);
                QCOMPARE(v.message, ImuCaliMessage::None);
                QVERIFY(!v.focusPage);
            }
            j.disconnected();
            j.connected();
            QCOMPARE(j.onReport(state(1, code), 100).message, expected);
        }
        // A new advanced calibration ends with a new "done".
        ImuCaliJudge j;
        j.connected();
        QCOMPARE(j.onReport(state(1, 14), 100).message, ImuCaliMessage::AdvancedDone);
        j.onReport(state(1, 1), 0);
        QCOMPARE(j.onReport(state(1, 14), 100).message, ImuCaliMessage::AdvancedDone);
    }

    // Controls hidden for a requested calibration come back on any state
    // that is not calibrating, once the controller had time to start.
    void controlsComeBack()
    {
        ImuCaliJudge j;
        j.connected();
        j.calibrationRequested();
        for (int i = 0; i < ImuCaliJudge::startWaitReports; ++i)
            QVERIFY(!j.onReport(state(1, 0), 0).controlsVisible.has_value());
        QCOMPARE(j.onReport(state(1, 0), 0).controlsVisible, std::optional<bool>(true));

        j.calibrationRequested();
        QVERIFY(!j.onReport(state(1, 0), 0).controlsVisible.has_value());
        QCOMPARE(j.onReport(state(2, 0), 5).controlsVisible, std::optional<bool>(false));
        // Failed or finished: back to idle, ready or an advanced verdict.
        QCOMPARE(j.onReport(state(0, 0), 0).controlsVisible, std::optional<bool>(true));
        j.onReport(state(0, 2), 5);
        QCOMPARE(j.onReport(state(0, 3), 0).controlsVisible, std::optional<bool>(true));

        j.calibrationRequested();
        const ImuCaliView gone = j.disconnected();
        QCOMPARE(gone.controlsVisible, std::optional<bool>(true));
        QCOMPARE(gone.basicEnabled, std::optional<bool>(false));
        QCOMPARE(gone.status, ImuCaliText::None);
        j.connected();
        QCOMPARE(j.onReport(state(1, 0), 0).controlsVisible, std::optional<bool>(true));
    }

    void freshness()
    {
        ImuFreshness f;
        QVERIFY(!f.fresh());
        f.received();
        QVERIFY(f.fresh());
        for (int i = 0; i < ImuFreshness::staleTicks; ++i)
            f.tick();
        QVERIFY(f.fresh());
        f.tick();
        QVERIFY(!f.fresh());
        f.received();
        QVERIFY(f.fresh());
        f.connected();
        QVERIFY(!f.fresh());
    }

    void habitsBit()
    {
        const HabitsRecord r{1, 2, 3, 4, 0xF0, 6, 7, 8};
        QCOMPARE(habitsWith(r, true), (HabitsRecord{1, 2, 3, 4, 0xF1, 6, 7, 8}));
        QCOMPARE(habitsWith(habitsWith(r, true), false), r);
        QVERIFY(habitsNovice(habitsWith(r, true)));
        QVERIFY(!habitsNovice(r));
    }

    void repliesKept()
    {
        using namespace orb::cmdid;
        ToolsFrames frames;
        ImuRecord r = reading({1, 2, 3}, {0.1f, 0.2f, 0.9f});
        r.compassCali = {-5, 6, 7};
        r.state = 0x21;
        QVERIFY(frames.acceptFrame(kzo::test::ackRecord(ImuDataAck, imuData(r)).data()));
        auto got = frames.takeImu();
        QVERIFY(got);
        QCOMPARE(got->compassCali, r.compassCali);
        QCOMPARE(got->advancedState(), 2);
        QVERIFY(!frames.takeImu());
        // A report one byte short is dropped.
        auto shortData = imuData(r);
        shortData.pop_back();
        QVERIFY(!frames.acceptFrame(kzo::test::ackRecord(ImuDataAck, shortData).data()));
        QVERIFY(!frames.takeImu());

        QVERIFY(frames.acceptFrame(kzo::test::ackRecord(FlightHabitsAck, {9, 8, 7, 6, 5, 4, 3, 2}).data()));
        QCOMPARE(frames.takeHabits(), std::optional<HabitsRecord>(HabitsRecord{9, 8, 7, 6, 5, 4, 3, 2}));
        QVERIFY(frames.acceptFrame(kzo::test::ackRecord(ProductSwitchReport, kzo::test::words({1, 2})).data()));
        frames.clear();
        QVERIFY(!frames.takeSwitch());
        QVERIFY(!frames.acceptFrame(kzo::test::ackRecord(FlightLogRead, {}).data()));
    }
};

QTEST_GUILESS_MAIN(TestToolsData)
#include "test_tools_data.moc"
