// The simulator's IMU and the tools-page exchanges, driven in-process with the
// test's own clock: the 0x0507 report (record length 97) read at its field
// offsets, the calibration state sequences started by 0x0506, flight habits
// (0x0503, 0x0502 -> 0x0504), the flight-log request and the product-switch
// report 0x029D.
#include "SimHarness.h"
#include "support/LogCapture.h"

#include <QTest>

#include <cmath>

using kzo::test::Bytes;
using kzo::test::LogCapture;
using kzo::test::SimHarness;
using kzo::test::SimReply;

namespace {

// Offsets of the report's fields behind the result byte.
constexpr int offGyro = 0, offAccel = 12, offSensor = 24, offPress = 28, offQ = 32, offCompassRaw = 52,
              offCompassCali = 58, offProgress = 64, offState = 65;

Bytes le32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
}

const Bytes basicStart = le32(0x0000001F);
const Bytes advancedStart = le32(0x001F0000);

struct Report {
    SimReply reply;
    double gyro(int i) const { return reply.f32(offGyro + 4 * i); }
    double accel(int i) const { return reply.f32(offAccel + 4 * i); }
    double accelMod() const { return std::sqrt(accel(0) * accel(0) + accel(1) * accel(1) + accel(2) * accel(2)); }
    int progress() const { return reply.u8(offProgress); }
    int state() const { return reply.u8(offState); }
    int basic() const { return state() & 0x0F; }
    int advanced() const { return state() >> 4; }
};

// The report at `seconds`, asked for as the tools page does.
Report imu(SimHarness& h, double seconds)
{
    h.at(seconds);
    return Report{h.ask(0x0508, 0x0507).value_or(SimReply{})};
}

} // namespace

class TestDevsimImu : public QObject {
    Q_OBJECT

private slots:
    void reportLayout();
    void conditions_data();
    void conditions();
    void basicCalibration();
    void basicCalibrationFails();
    void advancedCalibration();
    void advancedRequiredAtStart();
    void busyAndUnknownRequestsIgnored();
    void transitionsLoggedWithoutPolling();
    void flightHabits();
    void flightLogRequest();
    void productSwitchReport();
    void badOptions_data();
    void badOptions();
};

void TestDevsimImu::reportLayout()
{
    SimHarness h;
    const Report a = imu(h, 0.0);
    QCOMPARE(a.reply.length(), 97);
    QVERIFY(a.reply.checksumOk());
    QCOMPARE(a.state(), 0x31); // advanced ready (3), basic ready (1)
    QCOMPARE(a.progress(), 0);
    double q2 = 0;
    for (int i = 0; i < 4; ++i)
        q2 += double(a.reply.f32(offQ + 4 * i)) * a.reply.f32(offQ + 4 * i);
    QVERIFY2(std::fabs(q2 - 1.0) < 1e-4, qPrintable(QString::number(q2)));
    QVERIFY(std::isfinite(a.reply.f32(offSensor)) && a.reply.f32(offSensor) != 0.0f);
    QVERIFY(std::isfinite(a.reply.f32(offPress)) && a.reply.f32(offPress) != 0.0f);
    double raw2 = 0, cali2 = 0;
    for (int i = 0; i < 3; ++i) {
        raw2 += double(a.reply.i16(offCompassRaw + 2 * i)) * a.reply.i16(offCompassRaw + 2 * i);
        cali2 += double(a.reply.i16(offCompassCali + 2 * i)) * a.reply.i16(offCompassCali + 2 * i);
    }
    QVERIFY(raw2 > 100.0 * 100.0 && cali2 > 100.0 * 100.0);

    // The readings are live: they move with time.
    const Report b = imu(h, 1.3);
    QVERIFY(a.reply.data(0, 64) != b.reply.data(0, 64));
    QVERIFY(a.reply.i16(offCompassRaw) != b.reply.i16(offCompassRaw) || a.reply.i16(offCompassRaw + 2) != b.reply.i16(offCompassRaw + 2));
}

void TestDevsimImu::conditions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("default") << QStringList{} << "calm";
    QTest::newRow("calm") << QStringList{"--imu-condition", "calm"} << "calm";
    QTest::newRow("cali") << QStringList{"--imu-condition", "cali"} << "cali";
    QTest::newRow("abnormal") << QStringList{"--imu-condition", "abnormal"} << "abnormal";
    QTest::newRow("axis-error") << QStringList{"--imu-condition", "axis-error"} << "axis-error";
}

void TestDevsimImu::conditions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, verdict);
    SimHarness h(args);
    QVERIFY2(h.parsed(), h.error().c_str());
    for (int step = 0; step < 100; ++step) {
        const Report r = imu(h, step * 0.37);
        QCOMPARE(r.reply.length(), 97);
        const double off = std::fabs(1.0 - r.accelMod());
        const double g = std::max({std::fabs(r.gyro(0)), std::fabs(r.gyro(1)), std::fabs(r.gyro(2))});
        const double a = std::max({std::fabs(r.accel(0)), std::fabs(r.accel(1)), std::fabs(r.accel(2))});
        const QString at = QStringLiteral("t=%1 |a|=%2 max g=%3 max a=%4").arg(step * 0.37).arg(r.accelMod()).arg(g).arg(a);
        if (verdict == QLatin1String("calm")) {
            QVERIFY2(off <= 0.015 && g <= 1.0, qPrintable(at));
        } else if (verdict == QLatin1String("cali")) {
            QVERIFY2((off > 0.015 || g > 1.0) && off <= 1.0 && a <= 6.0, qPrintable(at));
        } else if (verdict == QLatin1String("abnormal")) {
            QVERIFY2(std::fabs(r.accelMod() - 2.5) < 0.05 && a <= 6.0, qPrintable(at));
        } else {
            QVERIFY2(a > 6.0, qPrintable(at));
        }
    }
}

void TestDevsimImu::basicCalibration()
{
    SimHarness h({"--imu-cali-time", "1"});
    QVERIFY2(h.parsed(), h.error().c_str());
    QCOMPARE(imu(h, 0.0).basic(), 1);
    h.replies();
    h.request(0x0506, basicStart);
    QVERIFY(h.replies().empty()); // the report carries the answer
    int last = -1;
    for (double t : {0.0, 0.25, 0.5, 0.75, 0.95}) {
        const Report r = imu(h, t);
        QCOMPARE(r.basic(), 2);
        QCOMPARE(r.advanced(), 3);
        QVERIFY2(r.progress() >= last && r.progress() <= 100, qPrintable(QString::number(r.progress())));
        QVERIFY2(std::abs(r.progress() - int(t * 100)) <= 1, qPrintable(QString::number(r.progress())));
        last = r.progress();
    }
    const Report done = imu(h, 1.0);
    QCOMPARE(done.state(), 0x31);
    QCOMPARE(done.progress(), 0);
    QCOMPARE(imu(h, 5.0).state(), 0x31);

    // It can be run again.
    h.request(0x0506, basicStart);
    QCOMPARE(imu(h, 5.5).basic(), 2);
    QCOMPARE(imu(h, 6.0).basic(), 1);
}

void TestDevsimImu::basicCalibrationFails()
{
    SimHarness h({"--imu-cali-time", "1", "--imu-cali-fail"});
    QVERIFY2(h.parsed(), h.error().c_str());
    h.request(0x0506, basicStart);
    const Report running = imu(h, 0.25);
    QCOMPARE(running.basic(), 2);
    QCOMPARE(running.progress(), 25);
    QCOMPARE(imu(h, 0.45).basic(), 2);
    // Half-way it stops: idle, progress 0, for the calibration time, then ready.
    for (double t : {0.5, 0.8, 1.45}) {
        const Report failed = imu(h, t);
        QCOMPARE(failed.state(), 0x30);
        QCOMPARE(failed.progress(), 0);
    }
    QCOMPARE(imu(h, 1.5).state(), 0x31);
    QCOMPARE(imu(h, 1.5).progress(), 0);
}

void TestDevsimImu::advancedCalibration()
{
    SimHarness h({"--imu-cali-time", "1"});
    QVERIFY2(h.parsed(), h.error().c_str());
    QCOMPARE(imu(h, 0.0).advanced(), 3);
    h.request(0x0506, advancedStart);
    QVERIFY(h.replies().empty());
    const Report p1 = imu(h, 0.5);
    QCOMPARE(p1.advanced(), 1);
    QCOMPARE(p1.basic(), 1);
    QCOMPARE(p1.progress(), 50);
    const Report p2 = imu(h, 1.25);
    QCOMPARE(p2.advanced(), 2);
    QCOMPARE(p2.progress(), 25);
    const Report done = imu(h, 2.0);
    QCOMPARE(done.state(), 0xE1); // 14: done, the controller must be powered off
    QCOMPARE(done.progress(), 100);
    QCOMPARE(imu(h, 30.0).state(), 0xE1); // until it is powered off
}

void TestDevsimImu::advancedRequiredAtStart()
{
    SimHarness h({"--imu-cali-time", "0.5", "--imu-advanced-required"});
    QVERIFY2(h.parsed(), h.error().c_str());
    QCOMPARE(imu(h, 0.0).state(), 0xF1);
    QCOMPARE(imu(h, 3.0).state(), 0xF1);
    h.request(0x0506, advancedStart);
    QCOMPARE(imu(h, 3.2).advanced(), 1);
    QCOMPARE(imu(h, 3.7).advanced(), 2);
    QCOMPARE(imu(h, 4.0).state(), 0xE1);
}

void TestDevsimImu::busyAndUnknownRequestsIgnored()
{
    SimHarness h({"--imu-cali-time", "1"});
    LogCapture log;
    h.request(0x0506, le32(0x00000005));
    QCOMPARE(imu(h, 0.1).state(), 0x31);
    QVERIFY(log.text().contains(QStringLiteral("calibration request 0x00000005 not known, ignored")));
    h.request(0x0506, basicStart);
    h.at(0.3);
    h.request(0x0506, advancedStart); // busy with the basic one
    const Report r = imu(h, 0.4);
    QCOMPARE(r.state(), 0x32);
    QCOMPARE(r.progress(), 30); // started at 0.1 s, not restarted at 0.3 s
    QVERIFY(log.text().contains(QStringLiteral("advanced IMU calibration not started: a calibration is running")));
    QCOMPARE(imu(h, 1.05).state(), 0x32);
    QCOMPARE(imu(h, 1.1).state(), 0x31);
}

void TestDevsimImu::transitionsLoggedWithoutPolling()
{
    SimHarness h({"--imu-cali-time", "1"});
    LogCapture log;
    h.request(0x0506, advancedStart);
    QVERIFY(log.text().contains(QStringLiteral("advanced IMU calibration started: state 0x11")));
    // The next thing due is the end of the first phase.
    const auto due = h.sim().nextDeadline();
    QVERIFY(due);
    h.at(1.0);
    QVERIFY(log.text().contains(QStringLiteral("IMU calibration state 0x21")));
    QVERIFY(!log.text().contains(QStringLiteral("state 0xe1")));
    h.at(2.0);
    QVERIFY(log.text().contains(QStringLiteral("IMU calibration state 0xe1 (advanced done: power the controller off)")));
    QVERIFY(!h.sim().nextDeadline());
}

void TestDevsimImu::flightHabits()
{
    SimHarness h;
    LogCapture log;
    const auto first = h.ask(0x0502, 0x0504);
    QVERIFY(first);
    QCOMPARE(first->length(), 39);
    QVERIFY(first->checksumOk());
    QCOMPARE(first->u8(4) & 1, 0); // normal, not novice
    const Bytes initial = first->data(0, 8);
    QVERIFY(initial != Bytes(8, 0));

    Bytes novice = initial;
    novice[4] |= 1;
    const auto written = h.ask(0x0503, 0x0504, novice);
    QVERIFY(written);
    QCOMPARE(written->length(), 39);
    QCOMPARE(written->data(0, 8), novice);
    QCOMPARE(h.ask(0x0502, 0x0504)->data(0, 8), novice);
    QVERIFY(log.text().contains(QStringLiteral("flight habits stored (novice):")));

    // A short write is refused by its size and changes nothing.
    h.replies();
    h.request(0x0503, Bytes(7, 0));
    QVERIFY(h.replies().empty());
    QCOMPARE(h.ask(0x0502, 0x0504)->data(0, 8), novice);
}

void TestDevsimImu::flightLogRequest()
{
    SimHarness h;
    LogCapture log;
    h.replies();
    h.request(0x022D);
    QVERIFY(h.replies().empty());
    QVERIFY(log.hasLine(QStringLiteral("DevSim"), QStringLiteral("flight log requested (0x022d), not answered")));
}

void TestDevsimImu::productSwitchReport()
{
    {
        SimHarness h({"--product-switch-after", "2"});
        QVERIFY2(h.parsed(), h.error().c_str());
        h.at(10.0);
        QVERIFY(h.replies().empty()); // the clock starts at the first IMU request
        QVERIFY(imu(h, 10.0).reply.length() == 97);
        h.at(11.9);
        QVERIFY(h.replies().empty());
        h.at(12.0);
        const auto r = h.only(0x029D);
        QVERIFY(r);
        QCOMPARE(r->length(), 39);
        QVERIFY(r->checksumOk());
        QCOMPARE(r->u32(0), 1u);
        QCOMPARE(r->u32(4), 0u);
        QVERIFY(imu(h, 13.0).reply.length() == 97);
        h.at(20.0);
        QVERIFY(h.replies().empty()); // once
    }
    SimHarness h;
    imu(h, 0.0);
    h.at(600.0);
    QVERIFY(h.replies().empty());
}

void TestDevsimImu::badOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("condition") << QStringList{"--imu-condition", "wobbly"};
    QTest::newRow("time") << QStringList{"--imu-cali-time", "-1"};
    QTest::newRow("switch") << QStringList{"--product-switch-after", "soon"};
}

void TestDevsimImu::badOptions()
{
    QFETCH(QStringList, args);
    SimHarness h(args);
    QVERIFY(!h.parsed());
    QCOMPARE(QString::fromStdString(h.error()), QStringLiteral("bad value for %1: %2").arg(args[0], args[1]));
}

QTEST_GUILESS_MAIN(TestDevsimImu)
#include "test_devsim_imu.moc"
