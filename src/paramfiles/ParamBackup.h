#pragma once
// Saves the controller's parameter memory to a file without any window: the
// same block exchange as the export dialog, with its reply time-out and
// re-sends, for programs that run headless (kzo-flash) and for the copy kept
// before a main-controller upgrade. GUI (event-loop) thread only; replies are
// decoded on the listener thread and handed over queued.
#include "paramfiles/BlockTransfer.h"
#include "paramfiles/TransferTiming.h"
#include "protocol/DevListener.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

namespace kzo::paramfiles {

// "params-YYYYMMDD-HHMMSS.<model>" for the moment given.
QString backupFileName(const QDateTime& when, const QString& model);
// folder + "/" + backupFileName(now, the product's model code); the folder is created.
QString newBackupPath(const QString& folder, const QDateTime& now = QDateTime::currentDateTime());

class ParamBackup : public QObject, public orb::DevListener {
    Q_OBJECT
public:
    enum class Outcome { Running, Completed, NoReply, Disconnected, WriteFailed };

    // Talks through currentDevIo as it is at construction.
    explicit ParamBackup(QString filePath, TransferTiming timing = transferTiming(), QObject* parent = nullptr);
    ~ParamBackup() override;

    // Registers with the device I/O and asks for the first block.
    void start();
    Outcome outcome() const { return outcome_; }
    const QString& filePath() const { return path; }
    // Why it did not complete, for the user.
    QString errorText() const;

    void onDevEvent(const DevEvent* event) override;

signals:
    void finished(bool ok);

private:
    void onReply(const BlockReply& reply);
    void onTimeout();
    void sendRequest();
    void end(Outcome outcome);
    void detach();

    const QString path;
    const TransferTiming timing;
    ExportTransfer transfer;
    QTimer replyTimer;
    Outcome outcome_ = Outcome::Running;
    bool attached = false;
    int resends = 0;
    QString writeError;
};

} // namespace kzo::paramfiles
