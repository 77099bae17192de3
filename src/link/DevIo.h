#pragma once
// The one interface through which the program talks to the device.
#include "link/CommDeviceChangeListener.h"

#include <cstdint>

enum DevEventKind : int { EvFrame = 1, EvConnected = 2, EvDisconnected = 3 };

// What listeners receive; valid only during the call.
struct DevEvent {
    int kind = 0;
    const uint8_t* data = nullptr; // frame record for EvFrame, else null
};

namespace orb {

class DevListener;

class DevIo : public CommDeviceChangeListener {
public:
    ~DevIo() override = default;
    virtual void addListener(DevListener* listener) = 0;
    virtual void removeListener(DevListener* listener) = 0;
    virtual void sendCommand(uint16_t commandId) = 0;
    virtual bool write(const uint8_t* frame, int size) = 0;
    virtual void close() = 0;
    virtual bool reconnect() = 0;
    virtual void toggleDump() {}
};

// The do-nothing device: current until start-up installs the serial one.
class NullDevIo : public DevIo {
public:
    void onCommDeviceArrival(const std::wstring&) override {}
    void onCommDeviceRemoval(const std::wstring&) override {}
    void addListener(DevListener*) override {}
    void removeListener(DevListener*) override {}
    void sendCommand(uint16_t) override {}
    bool write(const uint8_t*, int) override { return false; }
    void close() override {}
    bool reconnect() override { return false; }
};

NullDevIo& nullDevIo();

} // namespace orb

// Process-wide pointer through which everything reaches the device. Switched
// once by start-up before any other thread exists.
extern orb::DevIo* currentDevIo;
