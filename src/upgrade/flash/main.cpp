// kzo-flash: writes one firmware image into one module of the gimbal, lists
// the gimbal's ports, and shows the flash log. See --help (helpText()).
#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "link/DeviceFinder.h"
#include "link/FinderArgs.h"
#include "link/PathText.h"
#include "link/SimpleDevIo.h"
#include "paramfiles/ParamBackup.h"
#include "paramfiles/ParamRestore.h"
#include "protocol/DevAckID.h"
#include "protocol/FrameCodec.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/FlashLog.h"
#include "upgrade/HexImage.h"
#include "upgrade/ImageFile.h"
#include "upgrade/flash/DeviceProbe.h"
#include "upgrade/flash/FlashJob.h"
#include "upgrade/flash/PortListing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <memory>

namespace {

using kzo::flash::FlashJob;
using kzo::flash::ImagePath;
using kzo::upgrade::FlashRecorder;

constexpr int pollMs = 100;
constexpr int closeGraceMs = 1500;
constexpr int probePolls = 15;      // the status and version answers, at most 1.5 s
constexpr int probeResendPolls = 5; // status asked again every 0.5 s until answered

constexpr int exitFailed = 1;
constexpr int exitBadImage = 2;
constexpr int exitNoBackup = 3;

int fail(int code, const std::string& text)
{
    std::fprintf(stderr, "kzo-flash: %s\n", text.c_str());
    return code;
}

void note(const QString& text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Tells the event-loop thread when the port opens and closes.
class LinkWatch : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* event) override
    {
        if (event->kind == EvConnected)
            connected = true;
        else if (event->kind == EvDisconnected)
            connected = false;
    }
    std::atomic<bool> connected{false};
};

class FlashRun : public QObject {
public:
    FlashRun(const kzo::flash::ParsedJob& parsed, std::vector<uint8_t> image, orb::DevUpgrade& engine,
             LinkWatch& link, kzo::flash::DeviceProbe& probe)
        : job(parsed.job), noBackup(parsed.noBackup), stallPolls(parsed.stallSeconds * 1000 / pollMs),
          image(std::move(image)), engine(engine), link(link), probe(probe),
          recorder(job.module, QString(), QString(), QFileInfo(QString::fromLocal8Bit(job.image.c_str())).fileName(),
                   QByteArray(reinterpret_cast<const char*>(this->image.data()),
                              static_cast<qsizetype>(this->image.size())))
    {
        connect(&poll, &QTimer::timeout, this, &FlashRun::tick);
        connect(&engine, &orb::DevUpgrade::upgradeError, this, [this](int) { transmitError = true; });
        poll.start(pollMs);
    }
    int exitCode = exitFailed;

private:
    enum class Phase { WaitLink, Probing, BackingUp, Flashing, Done };

    bool startEngine()
    {
        const std::wstring path = QString::fromLocal8Bit(job.image.c_str()).toStdWString();
        switch (job.path) {
        case ImagePath::RawFile:
            return job.module == orb::module::Mc ? engine.upgradeMcFile(path) : engine.upgradeCmuFile(path);
        case ImagePath::HexFile:
            if (job.module == orb::module::Pitch)
                return engine.upgradePitchFile(path);
            return job.module == orb::module::Roll ? engine.upgradeRollFile(path) : engine.upgradeYawFile(path);
        case ImagePath::Imu:
            engine.setTarget(orb::module::Imu, 0, 1);
            return engine.upgradeImu(image.data(), static_cast<int>(image.size()));
        case ImagePath::Can:
            engine.setTarget(job.module, 0, 0);
            return engine.upgradeImage(image.data(), static_cast<int>(image.size()),
                                       orb::upgrade::encryptedFlagOf(path));
        }
        return false;
    }

    // The run's outcome: one line in the flash log, then leave once the port is closed.
    void conclude(int code, const QString& outcome, bool closePort)
    {
        phase = Phase::Done;
        exitCode = code;
        QString error;
        if (!recorder.append(outcome, &error))
            fail(0, "cannot add to the flash log " + kzo::upgrade::flashLogPath().toStdString() + ": "
                        + error.toStdString());
        if (closePort && link.connected)
            currentDevIo->close();
    }

    void tick()
    {
        switch (phase) {
        case Phase::Done:
            if (!link.connected || ++graceTicks * pollMs >= closeGraceMs)
                QCoreApplication::exit(exitCode);
            return;
        case Phase::WaitLink:
            if (link.connected) {
                phase = Phase::Probing;
                probeTicks = 0;
                probe.ask(job.module);
            } else if (++stall > stallPolls) {
                fail(exitFailed, "no device found");
                conclude(exitFailed, kzo::upgrade::outcomeFailed("no device found"), false);
            }
            return;
        case Phase::Probing:
            ++probeTicks;
            if (!probe.complete() && probeTicks < probePolls) {
                if (!probe.statusKnown() && probeTicks % probeResendPolls == 0)
                    probe.ask(job.module);
                return;
            }
            recorder.setPort(QString::fromStdWString(orb::simpleDevIo().connectedPort()));
            recorder.setVersionBefore(probe.versionBefore());
            beforeFlash();
            return;
        case Phase::BackingUp:
            return; // the backup's finished() moves on
        case Phase::Flashing:
            watchEngine();
            return;
        }
    }

    void beforeFlash()
    {
        if (job.module != orb::module::Mc || noBackup) {
            startFlash();
            return;
        }
        // Parameters live in the main controller's running firmware: a
        // controller in its loader, or one that does not answer at all, has
        // none to give.
        if (probe.mcInLoader() || !probe.statusKnown()) {
            note(probe.mcInLoader()
                     ? QStringLiteral("The main controller is in its boot loader: its parameters cannot be saved first.")
                     : QStringLiteral("The main controller does not answer: its parameters cannot be saved first."));
            startFlash();
            return;
        }
        const QString path = kzo::paramfiles::newBackupPath(kzo::upgrade::userDataFolder() + QStringLiteral("/backups"));
        note(QStringLiteral("Saving the parameters to %1 ...").arg(QDir::toNativeSeparators(path)));
        phase = Phase::BackingUp;
        backup = std::make_unique<kzo::paramfiles::ParamBackup>(path);
        connect(backup.get(), &kzo::paramfiles::ParamBackup::finished, this, [this](bool ok) {
            if (ok) {
                backupPath = backup->filePath();
                note(QStringLiteral("Parameters saved to %1").arg(QDir::toNativeSeparators(backupPath)));
                startFlash();
                return;
            }
            const QString reason = backup->errorText();
            fail(exitNoBackup, "the parameters could not be saved (" + reason.toStdString()
                                   + "); nothing was flashed. Run again with --no-backup to flash without a backup.");
            conclude(exitNoBackup, kzo::upgrade::outcomeRefused(QStringLiteral("parameter backup failed: ") + reason),
                     true);
        });
        backup->start();
    }

    void startFlash()
    {
        phase = Phase::Flashing;
        stall = 0;
        if (!startEngine()) {
            fail(exitBadImage, "the image could not be read: " + job.image);
            conclude(exitBadImage, kzo::upgrade::outcomeFailed(QStringLiteral("the image could not be read")), true);
        }
    }

    void watchEngine()
    {
        if (engine.isIdle()) {
            if (engine.upgradeResult()) {
                printProgress(100);
                logStdout("\nUpgrade success! Please power cycle device!\n");
                if (!backupPath.isEmpty())
                    note(QStringLiteral("The parameters saved before the upgrade are in %1.\n"
                                        "Once the device is re-powered, load them back with: kzo-flash --restore %1\n"
                                        "(or in kzo-assistant --all-pages: Tools, Import Parameters).")
                             .arg(QDir::toNativeSeparators(backupPath)));
                conclude(0, kzo::upgrade::outcomeOk(), false);
                return;
            }
            logStdout("\n");
            QString outcome;
            if (timedOut && !engine.hasResponse() && !sawResponse) {
                fail(exitFailed, "Upgrade timeout! Please power cycle device and try again!");
                outcome = kzo::upgrade::outcomeRefused(QStringLiteral("the module did not enter its boot loader"));
            } else if (timedOut) {
                fail(exitFailed, "Upgrade timeout! Please power cycle device and try again!");
                outcome = kzo::upgrade::outcomeFailed(
                    QStringLiteral("no progress for %1 s").arg(stallPolls * pollMs / 1000));
            } else {
                fail(exitFailed, "Upgrade failure! Please power cycle device and try again!");
                outcome = kzo::upgrade::outcomeFailed(transmitError
                                                          ? QStringLiteral("the module reported a transmit error")
                                                          : QStringLiteral("the module stopped answering or refused the image"));
            }
            conclude(exitFailed, outcome, false);
            return;
        }
        sawResponse = sawResponse || engine.hasResponse();
        const int p = engine.progress();
        if (p != lastProgress) {
            lastProgress = p;
            stall = 0;
        } else if (++stall > stallPolls) {
            timedOut = true;
            engine.finish(false);
            stall = 0;
        }
    }

    FlashJob job;
    bool noBackup;
    int stallPolls;
    std::vector<uint8_t> image;
    orb::DevUpgrade& engine;
    LinkWatch& link;
    kzo::flash::DeviceProbe& probe;
    FlashRecorder recorder;
    std::unique_ptr<kzo::paramfiles::ParamBackup> backup;
    QString backupPath;
    QTimer poll;
    Phase phase = Phase::WaitLink;
    bool timedOut = false;
    bool transmitError = false;
    bool sawResponse = false;
    int stall = 0;
    int probeTicks = 0;
    int lastProgress = 0;
    int graceTicks = 0;
};

// --restore: waits for the device, then writes the file's blocks.
class RestoreRun : public QObject {
public:
    RestoreRun(kzo::paramfiles::ParamRestore& restore, LinkWatch& link, int stallSeconds)
        : restore(restore), link(link), stallPolls(stallSeconds * 1000 / pollMs)
    {
        connect(&poll, &QTimer::timeout, this, &RestoreRun::tick);
        connect(&restore, &kzo::paramfiles::ParamRestore::finished, this, [this](bool ok) {
            if (ok)
                note(QStringLiteral("Parameters restored; re-power the controller."));
            else
                fail(exitFailed, "the parameters were not restored: " + this->restore.errorText().toStdString()
                                     + " (" + std::to_string(this->restore.writtenBlocks()) + " of 8 blocks written)");
            QCoreApplication::exit(ok ? 0 : exitFailed);
        });
        poll.start(pollMs);
    }

private:
    void tick()
    {
        if (started)
            return;
        if (link.connected) {
            started = true;
            restore.start();
        } else if (++stall > stallPolls) {
            QCoreApplication::exit(fail(exitFailed, "no device found"));
        }
    }
    kzo::paramfiles::ParamRestore& restore;
    LinkWatch& link;
    int stallPolls;
    QTimer poll;
    bool started = false;
    int stall = 0;
};

int printHistory(int count)
{
    const QString path = kzo::upgrade::flashLogPath();
    const std::vector<kzo::upgrade::FlashRecord> entries = kzo::upgrade::readFlashLog(path, count);
    if (entries.empty()) {
        note(QStringLiteral("No upgrades in the flash log (%1).").arg(QDir::toNativeSeparators(path)));
        return 0;
    }
    for (const kzo::upgrade::FlashRecord& r : entries)
        note(kzo::upgrade::formatFlashRecord(r));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    FinderArgs finder = parseFinderArgs(argc, argv);
    const kzo::flash::ParsedJob parsed = kzo::flash::parseFlashJob(finder.rest);
    if (parsed.help) {
        std::fputs(kzo::flash::helpText().c_str(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("kzo-flash %s\n", KZO_VERSION);
        return 0;
    }
    if (!finder.error.empty())
        return fail(2, finder.error + "; " + kzo::flash::usage);
    if (!parsed.error.empty())
        return fail(2, parsed.error + "; " + kzo::flash::usage);

    QCoreApplication app(argc, argv);
    if (parsed.mode == kzo::flash::Mode::List) {
        std::fputs(kzo::flash::formatPortList(kzo::flash::listPorts(finder.options.ports, finder.options.useUdev)).c_str(),
                   stdout);
        return 0;
    }
    if (parsed.mode == kzo::flash::Mode::History)
        return printHistory(parsed.historyCount);

    GlobalCfg cfg;
    frameCrcSeed = cfg.crcSeed;
    frameCrcEnabled = cfg.crcEnabled;
    currentDevIo = &orb::simpleDevIo();

    if (parsed.mode == kzo::flash::Mode::Restore) {
        // The file is checked before the port opens.
        kzo::paramfiles::ParamRestore restore(QString::fromLocal8Bit(parsed.restoreFile.c_str()));
        if (restore.outcome() == kzo::paramfiles::ParamRestore::Outcome::BadFile)
            return fail(2, "cannot restore " + parsed.restoreFile + ": " + restore.errorText().toStdString());
        LinkWatch link;
        currentDevIo->addListener(&link);
        int code = exitFailed;
        {
            RestoreRun run(restore, link, parsed.stallSeconds);
            setFinderOptions(finder.options);
            setDeviceListener(currentDevIo);
            startDeviceFinder();
            code = app.exec();
            stopDeviceFinder();
            setDeviceListener(nullptr);
            if (link.connected)
                currentDevIo->close();
        }
        currentDevIo->removeListener(&link);
        return code;
    }

    const FlashJob& job = parsed.job;
    // Everything that can be wrong with the image is found before the port opens.
    const std::wstring path = QString::fromLocal8Bit(job.image.c_str()).toStdWString();
    auto image = orb::upgrade::readImageFile(path);
    if (!image)
        return fail(2, "cannot read image " + job.image);
    if (image->empty())
        return fail(2, "empty image " + job.image + ": nothing to flash");
    if (job.path == ImagePath::HexFile) {
        const auto hex = orb::upgrade::buildHexImage(*image, 0, *orb::upgrade::directLoaderIds(job.module));
        if (hex.error != orb::upgrade::HexError::None)
            return fail(2, "malformed image " + job.image + ": " + orb::upgrade::hexErrorText(hex));
    }

    orb::DevAckID acks;
    orb::DevUpgrade engine;
    LinkWatch link;
    kzo::flash::DeviceProbe probe;
    currentDevIo->addListener(&acks);
    currentDevIo->addListener(&engine);
    currentDevIo->addListener(&link);
    currentDevIo->addListener(&probe);

    int code = exitFailed;
    {
        FlashRun run(parsed, std::move(*image), engine, link, probe);
        setFinderOptions(finder.options);
        setDeviceListener(currentDevIo);
        startDeviceFinder();
        code = app.exec();
        stopDeviceFinder();
        setDeviceListener(nullptr);
        if (link.connected)
            currentDevIo->close();
    }
    currentDevIo->removeListener(&probe);
    currentDevIo->removeListener(&link);
    currentDevIo->removeListener(&engine);
    currentDevIo->removeListener(&acks);
    return code;
}
