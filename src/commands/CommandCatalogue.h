#pragma once
// Command and acknowledgement identifiers, and the read-all sequences.
#include <array>
#include <cstdint>

namespace orb::cmdid {

// Connection.
inline constexpr uint16_t DeviceStatus = 0x0101; // default mcDeviceId
inline constexpr uint16_t StatusReport = 0x0102; // default mcConnectId
inline constexpr uint16_t Handshake = 0x0FB1;
inline constexpr uint16_t HandshakeAck = 0x0FB2;

// Read-all and versions.
inline constexpr uint16_t ReadVersions = 0x02C0;
inline constexpr uint16_t VersionsAck = 0x02C1;
inline constexpr uint16_t ReadCmuVersion = 0x1244;
inline constexpr uint16_t CmuVersionAck = 0x1245;

// Gimbal.
inline constexpr uint16_t GimbalRecord1Write = 0x02A0;
inline constexpr uint16_t GimbalRecord1Ack = 0x02A1;
inline constexpr uint16_t GimbalRecord1Read = 0x02A2;
inline constexpr uint16_t GimbalChannelsRead = 0x02A3;
inline constexpr uint16_t GimbalChannelsAck = 0x02A4;
inline constexpr uint16_t GimbalRecord2Write = 0x02A5;
inline constexpr uint16_t GimbalRecord2Ack = 0x02A6;
inline constexpr uint16_t GimbalRecord2Read = 0x02A7;
inline constexpr uint16_t GimbalRotateCalib = 0x02A8;
inline constexpr uint16_t GimbalCalibStatus = 0x02A9;
inline constexpr uint16_t GimbalCalibAck = 0x02AB;
inline constexpr uint16_t CameraChargeOn = 0x1250;
inline constexpr uint16_t CameraChargeOff = 0x1251;
inline constexpr uint16_t CameraStateAck = 0x1252;
inline constexpr uint16_t CameraStateRead = 0x1253;
inline constexpr uint16_t RangeRecordStart = 0x02D0;
inline constexpr uint16_t RangeRecordNext = 0x02D2;
inline constexpr uint16_t RangeRecordBegin = 0x02D4;
inline constexpr uint16_t RangeRecordEnd = 0x02D6;

// Parameter memory.
inline constexpr uint16_t ParamBlockRead = 0x0292;
inline constexpr uint16_t ParamBlockAck = 0x0293;
inline constexpr uint16_t ParamBlockWrite = 0x0294;
inline constexpr uint16_t ParamBlockWriteAck = 0x0295;

// IMU boot loader.
inline constexpr uint16_t ImuStart = 0x02B0;
inline constexpr uint16_t ImuLoaderReady = 0x02B1;
inline constexpr uint16_t ImuLength = 0x02B2;
inline constexpr uint16_t ImuLengthAck = 0x02B3;
inline constexpr uint16_t ImuBlockAlt = 0x02B4;
inline constexpr uint16_t ImuBlockAck = 0x02B5;
inline constexpr uint16_t ImuDone = 0x02B6;
inline constexpr uint16_t ImuBlock = 0x02B7;

// Direct boot loaders: module prefix 0x0000 (main controller), 0x1000 (CMU),
// 0x2000, 0x3000, 0x4000 (pitch, roll, yaw).
inline constexpr uint16_t LoadStart = 0x0233;
inline constexpr uint16_t LoadStartAck = 0x0234;
inline constexpr uint16_t LoadData = 0x0235;
inline constexpr uint16_t LoadDataAck = 0x0236;
inline constexpr uint16_t LoadEnd = 0x0240;
inline constexpr uint16_t LoadEndAck = 0x0241;
inline constexpr uint16_t EnterLoader = 0x0242;
inline constexpr uint16_t EnterLoaderAck = 0x0243;

// Flight-controller main parameter page: requests without payload and the
// acknowledgements that answer them.
inline constexpr uint16_t FcJitRead = 0x0283;
inline constexpr uint16_t FcJitAck = 0x0284;
inline constexpr uint16_t FcJitWrite = 0x0285;
inline constexpr uint16_t FcFblRead = 0x0280;
inline constexpr uint16_t FcFblAck = 0x0281;
inline constexpr uint16_t FcFblWrite = 0x0282;
inline constexpr uint16_t FcChannelsRead = 0x021C;
inline constexpr uint16_t FcChannelsAck = 0x021D;
inline constexpr uint16_t FcVoltageRead = 0x0244;
inline constexpr uint16_t FcVoltageAck = 0x0245;
inline constexpr uint16_t FcProtectionRead = 0x0246;
inline constexpr uint16_t FcProtectionAck = 0x0247;
inline constexpr uint16_t FcReceiverRead = 0x0298;
inline constexpr uint16_t FcReceiverAck = 0x0297;
inline constexpr uint16_t FcMountingRead = 0x020D;
inline constexpr uint16_t FcMountingAck = 0x020E;
inline constexpr uint16_t FcMixerRead = 0x0209;
inline constexpr uint16_t FcMixerAck = 0x020A;
inline constexpr uint16_t FcIdleSpeedRead = 0x029B;
inline constexpr uint16_t FcIdleSpeedAck = 0x029A;
inline constexpr uint16_t FcSwitchRead = 0x0262;
inline constexpr uint16_t FcSwitchAck = 0x0264;
inline constexpr uint16_t FcFailsafeRead = 0x024C;
inline constexpr uint16_t FcFailsafeAck = 0x024D;

// Flight-controller tools page.
inline constexpr uint16_t ImuDataRead = 0x0508;
inline constexpr uint16_t ImuDataAck = 0x0507;
inline constexpr uint16_t ImuCalibrationStart = 0x0506;
inline constexpr uint16_t FlightHabitsWrite = 0x0503;
// The settings record that 0x0503 writes (8 bytes, bit 0 of byte 4 = novice)
// is read with 0x0502 and comes back, after a read or a write, as 0x0504
// (record length 39). A controller that does not know 0x0502 never answers
// it, and the page then leaves the flight-habit boxes disabled.
inline constexpr uint16_t FlightHabitsRead = 0x0502;
inline constexpr uint16_t FlightHabitsAck = 0x0504;
inline constexpr uint16_t FlightLogRead = 0x022D;
inline constexpr uint16_t ProductSwitchReport = 0x029D;

// CAN modules through the main controller.
inline constexpr uint16_t CanEnterLoader = 0x0FA0;
inline constexpr uint16_t CanEnterLoaderAck = 0x0FA1;
inline constexpr uint16_t CanLoadStart = 0x0FA2;
inline constexpr uint16_t CanLoadStartAck = 0x0FA3;
inline constexpr uint16_t CanLoadData = 0x0FA4;
inline constexpr uint16_t CanLoadDataAck = 0x0FA5;
inline constexpr uint16_t CanLoadEnd = 0x0FA6;
inline constexpr uint16_t CanLoadEndAck = 0x0FA7;
inline constexpr uint16_t CanVerify = 0x0FA8;
inline constexpr uint16_t CanVerifyResult = 0x0FA9;

} // namespace orb::cmdid

namespace orb {

struct CommandPair {
    uint16_t command;
    uint16_t ack;
};

// Read on every connection (and, with the restore flag, for restore defaults).
inline constexpr std::array<CommandPair, 5> readAllSequence = {{
    {cmdid::ReadVersions, cmdid::VersionsAck},
    {cmdid::ReadCmuVersion, cmdid::CmuVersionAck},
    {cmdid::GimbalRecord1Read, cmdid::GimbalRecord1Ack},
    {cmdid::GimbalRecord2Read, cmdid::GimbalRecord2Ack},
    {cmdid::CameraStateRead, cmdid::CameraStateAck},
}};

// Module codes shared by the connection manager, the upgrade engine and the
// update-server client.
namespace module {
inline constexpr uint8_t Mc = 1, Imu = 2, Gps = 3, Led = 4, Pmu = 7, Receiver = 9, Gnss1 = 10, Gnss2 = 11,
                         Cmu = 12, Pitch = 13, Roll = 14, Yaw = 15;
}

} // namespace orb
