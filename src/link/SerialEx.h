#pragma once
// A serial port with a listener thread that waits for port events and hands
// each non-empty event set to onEvent().
#include "link/Serial.h"

#include <atomic>
#include <mutex>
#include <thread>

class CSerialEx : public CSerial {
public:
    CSerialEx() = default;
    // A subclass whose onEvent uses its own members must stop the listener
    // in its own destructor: by the time this one runs, they are gone.
    ~CSerialEx() override;

    // Opens with event support forced on; starts the listener when asked.
    int32_t open(const std::wstring& device, uint32_t inQueue = 0, uint32_t outQueue = 0, bool startListener = false) override;
    int32_t close() override;

    virtual int32_t startListener();
    // Ends the listener and waits for its thread without limit, so the thread
    // can never touch a port that is closed afterwards; the limit is accepted
    // for compatibility. Called on the listener thread itself it only asks the
    // loop to end after the current handler. Always returns 0.
    virtual int32_t stopListener(int32_t timeoutMs = -1);
    // On the listener thread, for every non-empty event set.
    virtual void onEvent(uint32_t events, uint32_t errors) = 0;
    // On the listener thread when its loop ends on a failure (the device hung
    // up or went away); the thread ends right after this returns.
    virtual void onListenerEnded(int32_t error) { (void)error; }

    bool listenerRunning() const { return listenerActive_.load(); }
    bool onListenerThread() const { return listenerId_.load() == std::this_thread::get_id(); }
    int32_t listenerExitCode() const { return listenerExit_.load(); }

protected:
    void wakeEventWaits() override;

private:
    void listenerLoop();
    void joinFinished();

    std::atomic<bool> stopping_{false};
    std::thread listenerThread_;
    int listenEvent_ = -1; // eventfd that completes the listener's wait
    std::atomic<int> listenWake_{-1}; // the same descriptor, for waking from other threads

    std::recursive_mutex control_; // start, stop, open and close of the listener
    std::atomic<bool> listenerActive_{false};
    std::atomic<std::thread::id> listenerId_{};
    std::atomic<int32_t> listenerExit_{0};
};
