#pragma once
// Firmware upgrade engine: brings one module into its boot loader, sends the
// image packet by packet (each after the previous one was acknowledged,
// re-sent on silence), verifies where the protocol allows and reports progress.
//
// Frames arrive on the serial listener thread while the device I/O lock is
// held; the timer and the callers run on the engine's own (GUI) thread. All
// engine state is guarded by stateLock, and every packet is written while it
// is held, so deciding what to send and sending it is one step on either
// thread. The listener thread only ever try-locks: when the GUI thread holds
// the state (possibly waiting for the device I/O lock inside a write), the
// event is parked in a small mailbox and replayed on the GUI thread, in order,
// so the two threads can never wait for each other.
#include "protocol/DevListener.h"
#include "protocol/Singleton.h"
#include "upgrade/ImagePackets.h"

#include <QObject>
#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class QTimer;

namespace orb {

class DevUpgrade : public QObject, public DevListener, public SingletonEx<DevUpgrade> {
    Q_OBJECT
public:
    static constexpr int timerIntervalMs = 600;

    explicit DevUpgrade(QObject* parent = nullptr);
    ~DevUpgrade() override;

    // module: 1 main controller, 2 IMU, 12 CMU, 13-15 gimbal axes, other = CAN
    // module; direct: 1 on the USB link itself, 0 behind the main controller.
    void setTarget(uint8_t module, uint8_t subModule, int direct);

    // Image in memory through the 256-block path (direct: modules 1 and 12).
    // False when refused (an empty image too); nothing is sent then.
    bool upgradeImage(const uint8_t* bytes, int length, uint8_t encryptedFlag);
    // IMU image through the 128-block path; an empty image is refused.
    bool upgradeImu(const uint8_t* bytes, int length);

    // File upgrades; each sets its own target. False (nothing sent) when the
    // file cannot be read or is empty or, for Intel HEX, is malformed or not
    // a whole image.
    bool upgradeMcFile(const std::wstring& path);
    bool upgradeCmuFile(const std::wstring& path);
    bool upgradePitchFile(const std::wstring& path);
    bool upgradeRollFile(const std::wstring& path);
    bool upgradeYawFile(const std::wstring& path);

    void reset();
    void finish(bool success);

    // Polled state; safe from any thread.
    int progress() const { return progress_.load(); }
    bool isIdle() const { return idle_.load(); }
    bool upgradeResult() const { return resultOk_.load(); }
    bool hasResponse() const { return gotResponse_.load() || imuStarted_.load(); }

    void onDevEvent(const DevEvent* event) override;

signals:
    void upgradeError(int code);
    void upgradeCheckResult(int result);
    void upgradeStartCheck();

public slots:
    void handleTimeout();
    void onUpgradeFinished(int result);

private:
    // What a device event carries that the engine reads; the frame record
    // itself is only valid during the call.
    struct Incoming {
        int kind = 0;
        uint16_t id = 0;
        uint8_t state = 0; // first payload byte: module state, result or verify outcome
    };
    // Signals decided under the lock and emitted after it is released.
    struct Emits {
        bool error = false;
        bool startCheck = false;
        bool checkResult = false;
        int checkValue = 0;
    };
    class Guard;

    bool startFileUpgrade(const std::wstring& path, uint8_t module, bool hexImage);
    void beginTransfer(bool enciphered);

    void handleLocked(const Incoming& in, Emits& emits);
    void handleTransferFrame(const Incoming& in, Emits& emits);
    void handleEntryAndAck(const Incoming& in, Emits& emits);
    void handleImuFrame(const Incoming& in);
    void acknowledgeFront(const Incoming& in, Emits& emits);
    void drainMailbox(Emits& emits);
    void emitAll(const Emits& emits);

    void resetLocked();
    void finishLocked(bool success);
    void updateProgress(size_t remaining);
    void drawProgress();
    void clearCommands();
    void sendStatusRequest();
    void sendEntryFrame();
    void sendVerifyRequest();
    bool writeFront();
    void startTimer();

    // Guards everything below except the atomics.
    mutable std::recursive_mutex stateLock;
    std::mutex mailboxLock; // never held while waiting for anything else
    std::vector<Incoming> mailbox;

    bool running = false;
    int entered = 0;
    upgrade::PacketList commands;
    int packetTotal = 0;
    std::wstring imagePath;
    uint16_t sequence = 0;
    bool waiting = false;
    upgrade::ImuPacketList imuCommands;
    int retries = 0;
    int ticks = 0;
    uint8_t module = 0;
    uint8_t subModule = 0;
    bool encrypted = false;
    int direct = 1;
    std::array<uint8_t, upgrade::blockSize> lastBlock{};
    bool finished = false;
    bool imuPath = false; // the running upgrade is the IMU's 128-block path

    std::atomic<bool> runningFlag{false}; // lock-free early filter for the listener thread
    std::atomic<int> progress_{0};
    int drawnProgress = -1; // the percentage the console bar shows
    std::atomic<bool> idle_{true};
    std::atomic<bool> resultOk_{false};
    std::atomic<bool> gotResponse_{false};
    std::atomic<bool> imuStarted_{false};

    QTimer* timer;
};

} // namespace orb
