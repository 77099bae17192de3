#pragma once
// The upgrade paths and the device faults of the flash fault matrix: every
// path is driven end to end by kzo-flash against its own kzo-devsim.
#include "FaultMatrix.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kzo::test::matrix {

struct UpgradePath {
    QString row;      // "mc raw", ...
    QString module;   // kzo-flash --module, also the simulator's module name
    QString fileName;
    QByteArray data;  // the image's bytes (HEX paths: written as Intel HEX text)
    QString storedAs; // file in the simulator's --image-dir
    bool imu = false; // the IMU's own protocol: no packet numbers, no re-sends
    bool can = false; // behind the main controller: ends with a verify exchange
    bool hex = false;

    QByteArray image(int bytes = -1) const;
    // Packets the engine sends for image(bytes): start, data, end.
    int packetCount(int bytes = -1) const;
};

struct DeviceFault {
    QString column;
    QStringList simArgs; // "%m" stands for the path's module, "%last" for its last packet's number
    bool unplug = false;
    // Which paths cannot get past it (the upgrade must fail there).
    bool failsDirect = false, failsImu = false, failsCan = false;
    // Which paths it does not touch at all (shown as n/a, not run).
    bool onlyCan = false, notImu = false;
    int imageBytes = -1; // a shorter image than the path's own (-1: the whole)
};

// The paths named (mc, cmu, pitch, roll, yaw, imu, can); images of a few KiB.
std::vector<UpgradePath> upgradePaths(const QStringList& names);
std::vector<DeviceFault> deviceFaults();
QStringList columnsOf(const std::vector<DeviceFault>& faults);

// One cell per path and fault; owned by `owner`.
std::vector<Cell*> flashCells(const std::vector<UpgradePath>& paths, const std::vector<DeviceFault>& faults, QObject* owner);

} // namespace kzo::test::matrix
