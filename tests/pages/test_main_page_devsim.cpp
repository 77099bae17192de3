// The main parameter page against the device simulator: the requests on
// entry and the poll reach the controller at their rates, the replies fill
// the page, and a write comes back in the next replies with the bytes the
// page does not name left as the controller had them.
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "pages/qMainPage.h"

#include "app/framework/qResources.h"
#include "link/SimpleDevIo.h"
#include "widgets/KzoSpinBox.h"

#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>

#include <optional>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;
using kzo::pages::decodeFbl;
using kzo::pages::decodeJit;

namespace {

// Keeps the page registered with the serial device I/O for a scope, so a
// failed check never leaves a destroyed page behind as a listener.
struct Listening {
    explicit Listening(qMainPage& p) : page(p) { orb::simpleDevIo().addListener(&page); }
    ~Listening() { orb::simpleDevIo().removeListener(&page); }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;
    qMainPage& page;
};

// A simulator, and the page listening on the serial device I/O linked to it.
struct Bench {
    explicit Bench(const QStringList& args = {}) : sim(args) {}
    // Links to the simulator and enters the page; false when the link did not open.
    bool enter()
    {
        if (!sim.ok())
            return false;
        listening.emplace(page);
        link.emplace(sim.port());
        if (!QTest::qWaitFor([] { return SimLink::open(); }, 10000))
            return false;
        page.PageEnter();
        return true;
    }
    DevSimProcess sim;
    qMainPage page;
    std::optional<Listening> listening;
    std::optional<SimLink> link;
};

// Requests with this identifier the simulator received so far.
int received(DevSimProcess& sim, const char* id) { return static_cast<int>(sim.log().count(QByteArray("<- ") + id)); }

} // namespace

class TestMainPageDevSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { kzo::test::talkLikeTheProgram(); }

    void pollRatesAndDisplay()
    {
        Bench bench({"--verbose"});
        QVERIFY2(bench.enter(), bench.sim.log().constData());
        DevSimProcess& sim = bench.sim;
        qMainPage& page = bench.page;

        // Every one of the eleven requests reached the controller.
        for (const char* id : {"0x0283", "0x0280", "0x021c", "0x0244", "0x0246", "0x0298", "0x020d", "0x0209", "0x029b",
                               "0x0262", "0x024c"})
            QTRY_VERIFY2_WITH_TIMEOUT(received(sim, id) >= 1, id, 10000);

        // Channels and both mode records with every poll, the voltage with
        // every tenth: two seconds of polls show both rates.
        QTRY_VERIFY_WITH_TIMEOUT(received(sim, "0x021c") >= 21, 20000);
        page.PageLeave();
        // The requests already under way are counted once they are in the log.
        QTRY_VERIFY_WITH_TIMEOUT(received(sim, "0x0283") == received(sim, "0x021c"), 5000);
        const int polls = received(sim, "0x021c") - 1; // less the one on entry
        QCOMPARE(received(sim, "0x0280"), polls + 1);
        const int voltage = received(sim, "0x0244") - 1;
        QVERIFY2(voltage >= polls / 10 && voltage <= polls / 10 + 1,
                 qPrintable(QStringLiteral("%1 voltage reads in %2 polls").arg(voltage).arg(polls)));
        // Requests read once on entry are not polled.
        QCOMPARE(received(sim, "0x0246"), 1);
        QCOMPARE(received(sim, "0x024c"), 1);

        const auto& ui = page.widgets();
        QTRY_VERIFY(QRegularExpression(QStringLiteral("^1[01]\\.\\d\\d V$")).match(ui.currentVoltage->text()).hasMatch());
        QCOMPARE(ui.mixerType->text(), QStringLiteral("Quad-rotor X"));
        QCOMPARE(ui.receiverType->text(), QStringLiteral("D-Bus"));
        QCOMPARE(ui.cutOffType->text(), QStringLiteral("Intelligent"));
        QCOMPARE(ui.idleSpeed->text(), QStringLiteral("Recommended"));
        QCOMPARE(ui.failsafeMethod->text(), QStringLiteral("Go-Home and Landing"));
        QCOMPARE(ui.gimbalSwitch->text(), QStringLiteral("ON"));
        QCOMPARE(ui.batteryType->text(), QStringLiteral("3S LiPo"));
        QCOMPARE(ui.firstLevel->text(), QStringLiteral("10.80V"));
        QCOMPARE(ui.imuLocation[0]->text(), QStringLiteral("2cm"));
        QCOMPARE(ui.gpsLocation[2]->text(), QStringLiteral("-12cm"));
        // Every channel label stays within +-1000 and agrees with its bar
        // unless the bar has overshot.
        for (int i = 0; i < 8; ++i) {
            const int label = ui.channelValues[i]->text().toInt();
            const int bar = ui.channelSliders[i]->value();
            QVERIFY(label >= -1000 && label <= 1000);
            QCOMPARE(label, std::clamp(bar, -1000, 1000));
        }
    }

    void writesComeBack()
    {
        Bench bench;
        QVERIFY2(bench.enter(), bench.sim.log().constData());
        DevSimProcess& sim = bench.sim;
        qMainPage& page = bench.page;
        const auto& ui = page.widgets();
        // The controller's defaults: J1 = 1, F2 = 2, pitch gain 100.
        QTRY_VERIFY_WITH_TIMEOUT(ui.jitBoxes[0]->isEnabled() && ui.fblBoxes[0]->isEnabled(), 10000);
        QCOMPARE(ui.jitBoxes[0]->currentIndex(), 1);
        QCOMPARE(ui.fblBoxes[1]->currentIndex(), 2);
        QCOMPARE(ui.pitchGain->value(), 100);

        ui.jitBoxes[0]->setCurrentIndex(3);
        emit ui.jitBoxes[0]->activated(3);
        QTRY_VERIFY_WITH_TIMEOUT(sim.log().contains("0x0282 FBL write stored"), 10000);
        QVERIFY(sim.log().contains("0x0285 JIT write stored"));
        // The next replies carry it; the device kept its enable bit.
        QTRY_VERIFY_WITH_TIMEOUT(page.data().lastJit() && decodeJit(*page.data().lastJit()).fields[0] == 3, 10000);
        QVERIFY(decodeJit(*page.data().lastJit()).enabled);
        QCOMPARE(ui.jitBoxes[0]->currentIndex(), 3);

        // A gain typed and confirmed with Enter goes out and comes back.
        ui.pitchGain->selectAll();
        QTest::keyClicks(ui.pitchGain, "150");
        QTest::keyClick(ui.pitchGain, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(decodeJit(*page.data().lastJit()).gains[0] == 150, 10000);
        QTRY_COMPARE(ui.pitchGain->styleSheet(), qResources::get().valueStyle(1));

        // The FBL bytes the page does not name are still the controller's.
        const auto fbl = page.data().lastFbl();
        QVERIFY(fbl);
        for (int i : {2, 3, 4, 5, 6, 19, 20, 30, 34})
            QCOMPARE((*fbl)[i], uint8_t(0xA0 + i));
        QCOMPARE(decodeFbl(*fbl).fields, (std::array<int, 3>{1, 2, 0}));
        QCOMPARE(decodeFbl(*fbl).gains, (std::array<uint32_t, 3>{80, 60, 70}));
        page.PageLeave();
    }
};

QTEST_MAIN(TestMainPageDevSim)
#include "test_main_page_devsim.moc"
