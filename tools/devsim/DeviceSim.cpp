#include "DeviceSim.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
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
    : options_(options), faults_(faults), memory_(memory), paramFaults_(options.paramFaults), images_(images), sender_(std::move(send)), start_(start),
      now_(start), gimbal_(options.disconnectedChannels), fc_(options.fc), imuModel_(options.imuModel), calibration_(options.rotateSeconds, options.calibrationReports)
{
    buildTable();
    if (paramFaults_.active())
        logTagged("Fault", "parameter memory: %s", paramFaults_.describe().c_str());
    const ImuOptions& imu = options.imuModel;
    if (imu.condition != ImuOptions::Condition::Calm || imu.caliFail || imu.advancedRequired || options.productSwitchAfter)
        logTagged(tag, "IMU: condition %d (0 calm, 1 cali, 2 abnormal, 3 axis error), calibration %.1f s%s%s; product switch %s",
                  static_cast<int>(imu.condition), imu.caliSeconds, imu.caliFail ? ", basic fails" : "",
                  imu.advancedRequired ? ", advanced required" : "",
                  options.productSwitchAfter ? (std::to_string(*options.productSwitchAfter) + " s after the first 0x0508").c_str() : "never");
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

    for (const FcModel::Read& rd : FcModel::reads())
        add(rd.request, {rd.name, &DeviceSim::fcRead, 0, false, rd.polled});
    add(id::FcJitWrite, {"write JIT mode and gains", &DeviceSim::fcWriteJit, FcModel::jitSize, false});
    add(id::FcFblWrite, {"write FBL mode and gains", &DeviceSim::fcWriteFbl, FcModel::fblSize, false});

    add(id::ImuDataRead, {"read IMU data", &DeviceSim::imuData, 0, false, true});
    add(id::ImuCalibrationStart, {"IMU calibration", &DeviceSim::imuCalibrate, 4, false});
    add(id::FlightHabitsRead, {"read flight habits", &DeviceSim::readHabits, 0, false});
    add(id::FlightHabitsWrite, {"write flight habits", &DeviceSim::writeHabits, FcModel::habitsSize, false});
    add(id::FlightLogRead, {"read flight log", &DeviceSim::flightLog, 0, false});

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
    restoreIfFlagged(r);
    (this->*e.handler)(r);
}

std::optional<DeviceSim::Clock::time_point> DeviceSim::nextDeadline() const
{
    std::optional<Clock::time_point> next = calibration_.nextDeadline();
    auto earliest = [&](std::optional<Clock::time_point> t) {
        if (t && (!next || *t < *next))
            next = t;
    };
    if (const auto s = imuModel_.nextChange())
        earliest(atSeconds(*s));
    if (!productSwitchSent_)
        earliest(productSwitchAt_);
    return next;
}

void DeviceSim::tick(Clock::time_point now)
{
    now_ = now;
    imuAdvance();
    if (productSwitchAt_ && !productSwitchSent_ && now >= *productSwitchAt_) {
        productSwitchSent_ = true;
        logTagged(tag, "-> 0x%.4x product switch report (unasked): words 1, 0", id::ProductSwitchReport);
        ack(id::ProductSwitchReport, 0, words({1, 0}));
    }
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

void DeviceSim::restoreIfFlagged(const Request& r)
{
    const uint16_t word7 = kzo::frame::readU16(r.record + kzo::frame::offFixedC);
    if (!(word7 & orb::restoreFlag))
        return;
    const bool readAll = std::any_of(orb::readAllSequence.begin(), orb::readAllSequence.end(),
                                     [&](const orb::CommandPair& p) { return p.command == r.id; });
    if (!readAll)
        return;
    // Every command of the sequence carries the flag; resetting again is harmless.
    fc_.reset();
    gimbal_.resetRecords();
    logTagged(tag, "restore defaults (0x%.4x, word 7 = 0x%.4x): flight-controller settings, flight habits and gimbal records reset",
              r.id, word7);
}

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

// ---- Flight controller: main parameter page ------------------------------------

void DeviceSim::fcRead(const Request& r)
{
    const FcModel::Read* rd = FcModel::readFor(r.id);
    const Bytes data = fc_.record(rd->ack, seconds());
    if (!rd->polled || options_.verbose)
        logTagged(tag, "-> 0x%.4x %s", rd->ack, FcModel::describe(rd->ack, data).c_str());
    ack(rd->ack, 0, data);
}

void DeviceSim::fcWriteJit(const Request& r)
{
    fc_.writeJit(r.payload);
    const Bytes p(r.payload.begin(), r.payload.begin() + FcModel::jitSize);
    logTagged(tag, "0x%.4x JIT write stored: %s", r.id, FcModel::describe(id::FcJitAck, p).c_str());
}

void DeviceSim::fcWriteFbl(const Request& r)
{
    fc_.writeFbl(r.payload);
    const Bytes p(r.payload.begin(), r.payload.begin() + FcModel::fblSize);
    logTagged(tag, "0x%.4x FBL write stored: %s", r.id, FcModel::describe(id::FcFblAck, p).c_str());
}

// ---- Flight controller: tools page ------------------------------------------------

void DeviceSim::imuAdvance()
{
    for (const std::string& line : imuModel_.advance(seconds()))
        logTagged(tag, "%s", line.c_str());
}

void DeviceSim::imuData(const Request&)
{
    imuAdvance();
    if (!productSwitchAt_ && options_.productSwitchAfter)
        productSwitchAt_ = now_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(*options_.productSwitchAfter));
    const orb::imu::ImuRecord rec = imuModel_.report(seconds());
    const auto data = orb::imu::encode(rec);
    if (options_.verbose)
        logTagged(tag, "-> 0x%.4x IMU: gyro %.2f %.2f %.2f, accel %.3f %.3f %.3f, state 0x%.2x, progress %d", id::ImuDataAck,
                  rec.gyro[0], rec.gyro[1], rec.gyro[2], rec.accel[0], rec.accel[1], rec.accel[2], rec.state, rec.progress);
    ack(id::ImuDataAck, 0, Bytes(data.begin(), data.end()));
}

void DeviceSim::imuCalibrate(const Request& r)
{
    imuAdvance();
    // No reply: the IMU report shows the calibration's state and progress.
    logTagged(tag, "%s", imuModel_.start(r.u32(0), seconds()).c_str());
}

void DeviceSim::readHabits(const Request&)
{
    const Bytes& h = fc_.habits();
    logTagged(tag, "-> 0x%.4x flight habits %02x %02x %02x %02x %02x %02x %02x %02x (%s)", id::FlightHabitsAck, h[0], h[1], h[2],
              h[3], h[4], h[5], h[6], h[7], h[4] & 1 ? "novice" : "normal");
    ack(id::FlightHabitsAck, 0, h);
}

void DeviceSim::writeHabits(const Request& r)
{
    fc_.writeHabits(r.payload);
    const Bytes& h = fc_.habits();
    logTagged(tag, "flight habits stored (%s): %02x %02x %02x %02x %02x %02x %02x %02x; -> 0x%.4x", h[4] & 1 ? "novice" : "normal",
              h[0], h[1], h[2], h[3], h[4], h[5], h[6], h[7], id::FlightHabitsAck);
    ack(id::FlightHabitsAck, 0, h);
}

void DeviceSim::flightLog(const Request& r)
{
    logTagged(tag, "flight log requested (0x%.4x), not answered", r.id);
}

// ---- Parameter memory ---------------------------------------------------------

void DeviceSim::readParamBlock(const Request& r)
{
    using PF = ParamFaults;
    const uint32_t address = r.u32(0);
    const uint32_t length = r.u32(4);
    const int block = ParamMemory::blockOf(address);
    if (paramFaults_.dropReply()) {
        logTaggedLevel(2, "Fault", "parameter read at address %u: no reply (--param-drop)", address);
        return;
    }
    if (block < 0) {
        logTaggedLevel(3, tag, "parameter read at address %u: not a block address, not answered", address);
        return;
    }
    uint32_t echoed = address;
    if (paramFaults_.hits(PF::Kind::WrongAddress, block, PF::Direction::Read)) {
        echoed = ParamFaults::wrongAddressOf(block);
        logTaggedLevel(2, "Fault", "parameter block %d read reply echoes address %u", block, echoed);
    }
    uint16_t number = static_cast<uint16_t>(block);
    if (paramFaults_.hits(PF::Kind::WrongNumber, block, PF::Direction::Read)) {
        number = static_cast<uint16_t>(block + 1);
        logTaggedLevel(2, "Fault", "parameter block %d read reply carries block number %u", block, number);
    }
    auto bytes = memory_.block(block);
    if (paramFaults_.hits(PF::Kind::WrongLength, block, PF::Direction::Read)) {
        bytes = bytes.first(bytes.size() - 1);
        logTaggedLevel(2, "Fault", "parameter block %d read reply one data byte short (record length 168)", block);
    }
    Bytes data;
    putU32(data, echoed);
    putU32(data, length);
    data.insert(data.end(), bytes.begin(), bytes.end());
    putU16(data, number);
    logTagged(tag, "-> 0x%.4x parameter block %d (address %u)", id::ParamBlockAck, block, address);
    ack(id::ParamBlockAck, 1, data);
}

void DeviceSim::writeParamBlock(const Request& r)
{
    using PF = ParamFaults;
    const uint32_t address = r.u32(0);
    const uint32_t length = r.u32(4);
    const int block = ParamMemory::blockOf(address);
    // A lost acknowledgement: the write itself still happens.
    const bool dropped = paramFaults_.dropReply();
    // The program reads result 0 as "refused".
    uint8_t result = 0;
    if (block < 0)
        logTaggedLevel(3, tag, "parameter write at address %u: not a block address, refused", address);
    else if (!dropped && paramFaults_.hits(PF::Kind::Refuse, block, PF::Direction::Write))
        logTaggedLevel(2, "Fault", "parameter block %d write refused, not stored (--param-refuse-block)", block);
    else if (!memory_.writeBlock(block, r.payload.subspan(8, ParamMemory::blockSize)))
        logTaggedLevel(3, tag, "parameter block %d could not be stored, refused", block);
    else
        result = 1;
    if (dropped) {
        logTaggedLevel(2, "Fault", "parameter block write at %u (result %d): no reply (--param-drop)", address, result);
        return;
    }
    uint32_t echoed = address;
    if (block >= 0 && paramFaults_.hits(PF::Kind::WrongAddress, block, PF::Direction::Write)) {
        echoed = ParamFaults::wrongAddressOf(block);
        logTaggedLevel(2, "Fault", "parameter block %d write acknowledge echoes address %u", block, echoed);
    }
    logTagged(tag, "-> 0x%.4x parameter block write at %u, result %d", id::ParamBlockWriteAck, address, result);
    ack(id::ParamBlockWriteAck, result, words({echoed, length}));
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

bool DeviceSim::takeUnplugRequest()
{
    const bool due = unplugRequested_;
    unplugRequested_ = false;
    return due;
}

bool DeviceSim::reachesUnplugPoint(uint8_t module, uint64_t received, uint64_t announced, const Request& r)
{
    const double at = options_.unplugAtPercent;
    if (at <= 0.0 || unplugUsed_ || announced == 0 || static_cast<double>(received) * 100.0 < at * static_cast<double>(announced))
        return false;
    unplugUsed_ = true;
    unplugRequested_ = true;
    logTaggedLevel(2, "Fault", "%s image at %.1f %% (%llu of %llu bytes) with packet %u (0x%.4x): unplugged (--unplug-at %g), "
                               "the packet is kept and not acknowledged",
                   ImageSink::moduleName(module).c_str(), static_cast<double>(received) * 100.0 / static_cast<double>(announced),
                   static_cast<unsigned long long>(received), static_cast<unsigned long long>(announced), r.sequence, r.id, at);
    return true;
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
    const LoaderTransfer::Answer a = t->data(r.sequence, r.payload[0], r.payload.subspan(1));
    if (a.result == LoaderTransfer::accepted && reachesUnplugPoint(module, t->receivedBytes(), t->announcedSize(), r))
        return;
    answerPacket(r, ackId, a, "data");
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
    const LoaderTransfer::Answer a = t->data(r.sequence, r.payload[0], r.payload.subspan(3));
    if (a.result == LoaderTransfer::accepted && reachesUnplugPoint(r.payload[1], t->receivedBytes(), t->announcedSize(), r))
        return;
    answerPacket(r, id::CanLoadDataAck, a, "CAN data");
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
    // Pulled out with this block: what arrived stays, nothing is answered.
    const bool unplugged = reachesUnplugPoint(mod::Imu, imu_.received(), imu_.length(), r);
    if (!unplugged) {
        logTagged(tag, "-> 0x%.4x IMU block, %zu of %u bytes", id::ImuBlockAck, imu_.received(), imu_.length());
        ack(id::ImuBlockAck, 0);
    }
    if (!done)
        return;
    const std::string path = images_.write(ImageSink::moduleName(mod::Imu) + ".bin", imu_.image());
    logTagged(tag, "imu image complete: %u bytes%s%s; -> 0x%.4x", imu_.length(), path.empty() ? "" : " -> ", path.c_str(),
              id::ImuDone);
    if (!unplugged)
        ack(id::ImuDone, 0);
    leaveLoader(mod::Imu);
}

} // namespace kzo::devsim
