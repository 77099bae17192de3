#pragma once
// The advice given when a port cannot be opened for lack of permission: the
// same text in the window and in the command-line tools. Kept in the
// "ConnectWatch" translation context, where its translations live.
#include <QCoreApplication>
#include <QString>

namespace kzo::link {

inline QString portAccessAdvice(const QString& portPath)
{
    return QCoreApplication::translate(
               "ConnectWatch",
               "No permission to open %1. Install the udev rules file 70-kzo-assistant.rules into "
               "/etc/udev/rules.d/ (it comes with the program) and re-plug the device, or add your user to the "
               "\"dialout\" group (sudo usermod -aG dialout $USER) and log in again.")
        .arg(portPath);
}

} // namespace kzo::link
