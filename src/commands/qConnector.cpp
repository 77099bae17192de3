#include "commands/qConnector.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"
#include "commands/DevCommand.h"
#include "protocol/FrameCodec.h"

qConnector::qConnector(QObject* parent) : QObject(parent)
{
    statusRepeat.setInterval(statusRepeatMs);
    connect(&statusRepeat, &QTimer::timeout, this, &qConnector::repeatStatusRequest);
}

void qConnector::repeatStatusRequest()
{
    if (!linkUp_.load() || connected_.load() || repeatsLeft_.load() <= 0 || !io) {
        statusRepeat.stop();
        return;
    }
    --repeatsLeft_;
    logTaggedLevel(2, "CONNECT", "No status report yet: asking again");
    io->sendCommand(GlobalCfg::instance()->mcDeviceId);
}

void qConnector::onModelChanged(const std::wstring&, const orb::DevValue&) {}

bool qConnector::sendHandshake(uint8_t first, uint8_t second)
{
    orb::RawFrame<2> frame(orb::cmdid::Handshake);
    frame.payload()[0] = first;
    frame.payload()[1] = second;
    return send(frame);
}

void qConnector::onDevEvent(const DevEvent* event)
{
    if (!event)
        return;
    switch (event->kind) {
    case EvConnected:
        loaderDevice_ = -1;
        handshakePending_ = 1;
        loaderMode_ = false;
        linkUp_ = true;
        repeatsLeft_ = statusRepeats;
        sendHandshake(1, 0);
        if (io)
            io->sendCommand(GlobalCfg::instance()->mcDeviceId);
        // Link events come from the finder thread: the timer starts on ours.
        QMetaObject::invokeMethod(this, [this] { statusRepeat.start(); }, Qt::QueuedConnection);
        break;
    case EvFrame:
        if (event->data)
            onFrame(event->data);
        break;
    case EvDisconnected:
        linkUp_ = false;
        connected_ = false;
        emit connectionChanged(false);
        break;
    case EvTransferStart:
        emit dataTransfer(true);
        break;
    case EvConnectFail:
        connected_ = false;
        emit connectFail();
        break;
    default:
        break;
    }
}

void qConnector::onFrame(const uint8_t* record)
{
    const uint16_t id = kzo::frame::recordCommandId(record);
    if (id == orb::cmdid::HandshakeAck)
        handshakePending_ = 0;
    analyseLoaderMode(record);
    if (id == GlobalCfg::instance()->mcConnectId) {
        // Only the first report after link-up announces the connection.
        bool expected = false;
        if (connected_.compare_exchange_strong(expected, true))
            emit connectionChanged(true);
    }
    emit dataTransfer(false);
}

void qConnector::analyseLoaderMode(const uint8_t* record)
{
    if (loaderMode_.load())
        return;
    const uint16_t id = kzo::frame::recordCommandId(record);
    // A record too short to carry a payload has no status byte to analyse.
    const bool hasPayload = kzo::frame::recordLength(record) > kzo::frame::offPayload;
    const uint8_t s = hasPayload ? record[kzo::frame::offPayload] : 0;

    if (id == GlobalCfg::instance()->mcConnectId) {
        if (handshakePending_.load() == 1) {
            // No handshake answer: the USB link reaches a boot loader directly.
            if (s == 0xFE) {
                logTaggedLevel(3, "CONNECT", "Main Controller is in loader mode. Connect type :USB\n");
                loaderMode_ = true;
                loaderDevice_ = orb::module::Mc;
                emit deviceAbnormal(orb::module::Mc);
            } else {
                loaderDevice_ = 0;
                if (s == 0xFD) {
                    logTaggedLevel(3, "CONNECT", "CMU is in loader mode. Connect type :USB\n");
                    loaderMode_ = true;
                    loaderDevice_ = orb::module::Cmu;
                    emit deviceAbnormal(orb::module::Cmu);
                }
            }
            return;
        }
        // The firmware answered; the report names a module behind it on CAN,
        // with the two halves of the byte swapped.
        const int code = ((s & 0x0F) << 4) | ((s & 0xF0) >> 4);
        loaderDevice_ = code;
        if (code == 0)
            return;
        loaderMode_ = true;
        if (code == orb::module::Mc) {
            logTaggedLevel(3, "CONNECT", "Main Controller is in loader mode. Connect type :CAN\n");
            emit deviceAbnormal(code);
        } else if (code == orb::module::Led) {
            logTaggedLevel(3, "CONNECT", "LED is in loader mode.\n");
            emit deviceAbnormal(code);
        } else {
            logTaggedLevel(3, "CONNECT", "In loader mode. deviceID = 0x%.2x\n", code);
        }
    } else if (id == orb::cmdid::ImuLoaderReady) {
        logTaggedLevel(3, "CONNECT", "IMU is in loader mode. Connect type :USB\n");
        loaderMode_ = true;
        loaderDevice_ = orb::module::Imu;
        emit deviceAbnormal(orb::module::Imu);
    }
}
