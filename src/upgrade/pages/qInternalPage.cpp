#include "upgrade/pages/qInternalPage.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "commands/qConnector.h"
#include "console/DevConsole.h"
#include "protocol/FrameCodec.h"
#include "upgrade/DevUpgrade.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>

namespace {

constexpr uint16_t firstTestCommand = 0x02E0; // BTN_A; BTN_H is 0x02E7
// Far beyond any module image; a larger file is not one.
constexpr qint64 maxImageBytes = 16LL << 20;

QString defaultChooser(const QString& title, const QString& dir, const QString& filter)
{
    return QFileDialog::getOpenFileName(nullptr, title, dir, filter);
}

QSettings userSettings()
{
    return QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
}

} // namespace

qInternalPage::qInternalPage(QWidget* parent)
    : qTabPage(parent), run([this](orb::DevCmd& cmd) { return send(cmd); }), chooseFile(defaultChooser)
{
    setObjectName(QStringLiteral("qInternalPage"));
    setWhatsThis(QStringLiteral("internal"));
    setTitle(tr("Internal-1"));
    ui.setupUi(this);

    ackTimer.setSingleShot(true);
    ackTimer.setInterval(defaultAckTimeoutMs);
    connect(&ackTimer, &QTimer::timeout, this, &qInternalPage::onAckTimeout);

    connect(ui.BTN_UPGRADE, &QPushButton::clicked, this, &qInternalPage::doUpgrade);
    connect(ui.BTN_GIMBAL, &QPushButton::clicked, this, &qInternalPage::doGimbalUpgrade);
    connect(ui.BTN_CMU, &QPushButton::clicked, this, &qInternalPage::doCmuUpgrade);
    connect(ui.BTN_PITCH, &QPushButton::clicked, this, &qInternalPage::doPitchUpgrade);
    connect(ui.BTN_ROLL, &QPushButton::clicked, this, &qInternalPage::doRollUpgrade);
    connect(ui.BTN_YAW, &QPushButton::clicked, this, &qInternalPage::doYawUpgrade);
    connect(ui.BTN_DUMP, &QPushButton::clicked, this, &qInternalPage::doCommDump);
    for (QPushButton* b : ui.testButtons)
        connect(b, &QPushButton::clicked, this, &qInternalPage::onBtnClicked);
    connect(ui.BTN_WRITE, &QPushButton::clicked, this, &qInternalPage::onWriteClicked);
    connect(ui.lineEdit_ID, &QLineEdit::returnPressed, this, &qInternalPage::onWriteClicked);
}

qInternalPage::~qInternalPage() = default;

void qInternalPage::setFileChooser(FileChooser chooser)
{
    chooseFile = chooser ? std::move(chooser) : FileChooser(defaultChooser);
}

void qInternalPage::PageTick() {}

void qInternalPage::PageEnter()
{
    // This page talks to boot loaders itself: the connection manager must not
    // take their answers for a module stuck in its loader.
    if (qConnector* c = qConnector::instance())
        c->isLoaderMode() = true;
}

void qInternalPage::PageLeave()
{
    if (qConnector* c = qConnector::instance())
        c->isLoaderMode() = false;
    endGimbalRun();
    ui.progressBar->hide();
}

// ------------------------------------------------------------- frames --

bool qInternalPage::wantsFrame(const uint8_t* record)
{
    const uint16_t id = kzo::frame::recordCommandId(record);
    lastFrameId.store(id);
    switch (id) {
    case orb::cmdid::ImuLoaderReady:
    case orb::cmdid::ImuLengthAck:
    case orb::cmdid::ImuBlockAck:
    case orb::cmdid::ImuDone:
        // The list and its timer belong to the GUI thread; each answer is
        // handled there once, in order.
        QMetaObject::invokeMethod(this, [this, id] { onGimbalAck(id); }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return true;
}

void qInternalPage::refresh()
{
    const int id = lastFrameId.load();
    if (id >= 0)
        ui.label_ID->setText(QString::asprintf("0x%04X", static_cast<unsigned>(id)));
    showRun();
}

void qInternalPage::showRun()
{
    if (run.done() && !run.running()) {
        ui.progressBar->hide();
        return;
    }
    if (run.started()) {
        ui.progressBar->setRange(0, 100);
        ui.progressBar->setValue(run.percent());
        ui.progressBar->show();
    }
}

// ------------------------------------------------------ IMU command list --

void qInternalPage::doGimbalUpgrade()
{
    if (run.running()) {
        logTaggedLevel(3, "Upgrade", "An IMU upgrade is already running.");
        return;
    }
    if (appModel().status() == AppUpgrading) {
        logTaggedLevel(3, "Upgrade", "Another upgrade is running; IMU upgrade not started.");
        return;
    }
    QSettings settings = userSettings();
    const QString key = QStringLiteral("path/firmware");
    const QString file = chooseFile(QStringLiteral("IMU"), settings.value(key).toString(),
                                    QStringLiteral("Firmware (*.bin *.enc)"));
    if (file.isEmpty())
        return;
    settings.setValue(key, QFileInfo(file).absolutePath());

    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        logTaggedLevel(3, "Upgrade", "Cannot read %s", qPrintable(file));
        return;
    }
    if (f.size() > maxImageBytes) {
        logTaggedLevel(3, "Upgrade", "Image file too large (%lld bytes): %s", static_cast<long long>(f.size()),
                       qPrintable(file));
        return;
    }
    const QByteArray image = f.readAll();
    if (image.isEmpty()) {
        logTaggedLevel(3, "Upgrade", "Empty image file %s", qPrintable(file));
        return;
    }
    const bool enciphered = file.endsWith(QLatin1Char('c'), Qt::CaseInsensitive);
    imuRecord.emplace(orb::module::Imu, QString(), appModel().value("fw_imu").trimmed(), QFileInfo(file).fileName(),
                      image);
    run.begin(kzo::upgrade::GimbalUpgradeRun::buildCommands(
        {reinterpret_cast<const uint8_t*>(image.constData()), static_cast<size_t>(image.size())}, enciphered));

    ui.progressBar->setRange(0, 0); // busy until the loader answers
    ui.progressBar->show();
    appModel().setStatus(AppUpgrading);
    if (io)
        io->sendCommand(orb::cmdid::ImuStart);
    ackTimer.start();
}

void qInternalPage::onGimbalAck(uint16_t id)
{
    using Outcome = kzo::upgrade::GimbalUpgradeRun::Outcome;
    switch (run.onAck(id)) {
    case Outcome::Sent:
    case Outcome::Waiting:
        ackTimer.start();
        break;
    case Outcome::Finished:
        ackTimer.stop();
        logImuOutcome(kzo::upgrade::outcomeOk());
        if (appModel().status() == AppUpgrading)
            appModel().setStatus(AppIdle);
        break;
    case Outcome::Ignored:
        break;
    }
    showRun();
}

void qInternalPage::onAckTimeout()
{
    if (!run.running())
        return;
    logTaggedLevel(3, "Upgrade", "IMU upgrade timeout: no answer after %d of %d commands.", run.sentCount(),
                   run.commandCount());
    logImuOutcome(run.started() ? kzo::upgrade::outcomeFailed(QStringLiteral("no answer after %1 of %2 commands")
                                                                   .arg(run.sentCount())
                                                                   .arg(run.commandCount()))
                                : kzo::upgrade::outcomeRefused(QStringLiteral("the IMU boot loader did not answer")));
    endGimbalRun();
    ui.progressBar->hide();
}

void qInternalPage::endGimbalRun()
{
    ackTimer.stop();
    if (!run.running())
        return;
    logImuOutcome(kzo::upgrade::outcomeFailed(QStringLiteral("abandoned: the page was left")));
    run.abandon();
    // Only the status this run set: an upgrade by the engine or a read-all
    // keeps its own.
    if (appModel().status() == AppUpgrading)
        appModel().setStatus(AppIdle);
}

// ---------------------------------------------------------- file upgrades --

void qInternalPage::doUpgrade()
{
    DevConsole* console = DevConsole::instance();
    if (!console) {
        logTaggedLevel(3, "Upgrade", "No developer console in this program.");
        return;
    }
    console->execute(L"dlgup");
}

void qInternalPage::logImuOutcome(const QString& outcome)
{
    if (!imuRecord)
        return;
    QString error;
    if (!imuRecord->append(outcome, &error))
        logTaggedLevel(3, "Upgrade", "Cannot add to the flash log %s: %s", qPrintable(kzo::upgrade::flashLogPath()),
                       qPrintable(error));
    imuRecord.reset();
}

void qInternalPage::fileUpgrade(const QString& title, const QString& key, const QString& filter, EngineFile start,
                                int module, const char* versionKey)
{
    QSettings settings = userSettings();
    const QString file = chooseFile(title, settings.value(key).toString(), filter);
    if (file.isEmpty())
        return;
    settings.setValue(key, QFileInfo(file).absolutePath());
    orb::DevUpgrade* engine = orb::DevUpgrade::instance();
    if (!engine) {
        logTaggedLevel(3, "Upgrade", "No upgrade engine in this program.");
        return;
    }
    if (!(engine->*start)(file.toStdWString())) {
        logTaggedLevel(3, "Upgrade", "%s upgrade not started: %s", qPrintable(title), qPrintable(file));
        return;
    }
    // The bytes the engine has just read, for the log's size and digest.
    QFile f(file);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.read(maxImageBytes) : QByteArray();
    engineWatch.follow(*engine, kzo::upgrade::FlashRecorder(module, QString(),
                                                            versionKey ? appModel().value(versionKey).trimmed() : QString(),
                                                            QFileInfo(file).fileName(), bytes));
}

void qInternalPage::doCmuUpgrade()
{
    fileUpgrade(QStringLiteral("CMU"), QStringLiteral("path/firmware_CMU"), QStringLiteral("Firmware (*.bin *.enc)"),
                &orb::DevUpgrade::upgradeCmuFile, orb::module::Cmu, "fw_cmu");
}

void qInternalPage::doPitchUpgrade()
{
    fileUpgrade(QStringLiteral("PITCH"), QStringLiteral("path/firmware_PITCH"),
                QStringLiteral("Firmware (*.hex *.enc)"), &orb::DevUpgrade::upgradePitchFile, orb::module::Pitch, nullptr);
}

void qInternalPage::doRollUpgrade()
{
    fileUpgrade(QStringLiteral("ROLL"), QStringLiteral("path/firmware_ROLL"), QStringLiteral("Firmware (*.hex *.enc)"),
                &orb::DevUpgrade::upgradeRollFile, orb::module::Roll, nullptr);
}

void qInternalPage::doYawUpgrade()
{
    fileUpgrade(QStringLiteral("YAW"), QStringLiteral("path/firmware_YAW"), QStringLiteral("Firmware (*.hex *.enc)"),
                &orb::DevUpgrade::upgradeYawFile, orb::module::Yaw, nullptr);
}

// ------------------------------------------------------------ raw commands --

void qInternalPage::doTest1() {}

void qInternalPage::doCommDump()
{
    if (io)
        io->toggleDump();
}

void qInternalPage::onBtnClicked()
{
    logStdout("Button Clicked\n");
    for (size_t i = 0; i < ui.testButtons.size(); ++i) {
        if (sender() == ui.testButtons[i] && io)
            io->sendCommand(static_cast<uint16_t>(firstTestCommand + i));
    }
}

void qInternalPage::onWriteClicked()
{
    const QString text = ui.lineEdit_ID->text().trimmed();
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (!ok || value > 0xFFFF) {
        logTaggedLevel(3, "Write", "Not a hexadecimal command id: \"%s\"", qPrintable(text));
        return;
    }
    logTaggedLevel(2, "Write", "CMDID = 0x%.4x", value);
    if (io)
        io->sendCommand(static_cast<uint16_t>(value));
}
