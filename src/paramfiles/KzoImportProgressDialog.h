#pragma once
// Writes a parameter file's records into the controller's parameter memory
// block by block. The records are read (and checked) before the dialog runs.
#include "paramfiles/BlockTransfer.h"
#include "paramfiles/ParamTransferDialog.h"

namespace kzo::paramfiles {

class KzoImportProgressDialog : public ParamTransferDialog {
    Q_OBJECT
public:
    // records: the file's blocks * 130 record bytes behind its header.
    explicit KzoImportProgressDialog(const QByteArray& records, QWidget* parent = nullptr);

    void onDevEvent(const DevEvent* event) override;

    QString filePath; // shown in the log only
    int mode = 2; // 2 while running, 3 after a refused block
    const ImportTransfer& transfer() const { return transfer_; }
    // Whether the controller may now hold some blocks from the file and some
    // from before: a block was accepted, or a write may have landed unanswered.
    bool mayHoldMix() const;

signals:
    void getdata(kzo::paramfiles::WriteAck ack);

public slots:
    void processdata(kzo::paramfiles::WriteAck ack);

protected:
    bool startTransfer() override;
    void resendRequest() override;

private:
    void sendRequest();

    ImportTransfer transfer_;
};

} // namespace kzo::paramfiles
