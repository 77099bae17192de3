#include "FaultMatrix.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace kzo::test::matrix {

QString outcomeText(Outcome o)
{
    switch (o) {
    case Outcome::Ok: return QStringLiteral("ok");
    case Outcome::Failed: return QStringLiteral("failed(reported)");
    case Outcome::Hang: return QStringLiteral("HANG");
    case Outcome::Crash: return QStringLiteral("CRASH");
    case Outcome::FalseOk: return QStringLiteral("FALSE-OK");
    case Outcome::Unreported: return QStringLiteral("UNREPORTED");
    case Outcome::NotApplicable: return QStringLiteral("n/a");
    }
    return QStringLiteral("?");
}

namespace {

Outcome outcomeOf(const QString& text)
{
    for (Outcome o : {Outcome::Ok, Outcome::Failed, Outcome::Hang, Outcome::Crash, Outcome::FalseOk, Outcome::Unreported,
                      Outcome::NotApplicable})
        if (outcomeText(o) == text)
            return o;
    return Outcome::Crash;
}

QByteArray readAllOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray lastLines(const QByteArray& text, int n)
{
    QList<QByteArray> lines = text.trimmed().split('\n');
    if (lines.size() > n)
        lines = lines.mid(lines.size() - n);
    return lines.join(" | ");
}

} // namespace

bool isBad(Outcome o)
{
    return o == Outcome::Hang || o == Outcome::Crash || o == Outcome::FalseOk || o == Outcome::Unreported;
}


bool sanitizerSpoke(const QByteArray& output)
{
    return output.contains("ERROR: AddressSanitizer") || output.contains("runtime error:")
        || output.contains("WARNING: ThreadSanitizer") || output.contains("ERROR: LeakSanitizer");
}

// ---------------------------------------------------------------- Cell

QString Cell::cellText() const
{
    QString t = outcomeText(outcome);
    if (replugChecked)
        t += replugOk ? QStringLiteral("+replug ok") : QStringLiteral("+REPLUG FAILED");
    if (!note.isEmpty())
        t += note;
    return t;
}

void Cell::finishCell()
{
    elapsedMs = clock.elapsed();
    emit done();
}

// ---------------------------------------------------------------- SimChild

SimChild::~SimChild()
{
    stop();
}

void SimChild::start(const QString& program, const QStringList& args)
{
    proc.setProcessChannelMode(QProcess::MergedChannels);
    connect(&proc, &QProcess::readyRead, this, [this] {
        log += proc.readAll();
        emit newOutput();
    });
    proc.start(QStringLiteral(KZO_BIN_DIR "/") + program, args);
}

void SimChild::stop()
{
    if (proc.state() == QProcess::NotRunning)
        return;
    stopping = true;
    proc.terminate();
    if (!proc.waitForFinished(5000)) {
        proc.kill();
        proc.waitForFinished(5000);
    }
    log += proc.readAll();
}

QByteArray SimChild::output()
{
    log += proc.readAll();
    return log;
}

bool SimChild::crashed()
{
    const QByteArray out = output();
    if (sanitizerSpoke(out))
        return true;
    // Stopped by us: ends with SIGTERM handled (exit 0); anything else before that is a crash.
    if (proc.state() == QProcess::NotRunning && !stopping)
        return true;
    return proc.exitStatus() == QProcess::CrashExit && !stopping;
}

// ---------------------------------------------------------------- FlashCell

FlashCell::FlashCell(FlashSpec s) : spec(std::move(s))
{
    row = spec.row;
    column = spec.column;
    deadline.setSingleShot(true);
}

void FlashCell::start()
{
    clock.start();
    QDir().mkpath(dir.filePath(QStringLiteral("img")));
    QFile f(dir.filePath(spec.fileName));
    f.open(QIODevice::WriteOnly);
    f.write(spec.image);
    f.close();

    sim = new SimChild(this);
    connect(sim, &SimChild::newOutput, this, [this] {
        const QByteArray out = sim->output();
        if (waitingForPort && out.contains("port: ") && QFileInfo::exists(dir.filePath(QStringLiteral("tty")))) {
            waitingForPort = false;
            deadline.stop();
            runFlash(false);
        } else if (waitingForReplug && out.contains("replugged: ")
                   && QFileInfo::exists(dir.filePath(QStringLiteral("tty")))) {
            waitingForReplug = false;
            deadline.stop();
            runFlash(true);
        }
    });
    connect(&deadline, &QTimer::timeout, this, [this] {
        if (waitingForPort || waitingForReplug) {
            // The simulator did not come up (or back): not the program's fault,
            // but the cell cannot be judged either.
            outcome = waitingForPort ? Outcome::Crash : outcome;
            if (waitingForReplug) {
                replugChecked = true;
                replugOk = false;
            }
            detail = waitingForPort ? QStringLiteral("the simulator did not start")
                                    : QStringLiteral("the simulator was not plugged in again: ")
                    + QString::fromUtf8(lastLines(sim->output(), 4));
            waitingForPort = waitingForReplug = false;
            end();
        } else if (flash) {
            flashEnded(true);
        }
    });
    sim->start(QStringLiteral("kzo-devsim"), QStringList{"--exit-with-parent", "--link", dir.filePath(QStringLiteral("tty")),
                                                         "--image-dir", dir.filePath(QStringLiteral("img"))}
                   + spec.simArgs);
    deadline.start(20000);
}

void FlashCell::runFlash(bool second)
{
    secondRun = second;
    if (second)
        QFile::remove(dir.filePath(QStringLiteral("img/")) + spec.storedAs);
    flash = new QProcess(this);
    connect(flash, &QProcess::finished, this, [this] {
        deadline.stop();
        flashEnded(false);
    });
    flash->start(QStringLiteral(KZO_BIN_DIR "/kzo-flash"),
                 QStringList{"--no-udev", "--port", dir.filePath(QStringLiteral("tty")), "--stall-timeout",
                             QString::number(stallTimeoutS), "--module", spec.module, dir.filePath(spec.fileName)});
    deadline.start(runDeadlineMs);
}

Outcome FlashCell::classify(bool timedOut, QString& why)
{
    if (timedOut) {
        flash->disconnect(this);
        flash->kill();
        flash->waitForFinished(5000);
    }
    const QByteArray out = flash->readAllStandardOutput();
    const QByteArray err = flash->readAllStandardError();
    why = QString::fromUtf8(lastLines(err.isEmpty() ? out : err, 3));
    if (timedOut)
        return Outcome::Hang;
    if (flash->exitStatus() == QProcess::CrashExit || sanitizerSpoke(out + err))
        return Outcome::Crash;
    const int code = flash->exitCode();
    if (code == 0) {
        const QByteArray stored = readAllOf(dir.filePath(QStringLiteral("img/")) + spec.storedAs);
        if (stored != spec.image) {
            why = QStringLiteral("success reported, the device holds %1 of %2 bytes%3")
                      .arg(stored.size())
                      .arg(spec.image.size())
                      .arg(stored.isEmpty() ? QString() : QStringLiteral(" (different)"));
            return Outcome::FalseOk;
        }
        if (spec.mustFail && !secondRun) {
            why = QStringLiteral("success reported although the device refused it");
            return Outcome::FalseOk;
        }
        return Outcome::Ok;
    }
    // 1: the upgrade failed; 3: the main controller's parameters could not be
    // saved first, so nothing was written. Either is said on standard error.
    if ((code == 1 || code == 3) && err.contains("kzo-flash: "))
        return Outcome::Failed;
    why = QStringLiteral("exit %1: %2").arg(code).arg(why);
    return Outcome::Unreported;
}

void FlashCell::flashEnded(bool timedOut)
{
    QString why;
    const Outcome o = classify(timedOut, why);
    flash->deleteLater();
    flash = nullptr;
    if (!secondRun) {
        outcome = o;
        if (isBad(o))
            detail = why;
        if (spec.unplug && !isBad(o)) {
            // The next plug-in must work: a second run on the port that came back.
            waitingForReplug = true;
            deadline.start(20000);
            emit sim->newOutput();
            return;
        }
        end();
        return;
    }
    replugChecked = true;
    replugOk = o == Outcome::Ok;
    if (!replugOk)
        detail = QStringLiteral("after the re-plug: %1 %2").arg(outcomeText(o), why);
    end();
}

void FlashCell::end()
{
    deadline.stop();
    sim->disconnect(this);
    const bool simCrashed = sim->crashed();
    sim->stop();
    if (simCrashed) {
        outcome = Outcome::Crash;
        detail = QStringLiteral("kzo-devsim: ") + QString::fromUtf8(lastLines(sim->output(), 4));
    }
    finishCell();
}

// ---------------------------------------------------------------- ChildCell

ChildCell::ChildCell(QString r, QString c, QString id, int ms) : cellId(std::move(id)), deadlineMs(ms)
{
    row = std::move(r);
    column = std::move(c);
    deadline.setSingleShot(true);
}

void ChildCell::start()
{
    clock.start();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KZO_MATRIX_CELL"), cellId);
    proc.setProcessEnvironment(env);
    proc.setProcessChannelMode(QProcess::MergedChannels);
    connect(&proc, &QProcess::readyRead, this, [this] { out += proc.readAll(); });
    connect(&deadline, &QTimer::timeout, this, [this] {
        proc.disconnect(this);
        proc.kill();
        proc.waitForFinished(5000);
        outcome = Outcome::Hang;
        detail = QStringLiteral("no outcome within %1 ms: ").arg(deadlineMs) + QString::fromUtf8(lastLines(out, 4));
        finishCell();
    });
    connect(&proc, &QProcess::finished, this, [this] {
        deadline.stop();
        out += proc.readAll();
        const qsizetype at = out.lastIndexOf("matrix-cell: ");
        if (proc.exitStatus() == QProcess::CrashExit || sanitizerSpoke(out) || at < 0) {
            outcome = Outcome::Crash;
            detail = QStringLiteral("exit %1: ").arg(proc.exitCode()) + QString::fromUtf8(lastLines(out, 6));
        } else {
            const QByteArray line = out.mid(at + 13, out.indexOf('\n', at) - at - 13);
            const QStringList parts = QString::fromUtf8(line).split(QLatin1Char('|'));
            outcome = outcomeOf(parts.value(0));
            note = parts.value(1);
            detail = parts.value(2);
            if (note.contains(QLatin1String("replug"), Qt::CaseInsensitive)) {
                replugChecked = true;
                replugOk = note == QLatin1String("+replug ok");
                note.clear();
            }
        }
        finishCell();
    });
    proc.start(QCoreApplication::applicationFilePath(), QStringList{});
    deadline.start(deadlineMs);
}

QString childCellRequested()
{
    return qEnvironmentVariable("KZO_MATRIX_CELL");
}

void reportChildCell(Outcome o, const QString& note, const QString& detail)
{
    QString d = detail;
    d.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('|'), QLatin1Char('/'));
    std::fflush(stdout);
    std::printf("\nmatrix-cell: %s|%s|%s\n", qPrintable(outcomeText(o)), qPrintable(note), qPrintable(d));
    std::fflush(stdout);
}

// ---------------------------------------------------------------- running and printing

bool runCells(const std::vector<Cell*>& cells, int parallel, int totalMs)
{
    QEventLoop loop;
    size_t next = 0;
    size_t ended = 0;
    std::function<void()> startNext = [&] {
        while (next < cells.size() && static_cast<int>(next - ended) < parallel) {
            Cell* c = cells[next++];
            QObject::connect(c, &Cell::done, &loop, [&] {
                ++ended;
                if (ended == cells.size())
                    loop.quit();
                else
                    QTimer::singleShot(0, &loop, startNext);
            }, Qt::SingleShotConnection);
            c->start();
        }
    };
    QTimer overall;
    overall.setSingleShot(true);
    QObject::connect(&overall, &QTimer::timeout, &loop, &QEventLoop::quit);
    overall.start(totalMs);
    if (cells.empty())
        return true;
    QTimer::singleShot(0, &loop, startNext);
    loop.exec();
    return ended == cells.size();
}

QStringList printMatrix(const QString& title, const QStringList& rows, const QStringList& columns,
                        const std::vector<Cell*>& cells)
{
    auto find = [&](const QString& r, const QString& c) -> const Cell* {
        for (const Cell* cell : cells)
            if (cell->row == r && cell->column == c)
                return cell;
        return nullptr;
    };
    int rowWidth = 4;
    for (const QString& r : rows)
        rowWidth = std::max(rowWidth, static_cast<int>(r.size()));
    std::vector<int> widths;
    for (const QString& c : columns) {
        int w = static_cast<int>(c.size());
        for (const QString& r : rows)
            if (const Cell* cell = find(r, c))
                w = std::max(w, static_cast<int>(cell->cellText().size()));
        widths.push_back(w);
    }
    auto line = [&](const QString& first, const std::function<QString(int)>& at) {
        QString l = QStringLiteral("| ") + first.leftJustified(rowWidth) + QStringLiteral(" |");
        for (int i = 0; i < columns.size(); ++i)
            l += QLatin1Char(' ') + at(i).leftJustified(widths[static_cast<size_t>(i)]) + QStringLiteral(" |");
        return l;
    };
    qInfo().noquote() << title;
    qInfo().noquote() << line(QStringLiteral("path"), [&](int i) { return columns[i]; });
    qInfo().noquote() << line(QString(rowWidth, QLatin1Char('-')), [&](int i) {
        return QString(widths[static_cast<size_t>(i)], QLatin1Char('-'));
    });
    QStringList bad;
    for (const QString& r : rows) {
        qInfo().noquote() << line(r, [&](int i) {
            const Cell* cell = find(r, columns[i]);
            return cell ? cell->cellText() : outcomeText(Outcome::NotApplicable);
        });
        for (const QString& c : columns) {
            const Cell* cell = find(r, c);
            if (!cell)
                continue;
            if (isBad(cell->outcome) || (cell->replugChecked && !cell->replugOk))
                bad << QStringLiteral("%1 / %2: %3 (%4)").arg(r, c, cell->cellText(), cell->detail);
        }
    }
    qint64 longest = 0;
    for (const Cell* cell : cells)
        longest = std::max(longest, cell->elapsedMs);
    qInfo().noquote() << QStringLiteral("%1 cells, the longest took %2 ms").arg(cells.size()).arg(longest);
    for (const QString& b : bad)
        qInfo().noquote() << QStringLiteral("BAD: ") + b;
    return bad;
}

} // namespace kzo::test::matrix
