#pragma once
// Runs kzo-devsim for a test: started with --link in a private folder, so the
// program under test finds the simulated port at a fixed path; stopped on
// destruction.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>

class SimProcess {
public:
    ~SimProcess() { stop(); }

    bool start(const QString& linkPath, const QStringList& extra)
    {
        process.setProgram(QStringLiteral(KZO_BIN_DIR "/kzo-devsim"));
        process.setArguments(QStringList{"--exit-with-parent", "--link", linkPath} + extra);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start();
        if (!process.waitForStarted(10000))
            return false;
        // The first line names the pty; the link exists from then on.
        QElapsedTimer t;
        t.start();
        while (!(log.contains("port: ") && QFileInfo::exists(linkPath)) && t.elapsed() < 10000) {
            process.waitForReadyRead(100);
            log += process.readAll();
        }
        return log.contains("port: ") && QFileInfo::exists(linkPath);
    }
    void stop()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
        log += process.readAll();
    }
    QByteArray output()
    {
        log += process.readAll();
        return log;
    }
    qint64 pid() const { return process.processId(); }

    QProcess process;
    QByteArray log;
};
