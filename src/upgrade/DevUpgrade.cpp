#include "upgrade/DevUpgrade.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "protocol/DevAckID.h"
#include "protocol/FrameCodec.h"
#include "upgrade/HexImage.h"
#include "upgrade/ImageFile.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace orb {

namespace {

constexpr const char* tag = "Upgrade";
// A start with nothing to send would end in the loader's success.
constexpr const char* emptyImageText = "Image is empty, nothing to flash";

void setAckEcho(bool on)
{
    if (DevAckID* printer = SingletonEx<DevAckID>::instance())
        printer->printAcks.store(on);
}

} // namespace

// Holds the state lock for one public entry on the engine's own thread;
// replays parked listener events first so they keep their order, and emits
// the signals decided meanwhile once the lock is released.
class DevUpgrade::Guard {
public:
    explicit Guard(DevUpgrade& engine) : e(engine)
    {
        e.stateLock.lock();
        e.drainMailbox(emits);
    }
    ~Guard()
    {
        e.stateLock.unlock();
        e.emitAll(emits);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    Emits emits;

private:
    DevUpgrade& e;
};

DevUpgrade::DevUpgrade(QObject* parent) : QObject(parent), timer(new QTimer(this))
{
    timer->setInterval(timerIntervalMs);
    connect(timer, &QTimer::timeout, this, &DevUpgrade::handleTimeout);
    connect(this, &DevUpgrade::upgradeCheckResult, this, &DevUpgrade::onUpgradeFinished);
}

DevUpgrade::~DevUpgrade() = default;

void DevUpgrade::setTarget(uint8_t moduleCode, uint8_t subCode, int directMode)
{
    Guard g(*this);
    module = moduleCode;
    subModule = subCode;
    direct = directMode;
}

// ---------------------------------------------------------------- starting

bool DevUpgrade::upgradeMcFile(const std::wstring& path) { return startFileUpgrade(path, module::Mc, false); }
bool DevUpgrade::upgradeCmuFile(const std::wstring& path) { return startFileUpgrade(path, module::Cmu, false); }
bool DevUpgrade::upgradePitchFile(const std::wstring& path) { return startFileUpgrade(path, module::Pitch, true); }
bool DevUpgrade::upgradeRollFile(const std::wstring& path) { return startFileUpgrade(path, module::Roll, true); }
bool DevUpgrade::upgradeYawFile(const std::wstring& path) { return startFileUpgrade(path, module::Yaw, true); }

bool DevUpgrade::startFileUpgrade(const std::wstring& path, uint8_t moduleCode, bool hexImage)
{
    Guard g(*this);
    resetLocked();
    idle_ = false;
    // A start that sends nothing leaves the engine idle, so pollers see the
    // failed outcome at once instead of waiting for a stall.
    auto refuse = [this] {
        resetLocked();
        return false;
    };
    if (path.empty())
        return refuse();

    imagePath = path;
    const upgrade::LoaderIds ids = *upgrade::directLoaderIds(moduleCode);
    module = moduleCode;
    subModule = 0;
    direct = 1;

    resultOk_ = false;
    entered = 0;
    sequence = 1;
    clearCommands();

    const auto bytes = upgrade::readImageFile(path);
    if (!bytes) {
        logTaggedLevel(3, tag, "Open File Error !");
        return refuse();
    }
    if (!hexImage && bytes->empty()) {
        logTaggedLevel(3, tag, "%s", emptyImageText);
        return refuse();
    }
    const uint8_t flag = upgrade::encryptedFlagOf(path);
    upgrade::BuiltImage built;
    if (hexImage) {
        upgrade::HexImage hex = upgrade::buildHexImage(*bytes, flag, ids);
        if (hex.error != upgrade::HexError::None) {
            logTaggedLevel(3, tag, "%s", upgrade::hexErrorText(hex).c_str());
            return refuse();
        }
        logStdout("Read END !!\n");
        built = std::move(hex.image);
    } else {
        built = upgrade::buildDirectImage(*bytes, flag, ids);
    }
    logTaggedLevel(2, tag, "Total :%d,data Len: %d", static_cast<int>(built.packets.size()),
                   static_cast<int>(built.endValue));
    commands = std::move(built.packets);
    packetTotal = static_cast<int>(commands.size());
    imuPath = false;
    beginTransfer(flag != 0);
    return true;
}

bool DevUpgrade::upgradeImage(const uint8_t* bytes, int length, uint8_t encryptedFlag)
{
    Guard g(*this);
    resetLocked();
    idle_ = false;
    entered = 0;
    sequence = 0;

    const auto ids = direct ? upgrade::directLoaderIds(module) : upgrade::canLoaderIds();
    const bool rawLoader = !direct || module == module::Mc || module == module::Cmu;
    if (length < 0 || (!bytes && length > 0) || !ids || !rawLoader) {
        logTaggedLevel(3, tag, "Image upgrade refused for module %d", module);
        resetLocked();
        return false;
    }
    if (length == 0) {
        logTaggedLevel(3, tag, "%s", emptyImageText);
        resetLocked();
        return false;
    }
    const std::span<const uint8_t> image(bytes, static_cast<size_t>(length));
    upgrade::BuiltImage built = direct ? upgrade::buildDirectImage(image, encryptedFlag, *ids)
                                       : upgrade::buildCanImage(image, encryptedFlag, module, subModule);
    if (!direct)
        lastBlock = built.lastBlock;
    commands = std::move(built.packets);
    packetTotal = static_cast<int>(commands.size());
    logTaggedLevel(2, tag, "Total :%d ,fw Len:%d", packetTotal, length);
    imuPath = false;
    sequence = 1;
    beginTransfer(encryptedFlag != 0);
    return true;
}

bool DevUpgrade::upgradeImu(const uint8_t* bytes, int length)
{
    Guard g(*this);
    resetLocked();
    imuCommands.clear();
    if (length < 0 || (!bytes && length > 0)) {
        logTaggedLevel(3, tag, "Image upgrade refused for module %d", module::Imu);
        return false;
    }
    if (length == 0) {
        logTaggedLevel(3, tag, "%s", emptyImageText);
        return false;
    }
    imuCommands = upgrade::buildImuImage(std::span<const uint8_t>(bytes, static_cast<size_t>(length)));
    packetTotal = static_cast<int>(imuCommands.size());
    logTaggedLevel(2, tag, "Total :%d ,fw Len:%d", packetTotal, length);

    // Everything that expects the loader's answer is in place before 0x02B0
    // goes out: a loader on USB answers before the write has returned.
    running = true;
    runningFlag = true;
    finished = false;
    waiting = true;
    idle_ = false;
    imuStarted_ = false;
    imuPath = true;
    setAckEcho(false);
    appModel().setStatus(AppUpgrading);
    startTimer();
    if (io)
        io->sendCommand(cmdid::ImuStart);
    return true;
}

void DevUpgrade::beginTransfer(bool enciphered)
{
    running = true;
    runningFlag = true;
    startTimer();
    finished = false;
    // The verify request carries the last block only for an enciphered image
    // (zeros otherwise), so it must follow the flag the packets carry.
    encrypted = enciphered;
    appModel().setStatus(AppUpgrading);
    waiting = true;
    // Last: the status report may arrive before this write returns.
    sendStatusRequest();
}

// ---------------------------------------------------------------- ending

void DevUpgrade::reset()
{
    Guard g(*this);
    resetLocked();
}

void DevUpgrade::finish(bool success)
{
    Guard g(*this);
    finishLocked(success);
}

void DevUpgrade::onUpgradeFinished(int result) { finish(result == 0); }

void DevUpgrade::resetLocked()
{
    resultOk_ = false;
    packetTotal = 0;
    clearCommands();
    imagePath.clear();
    running = false;
    runningFlag = false;
    setAckEcho(true);
    idle_ = true;
    progress_ = 0;
    drawnProgress = -1;
    gotResponse_ = false;
    imuStarted_ = false;
    retries = 0;
    waiting = false;
    // Only an upgrade is ended here; a read-all or a restore runs on.
    if (appModel().status() == AppUpgrading)
        appModel().setStatus(AppIdle);
}

void DevUpgrade::finishLocked(bool success)
{
    if (success)
        logTaggedLevel(1, tag, "success, re-power device !");
    else
        logTaggedLevel(3, tag, "failure !");
    resetLocked();
    progress_ = 100;
    resultOk_ = success;
    finished = true;
}

void DevUpgrade::clearCommands()
{
    commands.clear();
    imuCommands.clear();
}

// ---------------------------------------------------------------- timer

void DevUpgrade::startTimer()
{
    if (QThread::currentThread() == thread())
        timer->start(timerIntervalMs);
    else
        QMetaObject::invokeMethod(timer, [t = timer] { t->start(timerIntervalMs); }, Qt::QueuedConnection);
}

void DevUpgrade::handleTimeout()
{
    bool closePort = false;
    {
        Guard g(*this);
        if (finished) {
            timer->stop();
            finished = false;
            closePort = true;
        } else if (module == module::Imu || imuPath) {
            // The IMU loader answers every packet; there is nothing to re-send.
        } else if (!running) {
            // Reset by a caller: no transfer to watch, and no failure to report.
        } else if (!entered) {
            if (waiting) {
                logTaggedLevel(2, tag, "Waitting for Response...");
                sendStatusRequest();
            }
        } else if (++ticks > 1) {
            // Two expiries without an answer: 600-1200 ms of silence.
            if (retries > 2) {
                logTaggedLevel(3, tag, "try 3 times!");
                finishLocked(false);
            } else {
                ++retries;
                if (!commands.empty()) {
                    ticks = 0;
                    writeFront();
                }
            }
        }
    }
    // Closing reports the link-down to every listener, this one included.
    if (closePort && io)
        io->close();
}

// ---------------------------------------------------------------- device events

void DevUpgrade::onDevEvent(const DevEvent* event)
{
    if (!event || !runningFlag.load())
        return;
    Incoming in;
    in.kind = event->kind;
    if (event->kind == EvFrame) {
        if (!event->data)
            return;
        in.id = kzo::frame::recordCommandId(event->data);
        // A frame without payload has its tail where the first payload byte would be.
        if (kzo::frame::recordLength(event->data) > kzo::frame::minFrameSize - kzo::frame::syncSize)
            in.state = event->data[kzo::frame::offPayload];
    } else if (event->kind != EvConnected) {
        return;
    }

    if (!stateLock.try_lock()) {
        // The engine's thread holds the state, perhaps waiting for the device
        // I/O lock this thread holds: park the event and let that thread replay it.
        {
            std::lock_guard m(mailboxLock);
            mailbox.push_back(in);
        }
        QMetaObject::invokeMethod(this, [this] { Guard g(*this); }, Qt::QueuedConnection);
        return;
    }
    Emits emits;
    drainMailbox(emits);
    handleLocked(in, emits);
    stateLock.unlock();
    emitAll(emits);
}

void DevUpgrade::drainMailbox(Emits& emits)
{
    std::vector<Incoming> parked;
    {
        std::lock_guard m(mailboxLock);
        parked.swap(mailbox);
    }
    for (const Incoming& in : parked)
        handleLocked(in, emits);
}

void DevUpgrade::emitAll(const Emits& emits)
{
    if (emits.startCheck)
        emit upgradeStartCheck();
    if (emits.checkResult)
        emit upgradeCheckResult(emits.checkValue);
    if (emits.error)
        emit upgradeError(1);
}

void DevUpgrade::handleLocked(const Incoming& in, Emits& emits)
{
    if (!running)
        return;
    if (in.kind == EvConnected) {
        if (!entered)
            sendStatusRequest();
        return;
    }
    if (imuPath)
        handleImuFrame(in);
    else
        handleTransferFrame(in, emits);
}

void DevUpgrade::handleTransferFrame(const Incoming& in, Emits& emits)
{
    const bool can = direct == 0;
    if (can && in.id == cmdid::CanVerifyResult) {
        logTaggedLevel(2, tag, "Verify result:0x%.2x", in.state);
        emits.checkResult = true;
        emits.checkValue = in.state;
    }
    const bool endAcknowledged = can && in.id == cmdid::CanLoadEndAck;
    if (endAcknowledged) {
        logTaggedLevel(2, tag, "Verifying ...");
        emits.startCheck = true;
    }
    handleEntryAndAck(in, emits);
    // Only once the end acknowledgement has been taken: the verdict may
    // arrive before the request's write has returned.
    if (endAcknowledged)
        sendVerifyRequest();
}

void DevUpgrade::handleEntryAndAck(const Incoming& in, Emits& emits)
{
    const bool can = direct == 0;

    if (!entered) {
        if (in.id == GlobalCfg::instance()->mcConnectId) {
            if (can) {
                if (in.state < 16) {
                    sendEntryFrame();
                } else {
                    // The transfer starts from the timer; this report goes no further.
                    entered = 1;
                    ticks = 0;
                }
                return;
            }
            if (!upgrade::isDirectLoaderState(in.state)) {
                if (const auto ids = upgrade::directLoaderIds(module)) {
                    logTaggedLevel(2, tag, "%s", ids->enterText);
                    if (io)
                        io->sendCommand(ids->enter);
                }
                return;
            }
            entered = 1;
            ticks = 0;
            setAckEcho(false);
        } else {
            if (upgrade::isEnterLoaderAck(in.id))
                logTaggedLevel(2, tag, "Entry Update Ack!");
            return;
        }
    }

    gotResponse_ = true;
    if (upgrade::isPacketAck(in.id))
        acknowledgeFront(in, emits);
}

void DevUpgrade::acknowledgeFront(const Incoming& in, Emits& emits)
{
    if (in.state == 1) {
        logStdout("\tAck ID=0x%.4X,result=0x%.2X,Seq=%d\n", in.id, in.state, sequence);
        logTaggedLevel(3, tag, "data transmit error!");
        emits.error = true;
        finishLocked(false);
        return;
    }
    // A packet re-sent while its answer was late is answered twice: the
    // second answer must not be taken for the next packet's, least of all for
    // the end packet's, whose answer alone says the image is complete.
    if (!commands.empty()
        && upgrade::packetKindOfAck(in.id) != upgrade::packetKindOf(commands.front()->commandId())) {
        logTaggedLevel(2, tag, "Ack ID=0x%.4X does not answer packet %d, ignored", in.id, sequence);
        return;
    }
    ticks = 0;
    retries = 0;
    if (!commands.empty())
        commands.pop_front();
    updateProgress(commands.size());
    if (!commands.empty()) {
        ++sequence;
        drawProgress();
        writeFront();
    } else if (direct) {
        drawProgress();
        finishLocked(true);
    }
    // A CAN transfer now waits for the verify result.
}

void DevUpgrade::handleImuFrame(const Incoming& in)
{
    // The packet leaves the list, and the progress counts it, before it is
    // written: its answer may be handled before the write returns.
    auto sendFront = [this](bool showProgress) {
        const std::unique_ptr<DevCmd> packet = std::move(imuCommands.front());
        imuCommands.pop_front();
        updateProgress(imuCommands.size());
        if (showProgress)
            drawProgress();
        if (io)
            io->write(packet->frame(), packet->frameSize());
    };
    switch (in.id) {
    case cmdid::ImuLoaderReady:
        if (!imuCommands.empty() && !imuStarted_) {
            imuStarted_ = true;
            sendFront(false);
        }
        break;
    case cmdid::ImuLengthAck:
    case cmdid::ImuBlockAck:
        if (!imuCommands.empty())
            sendFront(true);
        break;
    case cmdid::ImuDone:
        imuStarted_ = false;
        imuCommands.clear();
        progress_ = 100;
        printProgress(100);
        finishLocked(true);
        break;
    default:
        break;
    }
}

void DevUpgrade::drawProgress()
{
    // A megabyte is thousands of packets: the bar is drawn when its
    // percentage moves, not once per packet (a write to the terminal each).
    const int now = progress_.load();
    if (now == drawnProgress)
        return;
    drawnProgress = now;
    printProgress(now);
}

void DevUpgrade::updateProgress(size_t remaining)
{
    if (packetTotal <= 0)
        return;
    double pct = static_cast<double>(remaining) * 100.0 / packetTotal;
    if (pct > 0 && pct < 1)
        pct = 1;
    progress_ = 100 - static_cast<int>(pct);
}

// ---------------------------------------------------------------- frames out

bool DevUpgrade::writeFront()
{
    cmd_base_t& packet = *commands.front();
    packet.setSequence(sequence);
    // A copy: the acknowledgement may be handled, and the packet deleted,
    // before the write returns.
    const std::vector<uint8_t> frame(packet.frame(), packet.frame() + packet.frameSize());
    return io && io->write(frame.data(), static_cast<int>(frame.size()));
}

void DevUpgrade::sendStatusRequest()
{
    RawFrame<2> request(GlobalCfg::instance()->mcDeviceId);
    request.payload()[0] = module;
    request.payload()[1] = subModule;
    if (io)
        io->write(request.frame(), request.frameSize());
}

void DevUpgrade::sendEntryFrame()
{
    RawFrame<6> entry(cmdid::CanEnterLoader);
    entry.payload()[0] = module;
    entry.payload()[1] = subModule;
    logTaggedLevel(2, tag, "Write Entry Upgrade, Device ID: 0x%.2X", module);
    if (io)
        io->write(entry.frame(), entry.frameSize());
}

void DevUpgrade::sendVerifyRequest()
{
    RawFrame<2 + upgrade::blockSize> verify(cmdid::CanVerify);
    verify.payload()[0] = module;
    verify.payload()[1] = subModule;
    if (encrypted)
        std::copy(lastBlock.begin(), lastBlock.end(), verify.payload() + 2);
    if (io)
        io->write(verify.frame(), verify.frameSize());
}

} // namespace orb
