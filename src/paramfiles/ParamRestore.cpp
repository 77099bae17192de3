#include "paramfiles/ParamRestore.h"

#include "app/logging/Log.h"
#include "link/DevIo.h"
#include "paramfiles/BlockFrames.h"
#include "paramfiles/ParamFile.h"

namespace kzo::paramfiles {

namespace {
ReadResult readChecked(const QString& path) { return readParamFile(path, currentStamp(), memoryBlocks()); }
} // namespace

ParamRestore::ParamRestore(const QString& filePath, TransferTiming timing, QObject* parent)
    : ParamRestore(readChecked(filePath), timing, parent)
{
}

ParamRestore::ParamRestore(ReadResult file, TransferTiming timing, QObject* parent)
    : QObject(parent), timing(timing), fileStatus(file.status),
      transfer(memoryBaseAddress(), file.status == ReadStatus::Ok ? memoryBlocks() : 0, file.records)
{
    replyTimer.setSingleShot(true);
    replyTimer.setInterval(timing.replyTimeoutMs);
    connect(&replyTimer, &QTimer::timeout, this, &ParamRestore::onTimeout);
    if (fileStatus != ReadStatus::Ok || transfer.blocks() == 0)
        outcome_ = Outcome::BadFile;
}

ParamRestore::~ParamRestore() { detach(); }

void ParamRestore::detach()
{
    if (attached && io)
        io->removeListener(this);
    attached = false;
}

void ParamRestore::start()
{
    if (outcome_ != Outcome::Running || attached)
        return;
    if (!io) {
        end(Outcome::Disconnected);
        return;
    }
    io->addListener(this);
    attached = true;
    sendRequest();
}

void ParamRestore::sendRequest()
{
    WriteFrame frame = transfer.request();
    if (!send(frame))
        logTaggedLevel(2, "Param", "Restore: block write at %u not written", transfer.outstandingAddress());
    replyTimer.start();
}

void ParamRestore::onDevEvent(const DevEvent* event)
{
    if (event->kind == EvDisconnected) {
        QMetaObject::invokeMethod(this, [this] { end(Outcome::Disconnected); }, Qt::QueuedConnection);
        return;
    }
    if (event->kind != EvFrame || !event->data)
        return;
    if (std::optional<WriteAck> ack = decodeWriteAck(event->data))
        QMetaObject::invokeMethod(this, [this, a = *ack] { onAck(a); }, Qt::QueuedConnection);
}

void ParamRestore::onAck(const WriteAck& ack)
{
    if (outcome_ != Outcome::Running)
        return;
    switch (transfer.accept(ack)) {
    case Step::Ignored: return;
    case Step::Next:
        resends = 0;
        sendRequest();
        return;
    case Step::Done:
        logTagged("Param", "Restore: %d blocks written", transfer.blocks());
        end(Outcome::Completed);
        return;
    case Step::Refused:
        logTaggedLevel(3, "Param", "Restore: block %d refused by the controller", transfer.acceptedBlocks());
        end(Outcome::Refused);
        return;
    }
}

void ParamRestore::onTimeout()
{
    if (outcome_ != Outcome::Running)
        return;
    if (resends >= timing.maxResends) {
        end(Outcome::NoReply);
        return;
    }
    ++resends;
    sendRequest();
}

void ParamRestore::end(Outcome outcome)
{
    if (outcome_ != Outcome::Running)
        return;
    replyTimer.stop();
    outcome_ = outcome;
    detach();
    emit finished(outcome == Outcome::Completed);
}

QString ParamRestore::errorText() const
{
    const QString block = QString::number(transfer.acceptedBlocks() + 1);
    switch (outcome_) {
    case Outcome::Running:
    case Outcome::Completed: return {};
    case Outcome::BadFile:
        switch (fileStatus) {
        case ReadStatus::CannotOpen: return tr("the file cannot be opened");
        case ReadStatus::VersionMismatch: return tr("Configuration file version does not match.");
        default: return tr("the file is not a whole parameter file");
        }
    case Outcome::Refused: return tr("the controller refused parameter block %1").arg(block);
    case Outcome::NoReply: return tr("the controller did not answer for parameter block %1").arg(block);
    case Outcome::Disconnected: return tr("the device was disconnected");
    }
    return {};
}

} // namespace kzo::paramfiles
