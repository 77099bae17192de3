#include "DeviceSim.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/PayloadTypes.h"
#include "protocol/FrameCodec.h"

#include <algorithm>

namespace kzo::devsim {

namespace id = orb::cmdid;
namespace mod = orb::module;

namespace {

constexpr const char* tag = "DevSim";

// Direct boot-loader identifiers carry the module in their top nibble.
constexpr uint16_t directPrefixes[] = {0x0000, 0x1000, 0x2000, 0x3000, 0x4000};

uint8_t moduleOfPrefix(uint16_t commandId)
{
    switch (commandId >> 12) {
    case 0: return mod::Mc;
    case 1: return mod::Cmu;
    case 2: return mod::Pitch;
    case 3: return mod::Roll;
    default: return mod::Yaw;
    }
}

LoaderPath pathOfModule(uint8_t module)
{
    return (module == mod::Pitch || module == mod::Roll || module == mod::Yaw) ? LoaderPath::Hex : LoaderPath::Raw;
}

// Loader state byte of a directly attached module, as its status report shows it.
uint8_t directLoaderState(uint8_t module)
{
    switch (module) {
    case mod::Mc: return 0xFE;
    case mod::Cmu: return 0xFD;
    case mod::Pitch: return 0xFC;
    case mod::Roll: return 0xFB;
    case mod::Yaw: return 0xFA;
    default: return 0;
    }
}

bool isCanModule(uint8_t module)
{
    return directLoaderState(module) == 0 && module != mod::Imu;
}

// The main controller reports a CAN module in its loader with the module
// code's nibbles swapped (LED 4 -> 0x40).
uint8_t swapNibbles(uint8_t v)
{
    return static_cast<uint8_t>((v << 4) | (v >> 4));
}

uint32_t versionWord(const Version& v)
{
    return (static_cast<uint32_t>(v.major) << 24) | v.minor;
}

Bytes words(std::initializer_list<uint32_t> ws)
{
    Bytes out;
    for (uint32_t w : ws)
        putU32(out, w);
    return out;
}

} // namespace

DeviceSim::DeviceSim(const SimOptions& options, Faults& faults, ParamMemory& memory, ImageSink& images, Sender send,
                     Clock::time_point start)
    : options_(options), faults_(faults), memory_(memory), images_(images), sender_(std::move(send)), start_(start),
      now_(start), gimbal_(options.disconnectedChannels), calibration_(options.rotateSeconds, options.calibrationReports)
{
    buildTable();
    if (options.loaderModule != 0) {
        loaders_.insert(static_cast<uint8_t>(options.loaderModule));
        logTagged(tag, "%s starts in its boot loader", ImageSink::moduleName(static_cast<uint8_t>(options.loaderModule)).c_str());
    }
}

void DeviceSim::buildTable()
{
    //   id                         name                        handler                  min payload, boot loader
    add(options_.statusRequestId, {"status request", &DeviceSim::statusRequest, 0, true});
    add(id::Handshake, {"handshake", &DeviceSim::handshake, 0, true});

    add(id::ReadVersions, {"read versions", &DeviceSim::readVersions, 0, false});
    add(id::ReadCmuVersion, {"read CMU versions", &DeviceSim::readCmuVersions, 0, false});
    add(id::GimbalRecord1Read, {"read record 1", &DeviceSim::readRecord, 0, false});
    add(id::GimbalRecord2Read, {"read record 2", &DeviceSim::readRecord, 0, false});
    add(id::CameraStateRead, {"read camera state", &DeviceSim::readCameraState, 0, false});

    add(id::GimbalChannelsRead, {"read channels", &DeviceSim::readChannels, 0, false, true});
    add(id::GimbalRecord1Write, {"write record 1", &DeviceSim::writeRecord, 8, false});
    add(id::GimbalRecord2Write, {"write record 2", &DeviceSim::writeRecord, 8, false});
    add(id::CameraChargeOn, {"camera charging on", &DeviceSim::setCameraCharging, 0, false});
    add(id::CameraChargeOff, {"camera charging off", &DeviceSim::setCameraCharging, 0, false});
    add(id::RangeRecordStart, {"range record: tilt up", &DeviceSim::rangeRecord, 0, false});
    add(id::RangeRecordNext, {"range record: tilt down", &DeviceSim::rangeRecord, 0, false});
    add(id::RangeRecordBegin, {"range record: start / roll left", &DeviceSim::rangeRecord, 0, false});
    add(id::RangeRecordEnd, {"range record: roll right", &DeviceSim::rangeRecord, 0, false});
    add(id::GimbalRotateCalib, {"rotating calibration", &DeviceSim::rotatingCalibration, 0, false});

    add(id::ParamBlockRead, {"read parameter block", &DeviceSim::readParamBlock, 8, false});
    add(id::ParamBlockWrite, {"write parameter block", &DeviceSim::writeParamBlock, 8 + 130, false});

    for (uint16_t p : directPrefixes) {
        add(p | id::EnterLoader, {"enter boot loader", &DeviceSim::enterLoader, 0, true});
        add(p | id::LoadStart, {"load start", &DeviceSim::loadStart, 0, true});
        add(p | id::LoadData, {"load data", &DeviceSim::loadData, 0, true});
        add(p | id::LoadEnd, {"load end", &DeviceSim::loadEnd, 0, true});
    }
    add(id::CanEnterLoader, {"CAN enter boot loader", &DeviceSim::canEnterLoader, 2, false});
    add(id::CanLoadStart, {"CAN load start", &DeviceSim::canLoadStart, 2, false});
    add(id::CanLoadData, {"CAN load data", &DeviceSim::canLoadData, 3, false});
    add(id::CanLoadEnd, {"CAN load end", &DeviceSim::canLoadEnd, 2, false});
    add(id::CanVerify, {"CAN verify", &DeviceSim::canVerify, 2, false});

    add(id::ImuStart, {"IMU loader start", &DeviceSim::imuStart, 0, false});
    add(id::ImuLength, {"IMU image length", &DeviceSim::imuLength, 0, false});
    add(id::ImuBlock, {"IMU image block", &DeviceSim::imuBlock, 0, false});
    add(id::ImuBlockAlt, {"IMU image block", &DeviceSim::imuBlock, 0, false});
}

void DeviceSim::onRecord(const uint8_t* record, Clock::time_point now)
{
    now_ = now;
    const Request r(record);
    if (r.length < kzo::frame::recordHeaderSize + 4) {
        logTaggedLevel(3, tag, "frame too short (record length %d), ignored", r.length);
        return;
    }
    const auto it = table_.find(r.id);
    if (it == table_.end()) {
        logTaggedLevel(2, tag, "unknown command 0x%.4x (%d payload bytes), not answered", r.id, static_cast<int>(r.payload.size()));
        return;
    }
    const Entry& e = it->second;
    if (static_cast<int>(r.payload.size()) < e.minPayload) {
        logTaggedLevel(3, tag, "0x%.4x %s: %d payload bytes, at least %d expected; ignored", r.id, e.name,
                       static_cast<int>(r.payload.size()), e.minPayload);
        return;
    }
    if (!e.bootLoader && usbLoaderActive()) {
        logTaggedLevel(2, tag, "0x%.4x %s: not answered, the link ends in a boot loader", r.id, e.name);
        return;
    }
    if (faults_.roll(faults_.dropReplies)) {
        logTaggedLevel(2, "Fault", "request 0x%.4x %s dropped", r.id, e.name);
        return;
    }
    if (!e.quiet || options_.verbose)
        logTagged(tag, "<- 0x%.4x %s (seq %u, %d payload bytes)", r.id, e.name, r.sequence, static_cast<int>(r.payload.size()));
    (this->*e.handler)(r);
}

void DeviceSim::tick(Clock::time_point now)
{
    now_ = now;
    if (const auto code = calibration_.rotateTick(now)) {
        logTagged(tag, "rotating calibration finished by itself");
        ack(id::GimbalCalibStatus, 0, Bytes{Calibration::rotateProcedure, *code, 0, 0, 0, 0, 0, 0});
    }
    for (const InjectedReport& r : calibration_.dueReports(now)) {
        // Record length 31 + data: the data are cut short or zero-padded to fit.
        Bytes data(static_cast<size_t>(r.length - 31), 0);
        if (!data.empty())
            data[0] = r.procedure;
        if (data.size() > 1)
            data[1] = r.code;
        logTaggedLevel(2, "Fault", "-> 0x%.4x injected calibration report: procedure %d, code %d, record length %d",
                       id::GimbalCalibStatus, r.procedure, r.code, r.length);
        ack(id::GimbalCalibStatus, 0, data);
    }
}

void DeviceSim::send(Bytes frame)
{
    sender_(std::move(frame));
}

void DeviceSim::ack(uint16_t ackId, uint8_t result, const Bytes& data, uint16_t sequence)
{
    send(makeAck(ackId, result, data, sequence));
}

bool DeviceSim::usbLoaderActive() const
{
    return inLoader(mod::Mc) || inLoader(mod::Cmu);
}

// ---- Connection -------------------------------------------------------------

uint8_t DeviceSim::moduleState(std::optional<uint8_t> module) const
{
    // A USB link to a boot loader answers every status request with its state.
    if (inLoader(mod::Mc))
        return directLoaderState(mod::Mc);
    if (inLoader(mod::Cmu))
        return directLoaderState(mod::Cmu);
    if (module) {
        if (!inLoader(*module) || *module == mod::Imu)
            return 0;
        return isCanModule(*module) ? swapNibbles(*module) : directLoaderState(*module);
    }
    // The running main controller reports a CAN module that sits in its loader.
    for (uint8_t m : loaders_)
        if (isCanModule(m))
            return swapNibbles(m);
    return 0;
}

void DeviceSim::statusRequest(const Request& r)
{
    std::optional<uint8_t> module;
    uint8_t sub = 0;
    if (r.payload.size() >= 2) { // 36-byte form: module code, sub-code
        module = r.payload[0];
        sub = r.payload[1];
    }
    calibration_.statusRequested(now_);
    const uint8_t state = moduleState(module);
    logTagged(tag, "-> 0x%.4x status report, module state 0x%.2x%s", options_.statusReportId, state,
              module ? (" for module " + std::to_string(*module)).c_str() : "");
    send(makeFrame(options_.statusReportId, Bytes{state, module.value_or(0), sub, 0}));
    if (inLoader(mod::Imu)) {
        logTagged(tag, "-> 0x%.4x IMU boot loader ready", id::ImuLoaderReady);
        ack(id::ImuLoaderReady, 0);
    }
}

void DeviceSim::handshake(const Request& r)
{
    if (usbLoaderActive()) {
        logTagged(tag, "handshake not answered: the link ends in the %s boot loader", inLoader(mod::Mc) ? "mc" : "cmu");
        return;
    }
    const Bytes flags(r.payload.begin(), r.payload.begin() + std::min<size_t>(r.payload.size(), 2));
    logTagged(tag, "-> 0x%.4x handshake answer", id::HandshakeAck);
    send(makeFrame(id::HandshakeAck, flags));
}

// ---- Read-all and versions ----------------------------------------------------

void DeviceSim::readVersions(const Request&)
{
    // Main-controller word: major in the top byte, minor in the low byte; the
    // program takes its (minor, hide) compatibility pair from bytes 2 and 1.
    const uint32_t mc = (static_cast<uint32_t>(options_.mc.major) << 24) | (static_cast<uint32_t>(options_.fwMinor) << 16)
        | (static_cast<uint32_t>(options_.fwHide) << 8) | options_.mc.minor;
    logTagged(tag, "-> 0x%.4x imu hwid %u, imu fw %d.%d, mc fw %d.%d (minor %d, hide %d), imu loader %d.%d", id::VersionsAck,
              options_.imuHwid, options_.imu.major, options_.imu.minor, options_.mc.major, options_.mc.minor, options_.fwMinor,
              options_.fwHide, options_.imuLoader.major, options_.imuLoader.minor);
    ack(id::VersionsAck, 0, words({options_.imuHwid, versionWord(options_.imu), mc, versionWord(options_.imuLoader)}));
}

void DeviceSim::readCmuVersions(const Request&)
{
    logTagged(tag, "-> 0x%.4x cmu fw %d.%d, cmu loader %d.%d", id::CmuVersionAck, options_.cmu.major, options_.cmu.minor,
              options_.cmuLoader.major, options_.cmuLoader.minor);
    ack(id::CmuVersionAck, 0, words({versionWord(options_.cmu), versionWord(options_.cmuLoader)}));
}

void DeviceSim::readRecord(const Request& r)
{
    const bool first = r.id == id::GimbalRecord1Read;
    const auto& rec = first ? gimbal_.record1 : gimbal_.record2;
    const uint16_t ackId = first ? id::GimbalRecord1Ack : id::GimbalRecord2Ack;
    logTagged(tag, "-> 0x%.4x record %d: %02x %02x %02x %02x %02x %02x %02x %02x", ackId, first ? 1 : 2, rec[0], rec[1], rec[2],
              rec[3], rec[4], rec[5], rec[6], rec[7]);
    ack(ackId, 0, Bytes(rec.begin(), rec.end()));
}

void DeviceSim::readCameraState(const Request&)
{
    logTagged(tag, "-> 0x%.4x camera state %u", id::CameraStateAck, gimbal_.cameraState);
    ack(id::CameraStateAck, 0, words({gimbal_.cameraState}));
}

// ---- Gimbal page and calibration ----------------------------------------------

void DeviceSim::readChannels(const Request&)
{
    const double t = std::chrono::duration<double>(now_ - start_).count();
    const auto ch = gimbal_.channels(t);
    Bytes data;
    for (int16_t v : ch)
        putU16(data, static_cast<uint16_t>(v));
    if (options_.verbose)
        logTagged(tag, "-> 0x%.4x channels %d %d %d %d %d %d %d %d", id::GimbalChannelsAck, ch[0], ch[1], ch[2], ch[3], ch[4], ch[5],
                  ch[6], ch[7]);
    ack(id::GimbalChannelsAck, 0, data);
}

void DeviceSim::writeRecord(const Request& r)
{
    const bool first = r.id == id::GimbalRecord1Write;
    auto& rec = first ? gimbal_.record1 : gimbal_.record2;
    std::copy_n(r.payload.begin(), rec.size(), rec.begin());
    const uint16_t ackId = first ? id::GimbalRecord1Ack : id::GimbalRecord2Ack;
    logTagged(tag, "-> 0x%.4x record %d stored", ackId, first ? 1 : 2);
    ack(ackId, 0, Bytes(rec.begin(), rec.end()));
}

void DeviceSim::setCameraCharging(const Request& r)
{
    gimbal_.cameraState = r.id == id::CameraChargeOn ? 1 : 0;
    logTagged(tag, "-> 0x%.4x camera state %u", id::CameraStateAck, gimbal_.cameraState);
    ack(id::CameraStateAck, 0, words({gimbal_.cameraState}));
}

void DeviceSim::rangeRecord(const Request& r)
{
    const auto code = calibration_.rangeCommand(r.id);
    if (!code) {
        logTaggedLevel(2, tag, "range record: 0x%.4x does not fit the current step, no report", r.id);
        return;
    }
    logTagged(tag, "-> 0x%.4x range record status %d", id::GimbalCalibStatus, *code);
    ack(id::GimbalCalibStatus, 0, Bytes{Calibration::rangeProcedure, *code, 0, 0, 0, 0, 0, 0});
}

void DeviceSim::rotatingCalibration(const Request&)
{
    const uint8_t code = calibration_.rotateCommand(now_);
    logTagged(tag, "-> 0x%.4x rotating calibration status %d%s", id::GimbalCalibStatus, code,
              code == 1 && !options_.rotateSeconds ? " (it never finishes: --rotation-time never)" : "");
    ack(id::GimbalCalibStatus, 0, Bytes{Calibration::rotateProcedure, code, 0, 0, 0, 0, 0, 0});
}

// ---- Parameter memory ---------------------------------------------------------

void DeviceSim::readParamBlock(const Request& r)
{
    const uint32_t address = r.u32(0);
    const uint32_t length = r.u32(4);
    const int block = ParamMemory::blockOf(address);
    if (block < 0) {
        logTaggedLevel(3, tag, "parameter read at address %u: not a block address, not answered", address);
        return;
    }
    Bytes data;
    putU32(data, address);
    putU32(data, length);
    const auto bytes = memory_.block(block);
    data.insert(data.end(), bytes.begin(), bytes.end());
    putU16(data, static_cast<uint16_t>(block));
    logTagged(tag, "-> 0x%.4x parameter block %d (address %u)", id::ParamBlockAck, block, address);
    ack(id::ParamBlockAck, 1, data);
}

void DeviceSim::writeParamBlock(const Request& r)
{
    const uint32_t address = r.u32(0);
    const uint32_t length = r.u32(4);
    const int block = ParamMemory::blockOf(address);
    // The program reads result 0 as "refused".
    uint8_t result = 0;
    if (block < 0)
        logTaggedLevel(3, tag, "parameter write at address %u: not a block address, refused", address);
    else if (!memory_.writeBlock(block, r.payload.subspan(8, ParamMemory::blockSize)))
        logTaggedLevel(3, tag, "parameter block %d could not be stored, refused", block);
    else
        result = 1;
    logTagged(tag, "-> 0x%.4x parameter block write at %u, result %d", id::ParamBlockWriteAck, address, result);
    ack(id::ParamBlockWriteAck, result, words({address, length}));
}

// ---- Boot loaders: shared checks ----------------------------------------------

LoaderTransfer* DeviceSim::loaderFor(uint8_t module, LoaderPath path, const Request& r)
{
    auto it = transfers_.find(module);
    // A module that has just finished keeps answering repeats of its last packets.
    const bool finished = it != transfers_.end() && it->second.complete();
    if (!inLoader(module) && !finished) {
        logTaggedLevel(3, tag, "0x%.4x: %s is not in its boot loader, not answered", r.id, ImageSink::moduleName(module).c_str());
        return nullptr;
    }
    if (it == transfers_.end())
        it = transfers_.emplace(module, LoaderTransfer(module, path)).first;
    return &it->second;
}

bool DeviceSim::wrongSize(const Request& r, size_t expected, uint16_t ackId)
{
    if (r.payload.size() == expected)
        return false;
    logTaggedLevel(3, tag, "0x%.4x packet %u: %d payload bytes, %d expected; result 1", r.id, r.sequence,
                   static_cast<int>(r.payload.size()), static_cast<int>(expected));
    ack(ackId, LoaderTransfer::transmitError, {}, r.sequence);
    return true;
}

bool DeviceSim::injectedNack(const Request& r, uint16_t ackId)
{
    if (faults_.nackPacket == 0 || r.sequence != faults_.nackPacket)
        return false;
    faults_.nackPacket = 0; // once
    logTaggedLevel(2, "Fault", "packet %u (0x%.4x) answered with result 1", r.sequence, r.id);
    ack(ackId, LoaderTransfer::transmitError, {}, r.sequence);
    return true;
}

void DeviceSim::answerPacket(const Request& r, uint16_t ackId, const LoaderTransfer::Answer& a, const char* what)
{
    if (a.result == LoaderTransfer::accepted) {
        if (!a.note.empty())
            logTagged(tag, "%s: %s", what, a.note.c_str());
        logTagged(tag, "-> 0x%.4x %s packet %u accepted", ackId, what, r.sequence);
    } else {
        logTaggedLevel(3, tag, "-> 0x%.4x %s packet %u refused: %s", ackId, what, r.sequence, a.note.c_str());
    }
    ack(ackId, a.result, {}, r.sequence);
}

void DeviceSim::finishImage(LoaderTransfer& t)
{
    const Bytes image = t.image();
    const std::string path = images_.write(t.fileName(), image);
    if (t.path() == LoaderPath::Hex)
        logTagged(tag, "%s image complete: %d HEX records (file size %u announced), encrypted flag %d%s%s",
                  ImageSink::moduleName(t.module()).c_str(), t.hexRecords(), t.announcedSize(), t.encrypted(),
                  path.empty() ? "" : " -> ", path.c_str());
    else
        logTagged(tag, "%s image complete: %u bytes in %d data packets, encrypted flag %d%s%s",
                  ImageSink::moduleName(t.module()).c_str(), t.announcedSize(), t.dataPackets(), t.encrypted(),
                  path.empty() ? "" : " -> ", path.c_str());
}

void DeviceSim::leaveLoader(uint8_t module)
{
    if (loaders_.erase(module))
        logTagged(tag, "%s leaves its boot loader and runs the new firmware", ImageSink::moduleName(module).c_str());
}

bool DeviceSim::refusesLoader(uint8_t module, uint16_t commandId) const
{
    if (options_.refuseLoader.count(module) == 0)
        return false;
    logTaggedLevel(2, "Fault", "%s does not enter its boot loader (--refuse-loader); 0x%.4x not answered",
                   ImageSink::moduleName(module).c_str(), commandId);
    return true;
}

// ---- Boot loaders of the directly attached modules ----------------------------

void DeviceSim::enterLoader(const Request& r)
{
    const uint8_t module = moduleOfPrefix(r.id);
    if (refusesLoader(module, r.id))
        return;
    loaders_.insert(module);
    transfers_.erase(module);
    logTagged(tag, "%s enters its boot loader; -> 0x%.4x", ImageSink::moduleName(module).c_str(), r.id + 1);
    ack(static_cast<uint16_t>(r.id + 1), 0);
}

void DeviceSim::loadStart(const Request& r)
{
    const uint8_t module = moduleOfPrefix(r.id);
    const uint16_t ackId = static_cast<uint16_t>(r.id + 1);
    LoaderTransfer* t = loaderFor(module, pathOfModule(module), r);
    if (!t || wrongSize(r, sizeof(cmd_load_start), ackId) || injectedNack(r, ackId))
        return;
    const uint32_t size = r.u32(0);
    logTagged(tag, "%s load start: image size %u", ImageSink::moduleName(module).c_str(), size);
    answerPacket(r, ackId, t->start(r.sequence, size), "start");
}

void DeviceSim::loadData(const Request& r)
{
    const uint8_t module = moduleOfPrefix(r.id);
    const uint16_t ackId = static_cast<uint16_t>(r.id + 1);
    const LoaderPath path = pathOfModule(module);
    LoaderTransfer* t = loaderFor(module, path, r);
    const size_t size = path == LoaderPath::Hex ? sizeof(cmd_load_new_data) : sizeof(cmd_load_data);
    if (!t || wrongSize(r, size, ackId) || injectedNack(r, ackId))
        return;
    answerPacket(r, ackId, t->data(r.sequence, r.payload[0], r.payload.subspan(1)), "data");
}

void DeviceSim::loadEnd(const Request& r)
{
    const uint8_t module = moduleOfPrefix(r.id);
    const uint16_t ackId = static_cast<uint16_t>(r.id + 1);
    LoaderTransfer* t = loaderFor(module, pathOfModule(module), r);
    if (!t || wrongSize(r, sizeof(cmd_load_end), ackId) || injectedNack(r, ackId))
        return;
    const bool wasComplete = t->complete();
    answerPacket(r, ackId, t->end(r.sequence, r.u32(0)), "end");
    if (t->complete() && !wasComplete) {
        finishImage(*t);
        leaveLoader(module);
    }
}

// ---- Boot loaders behind the CAN bus ------------------------------------------

void DeviceSim::canEnterLoader(const Request& r)
{
    const uint8_t module = r.payload[0];
    if (refusesLoader(module, r.id))
        return;
    loaders_.insert(module);
    transfers_.erase(module);
    logTagged(tag, "%s (sub-code %d) enters its boot loader; -> 0x%.4x", ImageSink::moduleName(module).c_str(), r.payload[1],
              id::CanEnterLoaderAck);
    ack(id::CanEnterLoaderAck, 0);
}

void DeviceSim::canLoadStart(const Request& r)
{
    LoaderTransfer* t = loaderFor(r.payload[0], LoaderPath::Can, r);
    if (!t || wrongSize(r, sizeof(cmd_load_start_can), id::CanLoadStartAck) || injectedNack(r, id::CanLoadStartAck))
        return;
    const uint32_t size = r.u32(2);
    logTagged(tag, "%s CAN load start: image size %u", ImageSink::moduleName(r.payload[0]).c_str(), size);
    answerPacket(r, id::CanLoadStartAck, t->start(r.sequence, size), "CAN start");
}

void DeviceSim::canLoadData(const Request& r)
{
    // Layout: encrypted flag, module, sub-code, 256-byte block.
    LoaderTransfer* t = loaderFor(r.payload[1], LoaderPath::Can, r);
    if (!t || wrongSize(r, sizeof(cmd_load_data_can), id::CanLoadDataAck) || injectedNack(r, id::CanLoadDataAck))
        return;
    answerPacket(r, id::CanLoadDataAck, t->data(r.sequence, r.payload[0], r.payload.subspan(3)), "CAN data");
}

void DeviceSim::canLoadEnd(const Request& r)
{
    LoaderTransfer* t = loaderFor(r.payload[0], LoaderPath::Can, r);
    if (!t || wrongSize(r, sizeof(cmd_load_end_can), id::CanLoadEndAck) || injectedNack(r, id::CanLoadEndAck))
        return;
    const bool wasComplete = t->complete();
    answerPacket(r, id::CanLoadEndAck, t->end(r.sequence, r.u32(2)), "CAN end");
    if (t->complete() && !wasComplete)
        finishImage(*t);
}

void DeviceSim::canVerify(const Request& r)
{
    const uint8_t module = r.payload[0];
    const auto it = transfers_.find(module);
    if (r.payload.size() != 2 + 256u || it == transfers_.end()) {
        logTaggedLevel(3, tag, "CAN verify for %s: %s, result 1", ImageSink::moduleName(module).c_str(),
                       it == transfers_.end() ? "no transfer" : "wrong size");
        ack(id::CanVerifyResult, 1);
        return;
    }
    uint8_t result = it->second.verify(r.payload.subspan(2));
    if (faults_.verifyFail) {
        logTaggedLevel(2, "Fault", "verify of %s answered as failed", ImageSink::moduleName(module).c_str());
        result = 1;
    }
    logTagged(tag, "-> 0x%.4x verify result %d for %s", id::CanVerifyResult, result, ImageSink::moduleName(module).c_str());
    ack(id::CanVerifyResult, result);
    if (result == 0)
        leaveLoader(module);
}

// ---- IMU boot loader --------------------------------------------------------------

void DeviceSim::imuStart(const Request& r)
{
    if (refusesLoader(mod::Imu, r.id))
        return;
    loaders_.insert(mod::Imu);
    logTagged(tag, "imu enters its boot loader; -> 0x%.4x", id::ImuLoaderReady);
    ack(id::ImuLoaderReady, 0);
}

void DeviceSim::imuLength(const Request& r)
{
    if (!inLoader(mod::Imu) || r.payload.size() != sizeof(cmd_gimbal_length)) {
        logTaggedLevel(3, tag, "IMU length packet refused (%s), not answered", inLoader(mod::Imu) ? "wrong size" : "not in loader");
        return;
    }
    imu_.begin(r.u32(0));
    logTagged(tag, "-> 0x%.4x IMU image length %u", id::ImuLengthAck, imu_.length());
    ack(id::ImuLengthAck, 0);
}

void DeviceSim::imuBlock(const Request& r)
{
    if (!imu_.active() || r.payload.size() != sizeof(cmd_gimbal_data)) {
        logTaggedLevel(3, tag, "IMU block refused (%s), not answered", imu_.active() ? "wrong size" : "no length received");
        return;
    }
    const bool done = imu_.block(r.payload);
    logTagged(tag, "-> 0x%.4x IMU block, %zu of %u bytes", id::ImuBlockAck, imu_.received(), imu_.length());
    ack(id::ImuBlockAck, 0);
    if (!done)
        return;
    const std::string path = images_.write(ImageSink::moduleName(mod::Imu) + ".bin", imu_.image());
    logTagged(tag, "imu image complete: %u bytes%s%s; -> 0x%.4x", imu_.length(), path.empty() ? "" : " -> ", path.c_str(),
              id::ImuDone);
    ack(id::ImuDone, 0);
    leaveLoader(mod::Imu);
}

} // namespace kzo::devsim
