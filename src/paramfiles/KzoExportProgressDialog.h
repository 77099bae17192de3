#pragma once
// Reads the controller's parameter memory block by block and writes it to
// filePath as a parameter file, whole or not at all.
#include "paramfiles/BlockTransfer.h"
#include "paramfiles/ParamFile.h"
#include "paramfiles/ParamTransferDialog.h"

namespace kzo::paramfiles {

class KzoExportProgressDialog : public ParamTransferDialog {
    Q_OBJECT
public:
    explicit KzoExportProgressDialog(QWidget* parent = nullptr);

    void onDevEvent(const DevEvent* event) override;

    QString filePath;
    // Why the file could not be written (WriteFailed).
    QString writeError() const { return writeError_; }
    const ExportTransfer& transfer() const { return transfer_; }

signals:
    void getdata(kzo::paramfiles::BlockReply reply);

public slots:
    void processdata(kzo::paramfiles::BlockReply reply);

protected:
    bool startTransfer() override;
    void resendRequest() override;

private:
    void sendRequest();

    const QString model;
    const FileStamp version;
    ExportTransfer transfer_;
    QString writeError_;
};

} // namespace kzo::paramfiles
