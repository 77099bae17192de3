#pragma once
// Shared by the online tests: the update-server simulator as a child process
// and a capture of the logger's output.
#include "app/logging/Log.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

class UpdSim {
public:
    UpdSim() = default;
    UpdSim(const UpdSim&) = delete;
    UpdSim& operator=(const UpdSim&) = delete;
    ~UpdSim() { stop(); }

    // Starts kzo-updsim on a free port and waits for its "listening:" line.
    // It ends with this process even when a test crashes.
    bool start(const QStringList& args = {})
    {
        proc.setProgram(QStringLiteral(KZO_BIN_DIR "/kzo-updsim"));
        proc.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--exit-with-parent")}
                          + args);
        // The simulator's complaints (and sanitizer reports) show in the test output.
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start();
        if (!proc.waitForStarted(20000))
            return false;
        QElapsedTimer t;
        t.start();
        while (!buffer.contains('\n') && t.elapsed() < 20000) {
            proc.waitForReadyRead(500);
            buffer += proc.readAllStandardOutput();
        }
        const QRegularExpression re(QStringLiteral("^listening: (http://127\\.0\\.0\\.1:(\\d+)/)\n"));
        const auto m = re.match(QString::fromUtf8(buffer));
        if (!m.hasMatch())
            return false;
        base = m.captured(1);
        return true;
    }

    void stop()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.kill();
            proc.waitForFinished(10000);
        }
    }

    // Everything the simulator printed so far.
    QString log()
    {
        buffer += proc.readAllStandardOutput();
        return QString::fromUtf8(buffer);
    }

    int count(const QString& needle) { return static_cast<int>(log().count(needle)); }

    QString base; // "http://127.0.0.1:PORT/"

private:
    QProcess proc;
    QByteArray buffer;
};

using kzo::test::LogCapture;

inline QString appDataPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

inline void clearAppData()
{
    QDir(appDataPath()).removeRecursively();
}
