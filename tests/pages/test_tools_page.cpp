// The tools page on a fake device with a fake window: the requests it writes,
// byte by byte (0x0508 per tick, 0x0506 after the questions, 0x0503 from the
// record read, 0x0502, 0x022D), the IMU fields and verdicts, the calibration
// state on screen, the restore-defaults navigation lock, the product switch
// with a stand-in sibling program on the PATH, the tip and the online help.
#include "pages/AckRecords.h"
#include "pages/ToolsHost.h"
#include "pages/qToolsPage.h"
#include "support/FakeDevIo.h"
#include "widgets/WidgetShots.h"

#include "app/framework/qPageTemplate.h"
#include "commands/CommandCatalogue.h"
#include "commands/ImuRecordLayout.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "widgets/MessageBoxes.h"
#include "widgets/Plotter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

using kzo::test::ackRecord;
using kzo::test::FakeDevIo;
using kzo::test::WrittenFrame;
using orb::imu::ImuRecord;
using namespace orb::cmdid;

namespace {

class FakeToolsHost : public ToolsHost {
public:
    bool restoreAnswer = true;
    int restoreCalls = 0;
    int loadCalls = 0;
    int closeCalls = 0;
    QStringList tips;
    QList<QWidget*> focused;
    QList<QUrl> opened;
    // What had happened when the program was asked to close.
    std::function<void()> onClose;

    bool restoreDefaults() override
    {
        ++restoreCalls;
        return restoreAnswer;
    }
    void loadAllParameters() override { ++loadCalls; }
    void showTip(const QString& text) override
    {
        tips << text;
        emit signal_showTipText(text);
    }
    void focusPageOf(QWidget* page) override { focused << page; }
    void closeProgram() override
    {
        ++closeCalls;
        if (onClose)
            onClose();
    }
    QWidget* dialogParent() override { return nullptr; }
    void openUrl(const QUrl& url) override { opened << url; }
};

// Answers every box: questions with the next scripted answer (Yes when the
// script is empty), everything else with OK; remembers what was asked.
struct Boxes {
    std::vector<kzo::ui::BoxRequest> seen;
    std::deque<QMessageBox::StandardButton> answers;
    kzo::ui::ScopedBoxHandler handler{[this](QWidget*, const kzo::ui::BoxRequest& box) {
        seen.push_back(box);
        if (!(box.buttons & QMessageBox::Yes))
            return QMessageBox::Ok;
        if (answers.empty())
            return QMessageBox::Yes;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }};
    QStringList texts() const
    {
        QStringList out;
        for (const auto& b : seen)
            out << b.text;
        return out;
    }
    int count(const QString& text) const { return static_cast<int>(texts().count(text)); }
};

const QString connectFirst = QStringLiteral("Please connect to the controller!");

// The page with the connection manager on a fake device, taken off the
// device however the test ends.
struct Bench {
    FakeDevIo io;
    qConnector connector;
    FakeToolsHost host;
    qToolsPage page{&host};
    const kzo::pages::ToolsPageUi& ui = page.widgets();

    Bench()
    {
        io.addListener(&connector);
        io.addListener(&page);
    }
    ~Bench()
    {
        io.removeListener(&page);
        io.removeListener(&connector);
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // Link up and the first status report; what the connection manager
    // wrote is forgotten.
    void connectDevice()
    {
        io.onCommDeviceArrival(L"/dev/ttyACM0");
        io.deliverId(StatusReport, {0, 0, 0, 0});
        QVERIFY(page.isConnected());
        io.clearWritten();
    }
    void disconnectDevice()
    {
        io.onCommDeviceRemoval(L"/dev/ttyACM0");
        QTRY_VERIFY(!page.isConnected());
    }
    void deliverAndRefresh(const std::vector<uint8_t>& record)
    {
        io.deliver(record);
        QTRY_VERIFY(!page.isRefreshPending());
    }
    void imu(const ImuRecord& r)
    {
        const auto d = orb::imu::encode(r);
        deliverAndRefresh(ackRecord(ImuDataAck, {d.begin(), d.end()}));
    }
    void state(int basic, int advanced, int progress = 0)
    {
        ImuRecord r = calm();
        r.state = static_cast<uint8_t>(advanced << 4 | basic);
        r.progress = static_cast<uint8_t>(progress);
        imu(r);
    }
    static ImuRecord calm()
    {
        ImuRecord r;
        r.gyro = {0.1f, -0.1f, 0.0f};
        r.accel = {0.0f, 0.0f, 1.0f};
        r.state = 0x01;
        return r;
    }
    std::vector<WrittenFrame> written(uint16_t id)
    {
        std::vector<WrittenFrame> out;
        for (auto& f : io.takeFrames())
            if (f.id() == id)
                out.push_back(f);
        return out;
    }
    bool controlsVisible() const
    {
        for (QWidget* w : ui.calibrationControls())
            if (w->isHidden())
                return false;
        return true;
    }
    bool controlsHidden() const
    {
        for (QWidget* w : ui.calibrationControls())
            if (!w->isHidden())
                return false;
        return true;
    }
};

// The frame as a parameterless command or one with a payload leaves the page:
// total size, record length, identifier, the fixed word and the payload.
void checkFrame(const WrittenFrame& f, uint16_t id, const std::vector<uint8_t>& payload)
{
    const int size = payload.empty() ? 35 : 34 + static_cast<int>(payload.size());
    QCOMPARE(f.size(), size);
    QCOMPARE(f.bytes[0], uint8_t(0x55));
    QCOMPARE(f.bytes[1], uint8_t(0xAA));
    QCOMPARE(int(f.bytes[4] | f.bytes[5] << 8), size - 4);
    QCOMPARE(int(f.bytes[9] | f.bytes[10] << 8), int(id));
    QCOMPARE(int(f.bytes[11] | f.bytes[12] << 8), 0x8000);
    if (payload.empty())
        return;
    QCOMPARE(std::vector<uint8_t>(f.bytes.begin() + 30, f.bytes.begin() + 30 + payload.size()), payload);
}

// A stand-in for the sibling program in a folder that is the whole PATH for
// the test's life (or an empty folder when it is not installed); it writes
// its arguments to a marker file.
class SiblingOnPath {
public:
    explicit SiblingOnPath(bool installed) : oldPath(qgetenv("PATH"))
    {
        if (installed) {
            QFile f(dir.filePath(qToolsPage::siblingProgramName()));
            if (f.open(QIODevice::WriteOnly))
                f.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(marker()).toUtf8());
            f.close();
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", dir.path().toLocal8Bit());
    }
    ~SiblingOnPath() { qputenv("PATH", oldPath); }
    SiblingOnPath(const SiblingOnPath&) = delete;
    SiblingOnPath& operator=(const SiblingOnPath&) = delete;

    QString marker() const { return dir.filePath(QStringLiteral("started.txt")); }
    QByteArray arguments() const
    {
        QFile f(marker());
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }

private:
    QTemporaryDir dir;
    QByteArray oldPath;
};

std::vector<uint8_t> switchReport() { return ackRecord(ProductSwitchReport, kzo::test::words({1, 0})); }

} // namespace

class TestToolsPage : public QObject {
    Q_OBJECT
private slots:
    void init() { appModel().setNavigationBusy(0); }

    void imuRequestEveryTickWhileConnected()
    {
        Bench b;
        b.page.PageEnter();
        b.page.PageTick();
        QVERIFY(b.written(ImuDataRead).empty()); // nobody to ask
        b.connectDevice();
        for (int i = 0; i < 3; ++i) {
            b.page.PageTick();
            const auto sent = b.written(ImuDataRead);
            QCOMPARE(sent.size(), size_t(1));
            checkFrame(sent[0], ImuDataRead, {});
        }
        b.disconnectDevice();
        b.page.PageTick();
        QVERIFY(b.written(ImuDataRead).empty());
    }

    void imuFields()
    {
        Bench b;
        b.connectDevice();
        ImuRecord r;
        r.gyro = {0.5f, -0.2f, 0.9f};
        r.accel = {0.0f, 7.5f, 1.01f};
        r.compassRaw = {-120, 33, 400};
        r.compassCali = {30000, 30000, 30000};
        r.sensor = 21.54f;
        r.press = 1013.24f;
        b.imu(r);
        QCOMPARE(b.ui.lineEdit_GX->text(), QStringLiteral("0.5"));
        QCOMPARE(b.ui.lineEdit_GY->text(), QStringLiteral("-0.2"));
        QCOMPARE(b.ui.lineEdit_G_MOD->text(), QStringLiteral("1.0"));
        QCOMPARE(b.ui.lineEdit_AX->text(), QStringLiteral("0.00"));
        QCOMPARE(b.ui.lineEdit_AY->text(), QStringLiteral("ERROR"));
        QCOMPARE(b.ui.lineEdit_AZ->text(), QStringLiteral("1.01"));
        QCOMPARE(b.ui.lineEdit_A_MOD->text(), QStringLiteral("ERROR"));
        QCOMPARE(b.ui.lineEdit_CX->text(), QStringLiteral("-120"));
        QCOMPARE(b.ui.lineEdit_CZ->text(), QStringLiteral("400"));
        // The calibrated vector, without an int overflow.
        QCOMPARE(b.ui.lineEdit_C_MOD->text(), QStringLiteral("51961.5"));
        QCOMPARE(b.ui.label_sensor->text(), QStringLiteral("21.5"));
        QCOMPARE(b.ui.label_press->text(), QStringLiteral("1013.2"));
        QCOMPARE(b.ui.label_orig[0]->text(), QStringLiteral("-120"));
        QCOMPARE(b.ui.label_cali[2]->text(), QStringLiteral("30000"));
    }

    void verdicts()
    {
        Bench b;
        Boxes boxes;
        b.page.OnClickedCheck();
        QCOMPARE(boxes.texts(), QStringList{connectFirst});

        b.connectDevice();
        b.page.OnClickedCheck(); // connected, but no reading yet
        QVERIFY(boxes.seen.back().text.startsWith(QLatin1String("No IMU data")));

        struct Case {
            std::array<float, 3> gyro, accel;
            const char* verdict;
        };
        const Case cases[] = {
            {{0.5f, -0.2f, 0.9f}, {0, 0, 1.01f}, "No need calibration.calibration procedure can be skipped."},
            {{0.5f, -0.2f, 0.9f}, {0, 0, 1.02f}, "Calibration needed, pls click the button below to calibrate IMU."},
            {{0, 0, 0}, {0, 0, 2.5f}, "IMU works abnormally, please contact us or our agents."},
            {{1.0f, 1.0f, -1.0f}, {0, 0, 1.0f}, "No need calibration.calibration procedure can be skipped."},
            {{0, 0, 0}, {0, 0, 7.0f}, "IMU works abnormally, please contact us or our agents."},
        };
        for (const Case& c : cases) {
            ImuRecord r;
            r.gyro = c.gyro;
            r.accel = c.accel;
            b.imu(r);
            b.page.OnClickedCheck();
            QCOMPARE(boxes.seen.back().text, QString::fromLatin1(c.verdict));
            QCOMPARE(boxes.seen.back().title, QString());
        }
        // Readings that stopped coming are not judged.
        for (int i = 0; i <= kzo::pages::ImuFreshness::staleTicks; ++i)
            b.page.PageTick();
        b.page.OnClickedCheck();
        QVERIFY(boxes.seen.back().text.startsWith(QLatin1String("No IMU data")));
        b.imu(Bench::calm());
        b.page.OnClickedCheck();
        QCOMPARE(boxes.seen.back().text, QStringLiteral("No need calibration.calibration procedure can be skipped."));
        // Nor those of a controller that has gone.
        b.disconnectDevice();
        b.connectDevice();
        b.page.OnClickedCheck();
        QVERIFY(boxes.seen.back().text.startsWith(QLatin1String("No IMU data")));
    }

    void calibrationStartsAfterYes()
    {
        Bench b;
        Boxes boxes;
        b.page.OnClickedCali();
        b.page.OnClickedCaliAdvanced();
        QCOMPARE(boxes.texts(), (QStringList{connectFirst, connectFirst}));
        QCOMPARE(b.io.writeCount(), 0);

        b.connectDevice();
        b.state(1, 3);
        boxes.seen.clear();
        boxes.answers = {QMessageBox::No};
        b.page.OnClickedCali();
        QCOMPARE(boxes.seen.size(), size_t(1));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Info"));
        QCOMPARE(boxes.seen[0].text, QStringLiteral("Please keep the main controller  stationary and horizontal during "
                                                    "calibration, or re-calibration is required."));
        QVERIFY(b.written(ImuCalibrationStart).empty());
        QVERIFY(b.controlsVisible());

        b.page.OnClickedCali();
        auto sent = b.written(ImuCalibrationStart);
        QCOMPARE(sent.size(), size_t(1));
        checkFrame(sent[0], ImuCalibrationStart, {0x1F, 0x00, 0x00, 0x00});
        QVERIFY(b.controlsHidden());

        // Advanced: two questions, both must be answered Yes.
        b.state(1, 3);
        for (int i = 0; i <= kzo::pages::ImuCaliJudge::startWaitReports; ++i)
            b.state(1, 3);
        QVERIFY(b.controlsVisible());
        boxes.seen.clear();
        boxes.answers = {QMessageBox::Yes, QMessageBox::No};
        b.page.OnClickedCaliAdvanced();
        QCOMPARE(boxes.seen.size(), size_t(2));
        QVERIFY(boxes.seen[0].text.endsWith(QLatin1String("The calibration will takes 5-10 minutes, please wait with patience.")));
        QCOMPARE(boxes.seen[1].text, QStringLiteral("Again, please keep the main controller  stationary and horizontal, "
                                                    "or it would not fly well and re-do advanced calibration."));
        QVERIFY(b.written(ImuCalibrationStart).empty());
        b.page.OnClickedCaliAdvanced();
        sent = b.written(ImuCalibrationStart);
        QCOMPARE(sent.size(), size_t(1));
        checkFrame(sent[0], ImuCalibrationStart, {0x00, 0x00, 0x1F, 0x00});
    }

    void calibrationStateOnScreen()
    {
        Bench b;
        Boxes boxes;
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("--"));
        QVERIFY(!b.ui.pushButtonCali->isEnabled());
        b.connectDevice();
        b.state(0, 0);
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("idle"));
        QVERIFY(!b.ui.pushButtonCali->isEnabled());
        b.state(1, 0, 40);
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("ready"));
        QCOMPARE(b.ui.progressBar->value(), 0);
        QVERIFY(b.ui.pushButtonCali->isEnabled());
        QVERIFY(b.ui.pushButtonCaliAdvanced->isEnabled());
        b.state(2, 0, 40);
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("calibrating"));
        QCOMPARE(b.ui.progressBar->value(), 40);
        QVERIFY(b.controlsHidden());
        // A failed run reports idle: the controls come back.
        b.state(0, 0);
        QVERIFY(b.controlsVisible());

        // An advanced run switches to the calibration tab; when it is over
        // the basic state shows again.
        b.ui.tabWidget->setCurrentIndex(kzo::pages::ToolsPageUi::generalTab);
        b.state(1, 2, 70);
        QCOMPARE(b.ui.tabWidget->currentIndex(), kzo::pages::ToolsPageUi::caliTab);
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("calibrating"));
        QCOMPARE(b.ui.progressBar->value(), 70);
        QVERIFY(!b.ui.pushButtonCaliAdvanced->isEnabled());
        b.state(1, 0);
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("ready"));
        QVERIFY(b.ui.pushButtonCali->isEnabled());
        QVERIFY(b.controlsVisible());
        QVERIFY(boxes.seen.empty());
    }

    void advancedMessagesOncePerConnection()
    {
        const struct {
            int code;
            const char* text;
        } cases[] = {{14, "Please cut off the power of the MC for 10 minutes then power up the MC."},
                     {15, "Please click the advanced calibration to calibrate the IMU."}};
        for (const auto& c : cases) {
            Bench b;
            Boxes boxes;
            b.connectDevice();
            b.ui.tabWidget->setCurrentIndex(kzo::pages::ToolsPageUi::generalTab);
            for (int i = 0; i < 5; ++i)
                b.state(1, c.code, 100);
            QCOMPARE(boxes.count(QString::fromLatin1(c.text)), 1);
            QCOMPARE(boxes.seen.back().title, QString());
            QCOMPARE(b.host.focused, QList<QWidget*>{&b.page});
            QCOMPARE(b.ui.label_state->text(), QStringLiteral("ready"));
            QVERIFY(b.ui.pushButtonCaliAdvanced->isEnabled());
            QCOMPARE(b.ui.tabWidget->currentIndex() == kzo::pages::ToolsPageUi::caliTab, c.code == 15);
            b.disconnectDevice();
            b.connectDevice();
            b.state(1, c.code, 100);
            b.state(1, c.code, 100);
            QCOMPARE(boxes.count(QString::fromLatin1(c.text)), 2);
        }
    }

    void controlsComeBackOnDisconnect()
    {
        Bench b;
        Boxes boxes;
        b.connectDevice();
        b.state(1, 0);
        b.page.OnClickedCali();
        QVERIFY(b.controlsHidden());
        b.state(2, 0, 10);
        QVERIFY(b.controlsHidden());
        b.disconnectDevice();
        QVERIFY(b.controlsVisible());
        QCOMPARE(b.ui.label_state->text(), QStringLiteral("--"));
        QVERIFY(!b.ui.pushButtonCali->isEnabled());
        QVERIFY(!b.ui.pushButtonCaliAdvanced->isEnabled());
    }

    void flightHabitsFromTheRecordRead()
    {
        Bench b;
        Boxes boxes;
        b.page.PageEnter();
        QVERIFY(b.written(FlightHabitsRead).empty());
        // Shown: the record is asked for on connection and on every entry.
        b.io.onCommDeviceArrival(L"/dev/ttyACM0");
        b.io.deliverId(StatusReport, {0, 0, 0, 0});
        auto asked = b.written(FlightHabitsRead);
        QCOMPARE(asked.size(), size_t(1));
        checkFrame(asked[0], FlightHabitsRead, {});
        b.page.PageLeave();
        b.page.PageEnter();
        QCOMPARE(b.written(FlightHabitsRead).size(), size_t(1));

        // Nothing read yet: nothing to write.
        QVERIFY(!b.ui.checkBox_Novice->isEnabled());
        QVERIFY(!b.ui.checkBox_Normal->isEnabled());
        b.page.on_checkBox_Novice_clicked();
        QVERIFY(b.written(FlightHabitsWrite).empty());

        b.deliverAndRefresh(ackRecord(FlightHabitsAck, {0x11, 0x22, 0x33, 0x44, 0x80, 0x66, 0x77, 0x88}));
        QVERIFY(b.ui.checkBox_Novice->isEnabled());
        QVERIFY(b.ui.checkBox_Normal->isChecked());
        QVERIFY(!b.ui.checkBox_Novice->isChecked());

        QTest::mouseClick(b.ui.checkBox_Novice, Qt::LeftButton);
        auto sent = b.written(FlightHabitsWrite);
        QCOMPARE(sent.size(), size_t(1));
        checkFrame(sent[0], FlightHabitsWrite, {0x11, 0x22, 0x33, 0x44, 0x81, 0x66, 0x77, 0x88});
        QVERIFY(b.ui.checkBox_Novice->isChecked());
        QVERIFY(!b.ui.checkBox_Normal->isChecked());
        // Clicking the checked box again keeps it checked.
        QTest::mouseClick(b.ui.checkBox_Novice, Qt::LeftButton);
        QVERIFY(b.ui.checkBox_Novice->isChecked());
        b.io.clearWritten();

        QTest::mouseClick(b.ui.checkBox_Normal, Qt::LeftButton);
        sent = b.written(FlightHabitsWrite);
        QCOMPARE(sent.size(), size_t(1));
        checkFrame(sent[0], FlightHabitsWrite, {0x11, 0x22, 0x33, 0x44, 0x80, 0x66, 0x77, 0x88});
        QVERIFY(!b.ui.checkBox_Novice->isChecked());

        // A new controller: its record is read before anything is written.
        b.disconnectDevice();
        QVERIFY(!b.ui.checkBox_Novice->isEnabled());
        b.io.onCommDeviceArrival(L"/dev/ttyACM0");
        b.io.deliverId(StatusReport, {0, 0, 0, 0});
        asked = b.written(FlightHabitsRead);
        QCOMPARE(asked.size(), size_t(1));
        b.page.on_checkBox_Novice_clicked();
        QVERIFY(b.written(FlightHabitsWrite).empty());
        QVERIFY(boxes.seen.empty());
    }

    void flightLogOnlyWhenConnected()
    {
        Bench b;
        Boxes boxes;
        b.ui.pushButtonReadLog->click();
        QCOMPARE(boxes.texts(), QStringList{connectFirst});
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Info"));
        QCOMPARE(b.io.writeCount(), 0);
        b.connectDevice();
        b.ui.pushButtonReadLog->click();
        const auto sent = b.written(FlightLogRead);
        QCOMPARE(sent.size(), size_t(1));
        checkFrame(sent[0], FlightLogRead, {});
    }

    void exportAndImport()
    {
        Bench b;
        Boxes boxes;
        int exports = 0, imports = 0;
        bool importResult = true;
        b.page.setFileActions(
            [&](QWidget*, orb::DevIo& io) {
                ++exports;
                return &io == &b.io;
            },
            [&](QWidget*, orb::DevIo&) {
                ++imports;
                // The transfer owns the link: the tick asks nothing meanwhile.
                b.page.PageTick();
                return importResult;
            });
        b.ui.pushButtonExport->click();
        b.ui.pushButtonImport->click();
        QCOMPARE(boxes.texts(), (QStringList{connectFirst, connectFirst}));
        QCOMPARE(exports + imports, 0);

        b.connectDevice();
        b.ui.pushButtonExport->click();
        QCOMPARE(exports, 1);
        QCOMPARE(b.host.loadCalls, 0);
        b.ui.pushButtonImport->click();
        QCOMPARE(imports, 1);
        QCOMPARE(b.host.loadCalls, 1);
        QVERIFY(b.written(ImuDataRead).empty());
        importResult = false;
        b.ui.pushButtonImport->click();
        QCOMPARE(b.host.loadCalls, 1);
    }

    void restoreLockEndsWithTheQueue()
    {
        Bench b;
        Boxes boxes;
        b.connectDevice();
        b.page.PageEnter();
        b.host.restoreAnswer = false;
        b.ui.pushButtonReset->click();
        QCOMPARE(b.host.restoreCalls, 1);
        QCOMPARE(appModel().navigationBusy(), 0);
        QVERIFY(b.ui.pushButtonReset->isEnabled());

        b.host.restoreAnswer = true;
        b.ui.pushButtonReset->click();
        QCOMPARE(appModel().navigationBusy(), 1);
        QVERIFY(!b.ui.pushButtonReset->isEnabled());
        // A refused page switch explains itself and keeps the lock.
        emit b.host.s_navigator_disabled();
        QCOMPARE(b.host.tips.size(), 1);
        QCOMPARE(appModel().navigationBusy(), 1);

        b.page.PageLeave();
        emit b.host.queueFinished(true);
        QCOMPARE(appModel().navigationBusy(), 0);
        QVERIFY(b.ui.pushButtonReset->isEnabled());
        QVERIFY(!b.page.restoreLockHeld());
    }

    void restoreLockEndsWhenTheDeviceGoes()
    {
        Bench b;
        Boxes boxes;
        b.connectDevice();
        b.page.PageEnter();
        b.ui.pushButtonReset->click();
        QCOMPARE(appModel().navigationBusy(), 1);
        b.page.PageLeave();
        b.disconnectDevice();
        QCOMPARE(appModel().navigationBusy(), 0);
        QVERIFY(b.ui.pushButtonReset->isEnabled());
    }

    void navigatorRefusedTip()
    {
        Bench b;
        b.page.PageEnter();
        emit b.host.s_navigator_disabled();
        QCOMPARE(b.host.tips, QStringList{QStringLiteral(" You must update firmware to new version.  ")});
        QCOMPARE(b.ui.label_tip->text(), QStringLiteral(" You must update firmware to new version.  "));
        b.page.PageLeave();
        emit b.host.s_navigator_disabled();
        QCOMPARE(b.host.tips.size(), 1);
    }

    void tipShowsForSevenTicks()
    {
        Bench b;
        b.page.PageEnter();
        b.host.showTip(QStringLiteral(" Reset OK.  "));
        QCOMPARE(b.ui.label_tip->text(), QStringLiteral(" Reset OK.  "));
        for (int i = 0; i < qToolsPage::tipTicks; ++i) {
            b.page.PageTick();
            QVERIFY(!b.ui.label_tip->isHidden());
        }
        b.page.PageTick();
        QVERIFY(b.ui.label_tip->isHidden());
        b.page.PageLeave();
        b.host.showTip(QStringLiteral("elsewhere"));
        QCOMPARE(b.ui.label_tip->text(), QStringLiteral(" Reset OK.  "));
    }

    void onlineHelpLink()
    {
        Bench b;
        appModel().setValue("online_help_tools_url", QStringLiteral("https://help.example/tools?a=1&b=2"));
        b.page.onGetAddressResult(1);
        QVERIFY(b.ui.label_onlinehelp->isHidden());
        b.page.onGetAddressResult(0);
        QVERIFY(!b.ui.label_onlinehelp->isHidden());
        QVERIFY(b.ui.label_onlinehelp->text().contains(QLatin1String("OnLine Help")));
        QVERIFY(b.ui.label_onlinehelp->text().contains(QLatin1String("https://help.example/tools?a=1&amp;b=2")));
        // Reached like the other pages' help links: by Tab, as a link, never
        // as selectable text.
        QCOMPARE(b.ui.label_onlinehelp->focusPolicy(), Qt::TabFocus);
        QCOMPARE(b.ui.label_onlinehelp->textInteractionFlags(),
                 Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        QVERIFY(!b.ui.label_onlinehelp->openExternalLinks());
        emit b.ui.label_onlinehelp->linkActivated(QStringLiteral("https://help.example/tools"));
        emit b.ui.label_onlinehelp->linkActivated(QStringLiteral("file:///etc/passwd"));
        QCOMPARE(b.host.opened, QList<QUrl>{QUrl(QStringLiteral("https://help.example/tools"))});
        appModel().setValue("online_help_tools_url", QString());
        b.page.onGetAddressResult(0);
        QVERIFY(b.ui.label_onlinehelp->isHidden());
    }

    // Not offered while the page is not shown, nor twice in one connection;
    // declined, nothing starts and nothing closes.
    void productSwitchUnsolicitedIsIgnored()
    {
        SiblingOnPath sibling(true);
        {
            Bench b;
            Boxes boxes;
            b.connectDevice();
            b.deliverAndRefresh(switchReport());
            QVERIFY(boxes.seen.empty());
            QCOMPARE(b.host.closeCalls, 0);
        }
        {
            Bench b;
            Boxes boxes;
            b.connectDevice();
            b.page.PageEnter();
            boxes.answers = {QMessageBox::No};
            b.deliverAndRefresh(switchReport());
            QCOMPARE(boxes.seen.size(), size_t(1));
            QCOMPARE(boxes.seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
            b.deliverAndRefresh(switchReport());
            QCOMPARE(boxes.seen.size(), size_t(1));
            QCOMPARE(b.host.closeCalls, 0);
        }
        QVERIFY(!QFile::exists(sibling.marker()));
    }

    void productSwitchWithoutSiblingKeepsTheProgram()
    {
        SiblingOnPath sibling(false);
        Bench b;
        Boxes boxes;
        b.connectDevice();
        b.page.PageEnter();
        b.deliverAndRefresh(switchReport());
        QCOMPARE(boxes.seen.size(), size_t(2));
        QCOMPARE(boxes.seen.back().title, QStringLiteral("Warning"));
        QCOMPARE(b.host.closeCalls, 0);
    }

    void productSwitchStartsTheSiblingThenCloses()
    {
        SiblingOnPath sibling(true);
        Bench b;
        Boxes boxes;
        b.connectDevice();
        b.page.PageEnter();
        b.deliverAndRefresh(switchReport());
        QCOMPARE(b.host.closeCalls, 1);
        QCOMPARE(boxes.seen.back().text, QStringLiteral("Change to qarno Success,Please repower you controller."));
        QTRY_COMPARE(sibling.arguments(), QByteArray("SKIPSTARTUPLOGO1"));
    }

    void looks()
    {
        Bench b;
        b.connectDevice();
        ImuRecord r;
        r.gyro = {0.5f, -0.2f, 0.9f};
        r.accel = {0.01f, -0.02f, 1.01f};
        r.compassRaw = {-120, 33, 400};
        r.compassCali = {-118, 35, 402};
        r.sensor = 21.5f;
        r.press = 1013.2f;
        r.state = 0x31;
        b.imu(r);
        b.page.resize(820, 540);
        b.page.show();
        QVERIFY(b.page.grab().save(kzo::test::shotPath(QStringLiteral("tools_page_ready"))));
        r.state = 0x32;
        r.progress = 45;
        b.imu(r);
        b.page.onShowTipText(QStringLiteral(" Reset OK.  "));
        QVERIFY(b.page.grab().save(kzo::test::shotPath(QStringLiteral("tools_page_calibration"))));
        b.deliverAndRefresh(ackRecord(FlightHabitsAck, {0, 0, 0, 0, 1, 0, 0, 0}));
        b.ui.tabWidget->setCurrentIndex(kzo::pages::ToolsPageUi::generalTab);
        QVERIFY(b.page.grab().save(kzo::test::shotPath(QStringLiteral("tools_page_general"))));

        b.ui.pushButtonPlot->click();
        QVERIFY(b.page.plotWindow()->isVisible());
        for (int i = 0; i < 30; ++i) {
            r.compassRaw = {static_cast<int16_t>(-400 + 20 * i), static_cast<int16_t>(300 - 10 * i), 100};
            r.compassCali = {static_cast<int16_t>(-380 + 20 * i), static_cast<int16_t>(310 - 10 * i), 120};
            b.imu(r);
        }
        QCOMPARE(b.page.plotWidgets().plotter->curveData(0).size(), 30);
        QCOMPARE(b.page.plotWidgets().plotter->curveData(5).back().y(), 120.0);
        QVERIFY(b.page.plotWindow()->grab().save(kzo::test::shotPath(QStringLiteral("tools_plot"))));

        // Every clickable control can be named by assistive technology.
        for (QWidget* w : b.page.findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QTabWidget*>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }
};

QTEST_MAIN(TestToolsPage)
#include "test_tools_page.moc"
