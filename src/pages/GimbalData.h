#pragma once
// The gimbal page's device data: the two 8-byte channel-assignment records,
// the eight live channels and the camera-charging state, and the rules for
// writing the records back. Free of widgets so it can be driven directly.
//
// acceptFrame() runs on the thread that delivers frames; everything else on
// the GUI thread. All state is under one lock, and commands are never sent
// while it is held (the device I/O lock is taken inside a send, and the
// listener thread already holds that one when it calls acceptFrame()).
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>

namespace kzo::pages {

using GimbalRecord = std::array<uint8_t, 8>;
using GimbalChannels = std::array<int16_t, 8>;

// Written records start as, and return to, eight 'Z' bytes.
inline constexpr GimbalRecord blankRecord = {0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A};
inline constexpr int channelDisconnected = 1001;

class GimbalData {
public:
    // Sends one command; an empty payload means a parameterless command.
    using Sender = std::function<void(uint16_t commandId, std::span<const uint8_t> payload)>;
    // (Re)starts the 200 ms retry timer; may be called from the frame thread.
    using RetryStarter = std::function<void()>;

    GimbalData(Sender sender, RetryStarter retryStarter);

    // Frame filter: copies matching replies and reports whether any new data
    // wait for a refresh.
    bool acceptFrame(const uint8_t* record);

    // Each returns the data once after they arrived (clearing the flag).
    std::optional<GimbalRecord> takeRecord1();
    std::optional<GimbalRecord> takeRecord2();
    std::optional<GimbalChannels> takeChannels();
    std::optional<uint32_t> takeCameraState();

    enum class WriteOutcome { Nothing, Record1, Record2, Both, Offline };
    // Compares the records to write with those written last and sends what
    // changed; with both changed record 2 waits for record 1's acknowledgement.
    // Without a link nothing is sent or remembered.
    WriteOutcome write(const GimbalRecord& record1, const GimbalRecord& record2);

    // One retry-timer expiry; returns false when the timer should stop.
    bool retryTick();

    GimbalRecord written1() const;
    GimbalRecord written2() const;
    bool secondWritePending() const;

    // The device link came up or went away (any thread). Without a link no
    // command is sent; losing it drops a held-back second write and its
    // re-sends, the channel values not yet shown, and what was written
    // (the next device starts from eight 'Z' bytes again).
    void setLinkUp(bool up);
    bool linkUp() const;

    // These send nothing while the link is down.
    void requestChannels();
    void requestRecords();
    void requestAll();
    void setCameraCharging(bool on);

private:
    void sendIfLinked(uint16_t commandId, std::span<const uint8_t> payload = {});

    Sender send;
    RetryStarter startRetry;

    mutable std::mutex lock;
    GimbalRecord read1{};
    GimbalRecord read2{};
    GimbalChannels channels{};
    uint32_t cameraState = 0;
    bool new1 = false, new2 = false, newChannels = false, newCamera = false;

    GimbalRecord out1 = blankRecord;
    GimbalRecord out2 = blankRecord;
    GimbalRecord pendingSecond{}; // the 0x02A5 payload re-sent by the retry timer
    bool secondPending = false;
    int retryCount = 0;
    bool link = false; // starts down: the device arrives after the page exists
};

} // namespace kzo::pages
