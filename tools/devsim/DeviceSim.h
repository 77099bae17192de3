#pragma once
// The simulated main controller: a table from command id to handler. Each
// handler is the device's side of one exchange of the link, so this file and
// its table read as the link's behaviour as the program sees it.
#include "Calibration.h"
#include "Faults.h"
#include "FcModel.h"
#include "GimbalModel.h"
#include "ImageSink.h"
#include "ImuModel.h"
#include "ImuTransfer.h"
#include "LoaderTransfer.h"
#include "ParamFaults.h"
#include "ParamMemory.h"
#include "ReplyFrame.h"
#include "SimOptions.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace kzo::devsim {

class DeviceSim {
public:
    using Clock = std::chrono::steady_clock;
    using Sender = std::function<void(Bytes)>;

    DeviceSim(const SimOptions& options, Faults& faults, ParamMemory& memory, ImageSink& images, Sender send,
              Clock::time_point start);

    // One verified frame record from the program.
    void onRecord(const uint8_t* record, Clock::time_point now);
    // Work that falls due without a request: the rotating calibration or an
    // IMU calibration phase ends, the product-switch report is sent.
    void tick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;

    bool inLoader(uint8_t module) const { return loaders_.count(module) != 0; }
    // --unplug-at: an image has reached the given share; the loop pulls the
    // plug before anything else is read or written. True once.
    bool takeUnplugRequest();
    bool unplugPending() const { return unplugRequested_; }
    // First byte of the status report for a status request (module given in
    // its 36-byte form).
    uint8_t moduleState(std::optional<uint8_t> module) const;

private:
    using Handler = void (DeviceSim::*)(const Request&);
    struct Entry {
        const char* name;
        Handler handler;
        int minPayload;     // shorter requests are logged and ignored
        bool bootLoader;    // also answered while the link ends in a boot loader
        bool quiet = false; // logged only with --verbose (frequent polls)
    };

    void buildTable();
    void add(uint16_t id, Entry entry) { table_[id] = entry; }

    // Connection.
    void statusRequest(const Request& r);
    void handshake(const Request& r);
    // Read-all and versions. With the restore flag in record word 7 they
    // first put the settings back to their defaults.
    void restoreIfFlagged(const Request& r);
    void readVersions(const Request& r);
    void readCmuVersions(const Request& r);
    void readRecord(const Request& r);
    void readCameraState(const Request& r);
    // Gimbal page and calibration.
    void readChannels(const Request& r);
    void writeRecord(const Request& r);
    void setCameraCharging(const Request& r);
    void rangeRecord(const Request& r);
    void rotatingCalibration(const Request& r);
    // Flight controller: main parameter page.
    void fcRead(const Request& r);
    void fcWriteJit(const Request& r);
    void fcWriteFbl(const Request& r);
    // Flight controller: tools page.
    void imuData(const Request& r);
    void imuCalibrate(const Request& r);
    void readHabits(const Request& r);
    void writeHabits(const Request& r);
    void flightLog(const Request& r);
    // Logs the calibration state changes that fell due by now.
    void imuAdvance();
    // Parameter memory.
    void readParamBlock(const Request& r);
    void writeParamBlock(const Request& r);
    // Boot loaders of the directly attached modules (256-block and HEX paths).
    void enterLoader(const Request& r);
    void loadStart(const Request& r);
    void loadData(const Request& r);
    void loadEnd(const Request& r);
    // Boot loaders behind the CAN bus.
    void canEnterLoader(const Request& r);
    void canLoadStart(const Request& r);
    void canLoadData(const Request& r);
    void canLoadEnd(const Request& r);
    void canVerify(const Request& r);
    // IMU boot loader.
    void imuStart(const Request& r);
    void imuLength(const Request& r);
    void imuBlock(const Request& r);

    void send(Bytes frame);
    double seconds() const { return std::chrono::duration<double>(now_ - start_).count(); }
    Clock::time_point atSeconds(double s) const
    {
        return start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    }
    void ack(uint16_t id, uint8_t result, const Bytes& data = {}, uint16_t sequence = 0);
    bool usbLoaderActive() const;
    // The transfer of a module that may take loader packets now, or nullptr.
    LoaderTransfer* loaderFor(uint8_t module, LoaderPath path, const Request& r);
    bool wrongSize(const Request& r, size_t expected, uint16_t ackId);
    bool injectedNack(const Request& r, uint16_t ackId);
    void answerPacket(const Request& r, uint16_t ackId, const LoaderTransfer::Answer& a, const char* what);
    void finishImage(LoaderTransfer& t);
    void leaveLoader(uint8_t module);
    // --unplug-at: true (and logged) when this packet brings the image being
    // received to the unplug point; the packet is kept, not acknowledged.
    bool reachesUnplugPoint(uint8_t module, uint64_t received, uint64_t announced, const Request& r);
    // True (and logged) when the module is set never to enter its loader.
    bool refusesLoader(uint8_t module, uint16_t commandId) const;

    const SimOptions& options_;
    Faults& faults_;
    ParamMemory& memory_;
    ParamFaults paramFaults_;
    ImageSink& images_;
    Sender sender_;
    Clock::time_point start_;
    Clock::time_point now_;

    std::map<uint16_t, Entry> table_;
    std::set<uint8_t> loaders_;                   // modules running their boot loader
    std::map<uint8_t, LoaderTransfer> transfers_; // per module, kept until it enters again
    ImuTransfer imu_;
    GimbalModel gimbal_;
    FcModel fc_;
    ImuModel imuModel_;
    std::optional<Clock::time_point> productSwitchAt_; // set by the first 0x0508
    bool productSwitchSent_ = false;
    bool unplugRequested_ = false;
    bool unplugUsed_ = false; // --unplug-at fires once per run
    Calibration calibration_;
};

} // namespace kzo::devsim
