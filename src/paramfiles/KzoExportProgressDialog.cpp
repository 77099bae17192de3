#include "paramfiles/KzoExportProgressDialog.h"

#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"

#include <QDir>

namespace kzo::paramfiles {

KzoExportProgressDialog::KzoExportProgressDialog(QWidget* parent)
    : ParamTransferDialog(tr("Export EEPROM"), parent), model(GlobalCfg::instance()->exportModel),
      version(currentStamp()), transfer_(baseAddress, blocks)
{
    setObjectName(QStringLiteral("KzoExportProgressDialog"));
    // Queued even when emitted on the GUI thread: a reply never runs the
    // next step from inside the write that asked for it.
    connect(this, &KzoExportProgressDialog::getdata, this, &KzoExportProgressDialog::processdata,
            Qt::QueuedConnection);
}

void KzoExportProgressDialog::onDevEvent(const DevEvent* event)
{
    const uint8_t* record = frameRecord(event);
    if (!record)
        return;
    // Identifier, then exact length (a wrong length is logged and dropped).
    if (std::optional<BlockReply> reply = decodeBlockReply(record))
        emit getdata(*reply);
}

bool KzoExportProgressDialog::startTransfer()
{
    showProgress(0, 100);
    if (blocks <= 0)
        return false;
    sendRequest();
    return true;
}

void KzoExportProgressDialog::sendRequest()
{
    showStatus(tr("Reading block %1 of %2 from the controller").arg(transfer_.acceptedBlocks() + 1).arg(blocks));
    ReadFrame frame = transfer_.request();
    requestSent(send(frame), "Export: block request", transfer_.outstandingAddress());
}

void KzoExportProgressDialog::resendRequest() { sendRequest(); }

void KzoExportProgressDialog::processdata(kzo::paramfiles::BlockReply reply)
{
    if (!running())
        return;
    const uint32_t expected = transfer_.outstandingAddress();
    const Step step = transfer_.accept(reply);
    if (step == Step::Ignored) {
        logTaggedLevel(2, "Param", "Export: reply for address %u ignored, waiting for %u", reply.address, expected);
        return;
    }
    replyAccepted();
    if (step == Step::Next) {
        showBlockDone(expected);
        sendRequest();
        return;
    }
    showProgress(total, total);
    if (!writeFileAtomically(filePath, buildImage(version, transfer_.records()), &writeError_)) {
        logTaggedLevel(3, "Param", "Export: cannot write %s: %s", qPrintable(QDir::toNativeSeparators(filePath)),
                       qPrintable(writeError_));
        finish(Outcome::WriteFailed);
        return;
    }
    logTagged("Param", "Export: %d blocks written to %s", blocks, qPrintable(QDir::toNativeSeparators(filePath)));
    finish(Outcome::Completed);
}

} // namespace kzo::paramfiles
