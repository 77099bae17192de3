// kzo-flash: writes one firmware image into one module of the gimbal.
//   kzo-flash [--port PATH]... [--no-udev] --module NAME IMAGE
//   kzo-flash --help | --version
// Exit 0 success, 1 failure, 2 bad arguments or an unreadable, empty or
// malformed image.
#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "link/DeviceFinder.h"
#include "link/FinderArgs.h"
#include "link/SimpleDevIo.h"
#include "protocol/DevAckID.h"
#include "protocol/FrameCodec.h"
#include "upgrade/DevUpgrade.h"
#include "upgrade/HexImage.h"
#include "upgrade/ImageFile.h"
#include "upgrade/flash/FlashJob.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdio>

namespace {

using kzo::flash::FlashJob;
using kzo::flash::ImagePath;

constexpr int pollMs = 100;
constexpr int stallPolls = 160; // given up on the 161st poll without a change
constexpr int closeGraceMs = 1500;

int fail(int code, const std::string& text)
{
    std::fprintf(stderr, "kzo-flash: %s\n", text.c_str());
    return code;
}

// Tells the GUI thread when the port opens and closes.
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
    FlashRun(const FlashJob& job, std::vector<uint8_t> image, orb::DevUpgrade& engine, LinkWatch& link)
        : job(job), image(std::move(image)), engine(engine), link(link)
    {
        connect(&poll, &QTimer::timeout, this, &FlashRun::tick);
        poll.start(pollMs);
    }
    int exitCode = 1;

private:
    bool start()
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

    void tick()
    {
        if (done) {
            // Leave once the engine has closed the port behind the outcome.
            if (!link.connected || ++graceTicks * pollMs >= closeGraceMs)
                QCoreApplication::exit(exitCode);
            return;
        }
        if (!started) {
            if (link.connected) {
                started = true;
                stall = 0;
                if (!start()) {
                    exitCode = fail(2, "the image could not be read: " + job.image);
                    QCoreApplication::exit(exitCode);
                }
            } else if (++stall > stallPolls) {
                exitCode = fail(1, "no device found");
                QCoreApplication::exit(exitCode);
            }
            return;
        }
        if (engine.isIdle()) {
            done = true;
            if (engine.upgradeResult()) {
                printProgress(100);
                logStdout("\nUpgrade success! Please power cycle device!\n");
                exitCode = 0;
            } else {
                logStdout("\n");
                exitCode = fail(1, timedOut ? "Upgrade timeout! Please power cycle device and try again!"
                                            : "Upgrade failure! Please power cycle device and try again!");
            }
            return;
        }
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
    std::vector<uint8_t> image;
    orb::DevUpgrade& engine;
    LinkWatch& link;
    QTimer poll;
    bool started = false;
    bool done = false;
    bool timedOut = false;
    int stall = 0;
    int lastProgress = 0;
    int graceTicks = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);

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

    GlobalCfg cfg;
    frameCrcSeed = cfg.crcSeed;
    frameCrcEnabled = cfg.crcEnabled;
    currentDevIo = &orb::simpleDevIo();
    orb::DevAckID acks;
    orb::DevUpgrade engine;
    LinkWatch link;
    currentDevIo->addListener(&acks);
    currentDevIo->addListener(&engine);
    currentDevIo->addListener(&link);

    FlashRun run(job, std::move(*image), engine, link);
    setFinderOptions(finder.options);
    setDeviceListener(currentDevIo);
    startDeviceFinder();
    const int code = app.exec();
    stopDeviceFinder();
    setDeviceListener(nullptr);
    if (link.connected)
        currentDevIo->close();
    currentDevIo->removeListener(&link);
    currentDevIo->removeListener(&engine);
    currentDevIo->removeListener(&acks);
    return code;
}
