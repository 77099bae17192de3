#pragma once
// Runs one of the program's executables to its end and keeps what it printed.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace kzo::test {

struct ProgramRun {
    int code = -1; // -1: did not end normally in time
    QByteArray out, err;
};

// `name` is an executable of this build (found in its binary folder).
// Standard input stays open: a program that went on to run instead of
// answering would wait for input and not end, and shows as code -1.
inline ProgramRun runProgram(const QString& name, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KZO_BIN_DIR "/") + name, args);
    ProgramRun r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace kzo::test
