#pragma once
// Runs many independent cells of a fault matrix at once and prints the
// matrix. A cell is a small state machine of child processes (simulators,
// kzo-flash, or this test program re-run for one in-process cell) driven by
// the event loop; several run side by side, each with its own simulator,
// port link and image folder.
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "TestImages.h"

namespace kzo::test::matrix {

// What one run of a flow came to.
enum class Outcome {
    Ok,             // success, and the device holds exactly the image
    Failed,         // a failure the user is told of
    Hang,           // nothing within a deadline well above the code's own time-outs
    Crash,          // a process died or a sanitizer spoke
    FalseOk,        // success reported, but the device does not hold the image (or the flow must have failed)
    Unreported,     // ended without success and without saying so
    NotApplicable,  // the fault does not exist for this path
};

QString outcomeText(Outcome o);
bool isBad(Outcome o);

using kzo::test::hexText;
using kzo::test::randomBytes;
bool sanitizerSpoke(const QByteArray& output);

// One cell: started once, reports through `done` exactly once.
class Cell : public QObject {
    Q_OBJECT
public:
    QString row, column;
    Outcome outcome = Outcome::NotApplicable;
    QString note;  // shown behind the outcome ("+replug ok")
    QString detail; // why, for a bad cell
    bool replugChecked = false;
    bool replugOk = true;
    qint64 elapsedMs = 0;

    virtual void start() = 0;
    QString cellText() const;

signals:
    void done();

protected:
    void finishCell();
    QElapsedTimer clock;
};

// A simulator (kzo-devsim or kzo-updsim) as a child process whose output is
// collected as it comes.
class SimChild : public QObject {
    Q_OBJECT
public:
    explicit SimChild(QObject* parent) : QObject(parent) {}
    ~SimChild() override;
    void start(const QString& program, const QStringList& args);
    void stop();
    QByteArray output();
    bool crashed(); // died before it was stopped, or a sanitizer spoke
    QProcess proc;

signals:
    void newOutput();

private:
    QByteArray log;
    bool stopping = false;
};

// A kzo-devsim behind a link, then kzo-flash --module `module` with `image`;
// for an unplug, a second kzo-flash once the simulator is plugged in again.
struct FlashSpec {
    QString row, column;
    QString module;      // kzo-flash --module
    QString fileName;    // the image file's name (its last letter chooses the enciphered flag)
    QByteArray image;
    QString storedAs;    // the simulator's file in --image-dir
    QStringList simArgs;
    bool unplug = false;  // the simulator pulls the plug and comes back
    bool mustFail = false; // the fault is one the upgrade cannot get past
};

class FlashCell : public Cell {
    Q_OBJECT
public:
    explicit FlashCell(FlashSpec spec);
    void start() override;

    // kzo-flash gives up after stallTimeoutS without progress (the dialog's
    // 16 s would only make the cells that wait for it longer); a run is a
    // hang only well beyond that.
    static constexpr int stallTimeoutS = 5;
    static constexpr int runDeadlineMs = 40000;

private:
    void simReady();
    void runFlash(bool second);
    void flashEnded(bool timedOut);
    Outcome classify(bool timedOut, QString& why);
    void end();

    FlashSpec spec;
    QTemporaryDir dir;
    SimChild* sim = nullptr;
    QProcess* flash = nullptr;
    QTimer deadline;
    bool secondRun = false;
    bool waitingForReplug = false;
    bool waitingForPort = true;
};

// This test program run again for one in-process cell: it prints
// "matrix-cell: <outcome>|<note>|<detail>" and exits 0.
class ChildCell : public Cell {
    Q_OBJECT
public:
    ChildCell(QString row, QString column, QString cellId, int deadlineMs);
    void start() override;

private:
    QString cellId;
    int deadlineMs;
    QProcess proc;
    QTimer deadline;
    QByteArray out;
};

// The child side of a ChildCell: the cell asked for, or empty.
QString childCellRequested();
// What the child prints at its end.
void reportChildCell(Outcome o, const QString& note, const QString& detail);

// Runs cells, at most `parallel` at a time; true when all ended before `totalMs`.
bool runCells(const std::vector<Cell*>& cells, int parallel, int totalMs);

// Prints the table (one row per row name, one column per column name) with
// qInfo and returns the bad cells as lines.
QStringList printMatrix(const QString& title, const QStringList& rows, const QStringList& columns,
                        const std::vector<Cell*>& cells);

} // namespace kzo::test::matrix
