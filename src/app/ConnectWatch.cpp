#include "app/ConnectWatch.h"

#include "link/DevIo.h"
#include "link/PortAccessAdvice.h"

#include <QCoreApplication>
#include <cerrno>
#include <unistd.h>

namespace kzo::app {

QString permissionHint(const QString& portPath)
{
    const QByteArray path = portPath.toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) == 0 || errno != EACCES)
        return {};
    return kzo::link::portAccessAdvice(portPath);
}

ConnectWatch::ConnectWatch(orb::DevIo& io, std::function<bool()> opened, std::function<void(QString)> failed)
    : io(io), opened(std::move(opened)), failed(std::move(failed))
{
}

void ConnectWatch::onCommDeviceArrival(const std::wstring& portName)
{
    io.onCommDeviceArrival(portName);
    if (opened && !opened() && failed)
        failed(permissionHint(QString::fromStdWString(portName)));
}

void ConnectWatch::onCommDeviceRemoval(const std::wstring& portName) { io.onCommDeviceRemoval(portName); }

} // namespace kzo::app
