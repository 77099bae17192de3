#pragma once
// What kzo-flash asks the device before an upgrade: whether the main
// controller sits in its boot loader (status report) and the target
// module's firmware version, for the flash log. Frames arrive on the
// listener thread; the results are atomics read by the event-loop thread.
#include "protocol/DevListener.h"

#include <QString>
#include <atomic>
#include <cstdint>

namespace kzo::flash {

class DeviceProbe : public orb::DevListener {
public:
    // Sends the status request for the main controller and the version
    // request that covers `module` (none for modules without one).
    void ask(uint8_t module);
    void onDevEvent(const DevEvent* event) override;

    // Both answers are in (or no version request applies).
    bool complete() const { return statusSeen.load() && (!versionAsked.load() || versionSeen.load()); }
    bool statusKnown() const { return statusSeen.load(); }
    // The main controller reported one of its loader states.
    bool mcInLoader() const { return statusSeen.load() && status.load() >= 0xFA; }
    // "3.2" style text, empty when the device did not say.
    QString versionBefore() const;

private:
    // Written by ask() on the event-loop thread, read by the listener thread.
    std::atomic<uint8_t> module{0};
    std::atomic<bool> versionAsked{false};
    std::atomic<bool> statusSeen{false};
    std::atomic<int> status{0};
    std::atomic<bool> versionSeen{false};
    std::atomic<uint32_t> versionWord{0};
};

} // namespace kzo::flash
