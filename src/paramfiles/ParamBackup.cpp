#include "paramfiles/ParamBackup.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "link/DevIo.h"
#include "paramfiles/BlockFrames.h"
#include "paramfiles/ParamFile.h"

#include <QDir>

namespace kzo::paramfiles {

QString backupFileName(const QDateTime& when, const QString& model)
{
    return QStringLiteral("params-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('.') + model;
}

QString newBackupPath(const QString& folder, const QDateTime& now)
{
    QDir().mkpath(folder);
    return QDir(folder).filePath(backupFileName(now, GlobalCfg::instance()->exportModel));
}

ParamBackup::ParamBackup(QString filePath, TransferTiming timing, QObject* parent)
    : QObject(parent), path(std::move(filePath)), timing(timing), transfer(memoryBaseAddress(), memoryBlocks())
{
    replyTimer.setSingleShot(true);
    replyTimer.setInterval(timing.replyTimeoutMs);
    connect(&replyTimer, &QTimer::timeout, this, &ParamBackup::onTimeout);
}

ParamBackup::~ParamBackup() { detach(); }

void ParamBackup::detach()
{
    // Removing a listener takes the device I/O's lock: afterwards no
    // delivery to this object is running or can start.
    if (attached && io)
        io->removeListener(this);
    attached = false;
}

void ParamBackup::start()
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

void ParamBackup::sendRequest()
{
    ReadFrame frame = transfer.request();
    if (!send(frame))
        logTaggedLevel(2, "Param", "Backup: block request at %u not written", transfer.outstandingAddress());
    replyTimer.start();
}

void ParamBackup::onDevEvent(const DevEvent* event)
{
    // Listener thread: decode here (the record lives only during the call),
    // act on the object's own thread.
    if (event->kind == EvDisconnected) {
        QMetaObject::invokeMethod(this, [this] { end(Outcome::Disconnected); }, Qt::QueuedConnection);
        return;
    }
    if (event->kind != EvFrame || !event->data)
        return;
    if (std::optional<BlockReply> reply = decodeBlockReply(event->data))
        QMetaObject::invokeMethod(this, [this, r = *reply] { onReply(r); }, Qt::QueuedConnection);
}

void ParamBackup::onReply(const BlockReply& reply)
{
    if (outcome_ != Outcome::Running)
        return;
    const Step step = transfer.accept(reply);
    if (step == Step::Ignored)
        return;
    resends = 0;
    if (step == Step::Next) {
        sendRequest();
        return;
    }
    replyTimer.stop();
    if (!writeFileAtomically(path, buildImage(currentStamp(), transfer.records()), &writeError)) {
        logTaggedLevel(3, "Param", "Backup: cannot write %s: %s", qPrintable(QDir::toNativeSeparators(path)),
                       qPrintable(writeError));
        end(Outcome::WriteFailed);
        return;
    }
    logTagged("Param", "Backup: %d blocks written to %s", transfer.blocks(), qPrintable(QDir::toNativeSeparators(path)));
    end(Outcome::Completed);
}

void ParamBackup::onTimeout()
{
    if (outcome_ != Outcome::Running)
        return;
    if (resends >= timing.maxResends) {
        logTaggedLevel(3, "Param", "Backup: no reply from the controller for block %d", transfer.acceptedBlocks());
        end(Outcome::NoReply);
        return;
    }
    ++resends;
    sendRequest();
}

void ParamBackup::end(Outcome outcome)
{
    if (outcome_ != Outcome::Running)
        return;
    replyTimer.stop();
    outcome_ = outcome;
    detach();
    emit finished(outcome == Outcome::Completed);
}

QString ParamBackup::errorText() const
{
    switch (outcome_) {
    case Outcome::Running:
    case Outcome::Completed: return {};
    case Outcome::NoReply:
        return tr("the controller did not answer for parameter block %1 of %2")
            .arg(transfer.acceptedBlocks() + 1)
            .arg(transfer.blocks());
    case Outcome::Disconnected: return tr("the device was disconnected");
    case Outcome::WriteFailed: return tr("cannot write %1: %2").arg(QDir::toNativeSeparators(path), writeError);
    }
    return {};
}

} // namespace kzo::paramfiles
