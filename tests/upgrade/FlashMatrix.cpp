#include "FlashMatrix.h"

#include <algorithm>

namespace kzo::test::matrix {

std::vector<UpgradePath> upgradePaths(const QStringList& names)
{
    std::vector<UpgradePath> all = {
        {"mc raw", "mc", "mc.bin", randomBytes(2000, 11), "mc.bin"},
        {"cmu raw (enc)", "cmu", "cmu.enc", randomBytes(1800, 12), "cmu.bin"},
        {"pitch hex", "pitch", "pitch.hex", randomBytes(240, 13), "pitch.hex", false, false, true},
        {"roll hex", "roll", "roll.hex", randomBytes(200, 14), "roll.hex", false, false, true},
        {"yaw hex", "yaw", "yaw.hex", randomBytes(168, 15), "yaw.hex", false, false, true},
        {"imu", "imu", "imu.bin", randomBytes(1000, 16), "imu.bin", true},
        {"can gps (enc)", "gps", "gps.enc", randomBytes(1500, 17), "gps.bin", false, true},
    };
    std::vector<UpgradePath> chosen;
    for (const UpgradePath& p : all)
        if (names.contains(p.module) || (p.can && names.contains(QStringLiteral("can"))))
            chosen.push_back(p);
    return chosen;
}

QByteArray UpgradePath::image(int bytes) const
{
    const QByteArray d = bytes < 0 ? data : data.left(bytes);
    return hex ? hexText(d) : d;
}

int UpgradePath::packetCount(int bytes) const
{
    const int n = static_cast<int>(bytes < 0 ? data.size() : std::min<qsizetype>(bytes, data.size()));
    if (hex) // the records, the end-of-file record and the packet behind it
        return 2 + (n + 15) / 16 + 1 + 1;
    return 2 + (n + 255) / 256;
}

std::vector<DeviceFault> deviceFaults()
{
    // Rates with a fixed seed: the same occasions are hit on every run. The
    // latency is above one re-send period, so packets are re-sent while their
    // first answer is still on its way and the device answers both.
    return {
        {"none", {}},
        {"crc errors", {"--crc-errors", "0.15", "--seed", "3"}},
        {"garbage", {"--garbage", "0.5", "--seed", "4"}},
        {"split", {"--split", "0.5", "--seed", "5"}},
        {"dropped", {"--drop-replies", "0.1", "--seed", "6"}},
        {"latency", {"--latency-ms", "700"}},
        // The IMU's packets carry no numbers, and only the CAN path verifies.
        {"refused pkt", {"--nack-packet", "3"}, false, true, false, true, false, true},
        {"failed verify", {"--verify-fail"}, false, false, false, true, true},
        {"unplug 10%", {"--unplug-at", "10", "--replug-after", "0.5"}, true},
        {"unplug 50%", {"--unplug-at", "50", "--replug-after", "3"}, true},
        {"unplug 99%", {"--unplug-at", "99", "--replug-after", "6"}, true},
        {"no loader", {"--refuse-loader", "%m"}, false, true, true, true},
        // Every packet re-sent while its answer is late, so answers arrive
        // twice, and the device refuses the last packet: the upgrade must not
        // count an answer to an earlier packet as that one's. Short images:
        // each packet takes the latency.
        {"late+refused end", {"--latency-ms", "1300", "--nack-packet", "%last"}, false, true, false, true, false, true, 600},
    };
}

QStringList columnsOf(const std::vector<DeviceFault>& faults)
{
    QStringList c;
    for (const DeviceFault& f : faults)
        c << f.column;
    return c;
}

std::vector<Cell*> flashCells(const std::vector<UpgradePath>& paths, const std::vector<DeviceFault>& faults, QObject* owner)
{
    std::vector<Cell*> cells;
    // The slowest cells (those that wait for a stall or a re-plug) first, so
    // they overlap with the quick ones.
    for (int pass = 0; pass < 2; ++pass) {
        for (const DeviceFault& f : faults) {
            const bool slow = f.unplug || f.column == QLatin1String("no loader") || f.imageBytes >= 0;
            if (slow != (pass == 0))
                continue;
            for (const UpgradePath& p : paths) {
                if ((f.onlyCan && !p.can) || (f.notImu && p.imu))
                    continue;
                FlashSpec s;
                s.row = p.row;
                s.column = f.column;
                s.module = p.module;
                s.fileName = p.fileName;
                // HEX text is some three times its bytes, a record per 16 of them.
                const int bytes = f.imageBytes < 0 ? -1 : p.hex ? f.imageBytes / 8 : f.imageBytes;
                s.image = p.image(bytes);
                s.storedAs = p.storedAs;
                for (QString a : f.simArgs)
                    s.simArgs << a.replace(QStringLiteral("%m"), p.module)
                                     .replace(QStringLiteral("%last"), QString::number(p.packetCount(bytes)));
                s.unplug = f.unplug;
                s.mustFail = p.imu ? f.failsImu : p.can ? f.failsCan : f.failsDirect;
                auto* cell = new FlashCell(std::move(s));
                cell->setParent(owner);
                cells.push_back(cell);
            }
        }
    }
    return cells;
}

} // namespace kzo::test::matrix
