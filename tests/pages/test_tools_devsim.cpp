// The tools page against the device simulator over a pty: a basic IMU
// calibration run from the button to its end, the advanced calibration's
// "required" and "done" messages (each once), a failed basic run, the IMU
// check on live data and the flight-habits record read, written and read back.
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "pages/ToolsHost.h"
#include "pages/qToolsPage.h"

#include "commands/qConnector.h"
#include "link/SimpleDevIo.h"
#include "widgets/MessageBoxes.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <optional>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;

namespace {

class QuietHost : public ToolsHost {
public:
    bool restoreDefaults() override { return false; }
    void loadAllParameters() override {}
    void showTip(const QString& text) override { emit signal_showTipText(text); }
    void focusPageOf(QWidget*) override { ++focusCalls; }
    void closeProgram() override {}
    QWidget* dialogParent() override { return nullptr; }
    void openUrl(const QUrl&) override {}
    int focusCalls = 0;
};

// The connection manager and the page on the serial device I/O for a scope;
// the page is entered and its tick runs faster than the window's, so a run
// of a few seconds is followed closely.
struct Rig {
    qConnector connector;
    QuietHost host;
    qToolsPage page{&host};
    const kzo::pages::ToolsPageUi& ui = page.widgets();
    QTimer ticker;
    std::vector<kzo::ui::BoxRequest> boxes;
    kzo::ui::ScopedBoxHandler answers{[this](QWidget*, const kzo::ui::BoxRequest& box) {
        boxes.push_back(box);
        return (box.buttons & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }};

    Rig()
    {
        orb::simpleDevIo().addListener(&connector);
        orb::simpleDevIo().addListener(&page);
        ticker.setInterval(50);
        QObject::connect(&ticker, &QTimer::timeout, &page, &qToolsPage::PageTick);
    }
    ~Rig()
    {
        ticker.stop();
        orb::simpleDevIo().removeListener(&page);
        orb::simpleDevIo().removeListener(&connector);
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    void start()
    {
        page.PageEnter();
        ticker.start();
    }
    int count(const char* text) const
    {
        int n = 0;
        for (const auto& b : boxes)
            n += b.text == QLatin1String(text);
        return n;
    }
    bool controlsVisible() const
    {
        for (QWidget* w : ui.calibrationControls())
            if (w->isHidden())
                return false;
        return true;
    }
};

// A simulator with these options and the rig linked to it.
struct Session {
    explicit Session(const QStringList& args = {}) : sim(args) {}
    // Links to the simulator, waits for the connection and enters the page;
    // false when the connection did not come.
    bool start()
    {
        if (!sim.ok())
            return false;
        link.emplace(sim.port());
        if (!QTest::qWaitFor([this] { return rig.connector.isConnected() && rig.page.isConnected(); }, 10000))
            return false;
        rig.start();
        return true;
    }
    DevSimProcess sim;
    Rig rig;
    std::optional<SimLink> link;
};

// The simulator's log line for a stored flight-habits record.
QByteArray storedLine(const char* kind, const kzo::pages::HabitsRecord& r)
{
    QByteArray line = QByteArray("flight habits stored (") + kind + "):";
    for (uint8_t b : r)
        line += ' ' + QByteArray::number(b, 16).rightJustified(2, '0');
    return line;
}

} // namespace

class TestToolsDevSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { kzo::test::talkLikeTheProgram(); }

    void basicCalibrationRun()
    {
        Session session({"--imu-cali-time", "1"});
        QVERIFY2(session.start(), session.sim.log().constData());
        DevSimProcess& sim = session.sim;
        Rig& rig = session.rig;
        QTRY_COMPARE_WITH_TIMEOUT(rig.ui.label_state->text(), QStringLiteral("ready"), 5000);
        QVERIFY(rig.ui.pushButtonCali->isEnabled());
        QVERIFY(!rig.ui.lineEdit_AZ->text().isEmpty());

        rig.page.OnClickedCheck();
        QCOMPARE(rig.boxes.back().text, QStringLiteral("No need calibration.calibration procedure can be skipped."));

        rig.page.OnClickedCali();
        QVERIFY(!rig.controlsVisible());
        QTRY_COMPARE_WITH_TIMEOUT(rig.ui.label_state->text(), QStringLiteral("calibrating"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.ui.progressBar->value() > 0, 5000);
        QVERIFY(!rig.controlsVisible());
        QVERIFY(!rig.ui.pushButtonCali->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(rig.ui.label_state->text(), QStringLiteral("ready"), 10000);
        QVERIFY(rig.controlsVisible());
        QVERIFY(rig.ui.pushButtonCali->isEnabled());
        QCOMPARE(rig.ui.progressBar->value(), 0);
        QVERIFY2(sim.log().contains("basic IMU calibration started"), sim.log().constData());
    }

    // A run that fails drops to idle: the controls come back at once.
    void failedBasicRun()
    {
        Session session({"--imu-cali-fail", "--imu-cali-time", "0.6"});
        QVERIFY2(session.start(), session.sim.log().constData());
        Rig& rig = session.rig;
        QTRY_VERIFY_WITH_TIMEOUT(rig.ui.pushButtonCali->isEnabled(), 5000);
        rig.page.OnClickedCali();
        QTRY_COMPARE_WITH_TIMEOUT(rig.ui.label_state->text(), QStringLiteral("calibrating"), 5000);
        // Basic idle (the advanced half still says ready): controls back,
        // the basic calibration not offered until the controller is ready.
        QTRY_VERIFY_WITH_TIMEOUT(rig.controlsVisible() && !rig.ui.pushButtonCali->isEnabled(), 5000);
        QCOMPARE(rig.ui.progressBar->value(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.ui.pushButtonCali->isEnabled(), 5000);
        QCOMPARE(rig.ui.label_state->text(), QStringLiteral("ready"));
    }

    void advancedRequiredThenDone()
    {
        Session session({"--imu-advanced-required", "--imu-cali-time", "0.6"});
        QVERIFY2(session.start(), session.sim.log().constData());
        Rig& rig = session.rig;
        const char* required = "Please click the advanced calibration to calibrate the IMU.";
        const char* done = "Please cut off the power of the MC for 10 minutes then power up the MC.";
        QTRY_COMPARE_WITH_TIMEOUT(rig.count(required), 1, 5000);
        QVERIFY(rig.ui.pushButtonCaliAdvanced->isEnabled());

        rig.page.OnClickedCaliAdvanced();
        QTRY_COMPARE_WITH_TIMEOUT(rig.ui.label_state->text(), QStringLiteral("calibrating"), 5000);
        QVERIFY(!rig.ui.pushButtonCaliAdvanced->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(rig.count(done), 1, 10000);
        QCOMPARE(rig.ui.label_state->text(), QStringLiteral("ready"));
        QTRY_VERIFY(rig.controlsVisible());
        // The controller stays in "done": ten more reports repeat nothing.
        // The signal comes from the listener thread: counted on this one.
        int reports = 0;
        connect(&rig.page, &qTabPage::devValueChanged, &rig.page, [&reports] { ++reports; }, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(reports >= 10, 5000);
        QCOMPARE(rig.count(done), 1);
        QCOMPARE(rig.count(required), 1);
        QCOMPARE(rig.host.focusCalls, 2);
    }

    void flightHabitsRoundTrip()
    {
        Session session;
        QVERIFY2(session.start(), session.sim.log().constData());
        DevSimProcess& sim = session.sim;
        Rig& rig = session.rig;
        QTRY_VERIFY_WITH_TIMEOUT(rig.ui.checkBox_Normal->isEnabled(), 5000);
        QVERIFY(rig.ui.checkBox_Normal->isChecked());
        const auto before = *rig.page.habitsRecord();

        // The device stores the record it gave, with only the novice bit changed.
        rig.ui.checkBox_Novice->click();
        const QByteArray novice = storedLine("novice", kzo::pages::habitsWith(before, true));
        QTRY_VERIFY2_WITH_TIMEOUT(sim.log().contains(novice), novice.constData(), 5000);
        rig.page.PageLeave();
        rig.page.PageEnter(); // reads the record back
        QTRY_COMPARE_WITH_TIMEOUT(*rig.page.habitsRecord(), kzo::pages::habitsWith(before, true), 5000);
        QVERIFY(rig.ui.checkBox_Novice->isChecked());

        rig.ui.checkBox_Normal->click();
        const QByteArray normal = storedLine("normal", before);
        QTRY_VERIFY2_WITH_TIMEOUT(sim.log().contains(normal), normal.constData(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(*rig.page.habitsRecord(), before, 5000);
        QVERIFY(rig.ui.checkBox_Normal->isChecked());
        QVERIFY(rig.boxes.empty());
    }
};

QTEST_MAIN(TestToolsDevSim)
#include "test_tools_devsim.moc"
