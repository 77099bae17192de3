#pragma once
// Shared by the online tests: the update-server simulator as a child process,
// the program's identity and settings, and a capture of the logger's output.
#include "app/config/GlobalCfg.h"
#include "app/logging/Log.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>
#include <memory>

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

// The program's identity (its settings and data folders follow from it), and
// no proxy: the simulator is on loopback and a proxy from the environment
// must not get in between.
inline void actAsTheProgramOnLoopback()
{
    QCoreApplication::setOrganizationName(QStringLiteral("KZO"));
    QCoreApplication::setApplicationName(QStringLiteral("kzo-assistant"));
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

// The settings the login dialog keeps the remembered account in.
inline QSettings userSettings()
{
    return QSettings(QStringLiteral("KZO"), GlobalCfg::instance()->settingsApp);
}

inline void clearUserSettings()
{
    QSettings s = userSettings();
    s.clear();
    s.sync();
}

// Fetches a firmware image the way the program does (a form POST of the
// account and the file id); empty when no answer came within `waitMs`.
inline QByteArray downloadImage(const QString& url, const QString& fileId, int waitMs)
{
    QNetworkAccessManager nam;
    QNetworkRequest req{QUrl(url)};
    req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    std::unique_ptr<QNetworkReply> reply(nam.post(req, "ssid=S-test&id=" + fileId.toUtf8()));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, waitMs))
        return {};
    return reply->readAll();
}
