#include "paramfiles/KzoImportProgressDialog.h"

#include "app/logging/Log.h"
#include "paramfiles/ParamFile.h"

#include <QDir>

namespace kzo::paramfiles {

KzoImportProgressDialog::KzoImportProgressDialog(const QByteArray& records, QWidget* parent)
    : ParamTransferDialog(tr("Import EEPROM"), parent), transfer_(baseAddress, blocks, records)
{
    setObjectName(QStringLiteral("KzoImportProgressDialog"));
    // Queued even when emitted on the GUI thread: an acknowledgement never
    // runs the next step from inside the write that asked for it.
    connect(this, &KzoImportProgressDialog::getdata, this, &KzoImportProgressDialog::processdata,
            Qt::QueuedConnection);
}

void KzoImportProgressDialog::onDevEvent(const DevEvent* event)
{
    const uint8_t* record = frameRecord(event);
    if (!record)
        return;
    if (std::optional<WriteAck> ack = decodeWriteAck(record))
        emit getdata(*ack);
}

bool KzoImportProgressDialog::mayHoldMix() const { return transfer_.acceptedBlocks() > 0 || awaitingReply(); }

bool KzoImportProgressDialog::startTransfer()
{
    showProgress(0, 100);
    // Only a complete file is ever sent.
    if (blocks <= 0 || transfer_.blocks() != blocks)
        return false;
    logTagged("Param", "Import: writing %s", qPrintable(QDir::toNativeSeparators(filePath)));
    sendRequest();
    return true;
}

void KzoImportProgressDialog::sendRequest()
{
    showStatus(tr("Writing block %1 of %2 to the controller").arg(transfer_.acceptedBlocks() + 1).arg(blocks));
    WriteFrame frame = transfer_.request();
    requestSent(send(frame), "Import: block write", transfer_.outstandingAddress());
}

void KzoImportProgressDialog::resendRequest() { sendRequest(); }

void KzoImportProgressDialog::processdata(kzo::paramfiles::WriteAck ack)
{
    if (!running())
        return;
    const uint32_t expected = transfer_.outstandingAddress();
    const Step step = transfer_.accept(ack);
    switch (step) {
    case Step::Ignored:
        logTaggedLevel(2, "Param", "Import: acknowledgement for address %u ignored, waiting for %u", ack.address,
                       expected);
        return;
    case Step::Refused:
        mode = 3;
        replyAccepted();
        logTaggedLevel(3, "Param", "Import: the controller refused the block at address %u", ack.address);
        finish(Outcome::Refused);
        return;
    case Step::Next:
        replyAccepted();
        showBlockDone(expected);
        sendRequest();
        return;
    case Step::Done:
        replyAccepted();
        showProgress(total, total);
        logTagged("Param", "Import: %d blocks written", blocks);
        finish(Outcome::Completed);
        return;
    }
}

} // namespace kzo::paramfiles
