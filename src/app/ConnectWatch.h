#pragma once
// Stands between the device finder and the device I/O: passes every arrival
// and removal on, and when a port could not be opened tells the main window,
// with advice when the cause is a missing permission.
#include "link/CommDeviceChangeListener.h"

#include <QString>
#include <functional>

namespace orb {
class DevIo;
}

namespace kzo::app {

// The advice shown when a port cannot be opened for lack of permission;
// empty when the port is accessible (or gone).
QString permissionHint(const QString& portPath);

class ConnectWatch : public CommDeviceChangeListener {
public:
    // opened() tells whether the device I/O holds a port after an arrival;
    // failed(hint) is called on the finder thread when it does not.
    ConnectWatch(orb::DevIo& io, std::function<bool()> opened, std::function<void(QString hint)> failed);

    void onCommDeviceArrival(const std::wstring& portName) override;
    void onCommDeviceRemoval(const std::wstring& portName) override;

private:
    orb::DevIo& io;
    std::function<bool()> opened;
    std::function<void(QString)> failed;
};

} // namespace kzo::app
