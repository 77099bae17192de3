#pragma once
// Starts kzo-devsim for a test and stops it again; the simulator prints
// "port: /dev/pts/N" as its first line. It is told to end with the test
// process, so a test that dies leaves no simulator behind.
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace kzo::test {

class DevSimProcess {
public:
    explicit DevSimProcess(const QStringList& args = {})
    {
        proc.setProgram(QStringLiteral(KZO_BIN_DIR "/kzo-devsim"));
        proc.setArguments(QStringList{QStringLiteral("--exit-with-parent")} + args);
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        proc.start();
        if (!proc.waitForStarted(10000))
            return;
        QByteArray out;
        for (int i = 0; i < 200 && !out.contains('\n'); ++i) {
            proc.waitForReadyRead(100);
            out += proc.readAllStandardOutput();
        }
        const int at = out.indexOf("port: ");
        if (at >= 0) {
            const int end = out.indexOf('\n', at);
            port_ = QString::fromUtf8(out.mid(at + 6, end - at - 6)).trimmed();
        }
        log_ = out;
    }
    ~DevSimProcess() { stop(); }
    DevSimProcess(const DevSimProcess&) = delete;
    DevSimProcess& operator=(const DevSimProcess&) = delete;

    void stop()
    {
        if (proc.state() == QProcess::NotRunning)
            return;
        proc.terminate();
        if (!proc.waitForFinished(5000)) {
            proc.kill();
            proc.waitForFinished(2000);
        }
    }

    QString port() const { return port_; }
    qint64 pid() const { return proc.processId(); }
    bool ok() const { return !port_.isEmpty(); }
    // Everything the simulator printed so far.
    QByteArray log()
    {
        log_ += proc.readAllStandardOutput();
        return log_;
    }

private:
    QProcess proc;
    QString port_;
    QByteArray log_;
};

} // namespace kzo::test
