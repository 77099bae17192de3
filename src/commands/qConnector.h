#pragma once
// Turns device I/O events into the application's connection state: sends the
// handshake and a status request when the link comes up, reports the
// connection at the first status report, and detects modules that run their
// boot loader instead of their firmware (loader mode).
//
// Events arrive on the serial listener thread (frames) and the device-finder
// thread (link up/down); the state is atomic and the signals are emitted on
// the calling thread, so GUI receivers get queued calls.
#include "protocol/DevListener.h"
#include "protocol/Singleton.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <cstdint>

// Listener-contract event kinds beyond the device I/O's own three.
enum ConnectorEventKind : int { EvTransferStart = 4, EvConnectFail = 5 };

class qConnector : public QObject,
                   public orb::DevModelListener,
                   public orb::DevListener,
                   public SingletonEx<qConnector> {
    Q_OBJECT
public:
    explicit qConnector(QObject* parent = nullptr);

    void onDevEvent(const DevEvent* event) override;
    void onModelChanged(const std::wstring& key, const orb::DevValue& value) override;

    // Writes the 36-byte handshake frame 0x0FB1 with the two payload bytes.
    bool sendHandshake(uint8_t first, uint8_t second);

    // -1: no status report analysed since the link came up; 0: none;
    // otherwise the module code found in loader mode.
    int loaderDevice() const { return loaderDevice_.load(); }
    // Write access: setting it true switches the loader-mode analysis off.
    std::atomic<bool>& isLoaderMode() { return loaderMode_; }
    bool isConnected() const { return connected_.load(); }
    bool handshakePending() const { return handshakePending_.load() != 0; }

    // Asks for the status again while the link is up and no report came,
    // a few times at most: a lost request or report would otherwise leave
    // a running device unconnected until it is plugged in again. Run by
    // the connection manager's own timer (its thread).
    void repeatStatusRequest();
    static constexpr int statusRepeatMs = 1000;
    static constexpr int statusRepeats = 5;

signals:
    void connectionChanged(bool bConnect);
    void dataTransfer(bool);
    void connectFail();
    void deviceAbnormal(int);

private:
    void onFrame(const uint8_t* record);
    void analyseLoaderMode(const uint8_t* record);

    std::atomic<bool> connected_{false};
    std::atomic<int> loaderDevice_{-1};
    std::atomic<bool> loaderMode_{false};
    std::atomic<int> handshakePending_{0};
    std::atomic<bool> linkUp_{false};
    std::atomic<int> repeatsLeft_{0};
    QTimer statusRepeat{this};
};
