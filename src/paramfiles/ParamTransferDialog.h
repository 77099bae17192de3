#pragma once
// What the export and the import dialog share: a small modal window with a
// progress bar and a Cancel button, the reply time-out with re-send, the end
// on a lost link, and the rule that a finished dialog is no longer a device
// listener. Replies are decoded on the listener thread and reach the dialog
// by value through a queued signal; nothing else happens off the GUI thread.
#include "protocol/DevListener.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;

namespace kzo::paramfiles {

class ParamTransferDialog : public QDialog, public orb::DevListener {
    Q_OBJECT
public:
    enum class Outcome {
        Running, // not finished yet
        Completed,
        Cancelled, // Cancel button or Escape
        Disconnected, // the link went during the transfer
        NoReply, // no reply after the last re-send
        Refused, // the controller refused a block write
        WriteFailed, // the file could not be written (export)
        NothingToSend, // no complete record to write (import)
    };

    ~ParamTransferDialog() override;

    Outcome outcome() const { return outcome_; }
    int resendCount() const { return resends_; }
    // Re-send after this many milliseconds without the awaited reply.
    void setReplyTimeout(int ms);
    int replyTimeout() const;
    void setMaxResends(int n) { maxResends_ = n; }

    QLabel* statusLabel;
    QProgressBar* progressBar;
    QPushButton* cancelButton;

public slots:
    // The reply timer's expiry: the same request again, or the end.
    void onReplyTimeout();
    // Cancel, Escape and a window-manager close all end here.
    void reject() override;

protected:
    ParamTransferDialog(const QString& title, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    // Sends the first request; false when there is nothing to transfer.
    virtual bool startTransfer() = 0;
    // Sends the outstanding request again.
    virtual void resendRequest() = 0;

    // For onDevEvent: a link event is handled here; a frame's record is
    // returned for the subclass to decode (null for anything else).
    const uint8_t* frameRecord(const DevEvent* event);
    // After every (re-)sent request; `written` is what the send returned.
    // A request that did not go out is sent again like one whose reply was lost.
    void requestSent(bool written, const char* what, uint32_t address);
    // After the awaited reply has been accepted.
    void replyAccepted();
    bool awaitingReply() const { return awaiting_; }
    bool running() const { return outcome_ == Outcome::Running; }
    // Stops waiting, stops listening and closes the dialog.
    void finish(Outcome outcome);
    // For the subclasses' onDevEvent: connect and disconnect handling.
    void noteLinkEvent(const DevEvent* event);
    void showProgress(int value, int maximum);
    // The block at `address` was taken: the bar shows the bytes so far.
    void showBlockDone(uint32_t address);

    const int blocks;
    const uint32_t baseAddress;
    const int total; // blocks * 130
    void showStatus(const QString& text);

private slots:
    void onLinkLost();

private:
    void awaitReply();
    void detach();

    QTimer replyTimer;
    Outcome outcome_ = Outcome::Running;
    bool started_ = false;
    bool awaiting_ = false;
    int resends_ = 0; // over the whole transfer
    int resendsForRequest_ = 0;
    int maxResends_;
};

} // namespace kzo::paramfiles
