#include "paramfiles/ParamTransferDialog.h"

#include "app/logging/Log.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/TransferTiming.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace kzo::paramfiles {

namespace {
const char* const progressStyle = " QProgressBar {\n     border: 2px solid grey;\n     border-radius: 5px;\n }\n\n"
                                  " QProgressBar::chunk {\n     background-color: #05B8CC;\n     width: 20px;\n }";
}

ParamTransferDialog::ParamTransferDialog(const QString& title, QWidget* parent)
    : QDialog(parent), blocks(memoryBlocks()), baseAddress(memoryBaseAddress()), total(blocks * recordSize),
      maxResends_(transferTiming().maxResends)
{
    setWindowTitle(title);
    // A title bar without a close button: Cancel is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));

    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setAccessibleName(tr("Transfer progress"));
    progressBar->setStyleSheet(QLatin1String(progressStyle));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setMinimumWidth(320);

    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAccessibleName(tr("Cancel"));
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &ParamTransferDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(statusLabel);
    layout->addWidget(progressBar);
    layout->addLayout(buttons);

    replyTimer.setObjectName(QStringLiteral("replyTimer"));
    replyTimer.setSingleShot(true);
    replyTimer.setInterval(transferTiming().replyTimeoutMs);
    connect(&replyTimer, &QTimer::timeout, this, &ParamTransferDialog::onReplyTimeout);
}

ParamTransferDialog::~ParamTransferDialog() { detach(); }

void ParamTransferDialog::detach()
{
    // Removing a listener takes the device I/O's lock: once this returns no
    // delivery to this dialog is running or can start.
    if (io)
        io->removeListener(this);
}

void ParamTransferDialog::setReplyTimeout(int ms) { replyTimer.setInterval(ms); }

int ParamTransferDialog::replyTimeout() const { return replyTimer.interval(); }

void ParamTransferDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    if (!startTransfer())
        QMetaObject::invokeMethod(this, [this] { finish(Outcome::NothingToSend); }, Qt::QueuedConnection);
}

const uint8_t* ParamTransferDialog::frameRecord(const DevEvent* event)
{
    if (!event)
        return nullptr;
    if (event->kind != EvFrame) {
        noteLinkEvent(event);
        return nullptr;
    }
    return event->data;
}

void ParamTransferDialog::requestSent(bool written, const char* what, uint32_t address)
{
    if (!written)
        logTaggedLevel(2, "Param", "%s at %u not written", what, address);
    awaitReply();
}

void ParamTransferDialog::awaitReply()
{
    awaiting_ = true;
    replyTimer.start();
}

void ParamTransferDialog::replyAccepted()
{
    awaiting_ = false;
    resendsForRequest_ = 0;
    replyTimer.stop();
}

void ParamTransferDialog::onReplyTimeout()
{
    if (!running() || !awaiting_)
        return;
    if (resendsForRequest_ >= maxResends_) {
        logTaggedLevel(3, "Param", "%s: no reply from the controller", qPrintable(windowTitle()));
        finish(Outcome::NoReply);
        return;
    }
    ++resendsForRequest_;
    ++resends_;
    logTaggedLevel(2, "Param", "%s: no reply, sending the request again", qPrintable(windowTitle()));
    resendRequest();
}

void ParamTransferDialog::reject()
{
    if (running())
        finish(Outcome::Cancelled);
}

void ParamTransferDialog::noteLinkEvent(const DevEvent* event)
{
    // Listener or finder thread: only a queued call may touch the dialog.
    if (event && event->kind == EvDisconnected)
        QMetaObject::invokeMethod(this, &ParamTransferDialog::onLinkLost, Qt::QueuedConnection);
}

void ParamTransferDialog::onLinkLost()
{
    if (running())
        finish(Outcome::Disconnected);
}

void ParamTransferDialog::showProgress(int value, int maximum)
{
    progressBar->setMaximum(maximum);
    progressBar->setValue(value);
}

void ParamTransferDialog::showBlockDone(uint32_t address)
{
    showProgress(static_cast<int>(address - baseAddress) + recordSize, total);
}

void ParamTransferDialog::showStatus(const QString& text) { statusLabel->setText(text); }

void ParamTransferDialog::finish(Outcome outcome)
{
    if (!running())
        return;
    outcome_ = outcome;
    replyTimer.stop();
    detach();
    done(outcome == Outcome::Completed ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace kzo::paramfiles
