#pragma once
// Writes a parameter file back into the controller without any window: the
// import dialog's block exchange with its reply time-out and re-sends, for
// kzo-flash --restore. GUI (event-loop) thread only; acknowledgements are
// decoded on the listener thread and handed over queued.
#include "paramfiles/BlockTransfer.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/TransferTiming.h"
#include "protocol/DevListener.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace kzo::paramfiles {

class ParamRestore : public QObject, public orb::DevListener {
    Q_OBJECT
public:
    enum class Outcome { Running, Completed, BadFile, Refused, NoReply, Disconnected };

    // Reads and checks the file now (outcome() is BadFile when it is not a
    // parameter file of this program); talks through currentDevIo.
    explicit ParamRestore(const QString& filePath, TransferTiming timing = transferTiming(), QObject* parent = nullptr);
    ~ParamRestore() override;

    void start();
    Outcome outcome() const { return outcome_; }
    QString errorText() const;
    // Blocks the controller has taken so far.
    int writtenBlocks() const { return transfer.acceptedBlocks(); }

    void onDevEvent(const DevEvent* event) override;

signals:
    void finished(bool ok);

private:
    ParamRestore(ReadResult file, TransferTiming timing, QObject* parent);
    void onAck(const WriteAck& ack);
    void onTimeout();
    void sendRequest();
    void end(Outcome outcome);
    void detach();

    const TransferTiming timing;
    ReadStatus fileStatus;
    ImportTransfer transfer;
    QTimer replyTimer;
    Outcome outcome_ = Outcome::Running;
    bool attached = false;
    int resends = 0;
};

} // namespace kzo::paramfiles
