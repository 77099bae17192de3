#pragma once
// Routes the logger to a pseudo-terminal for the lifetime of the object, so a
// test sees the colour codes the logger uses only on terminals (they carry the
// line's level).
#include "app/logging/Log.h"
#include "support/PseudoTerminal.h"

#include <QByteArray>

namespace kzo::test {

class TerminalLog {
public:
    TerminalLog()
    {
        if (pty_.ok())
            kzo::log::setOutputFd(pty_.slave());
    }
    ~TerminalLog() { kzo::log::setOutputFd(-1); }
    TerminalLog(const TerminalLog&) = delete;
    TerminalLog& operator=(const TerminalLog&) = delete;

    bool isOpen() const { return pty_.ok(); }

    // Reads what was printed until `until` shows up or two seconds pass
    // without output.
    QByteArray readUntil(const QByteArray& until) { return pty_.readUntil(until); }

private:
    PseudoTerminal pty_;
};

} // namespace kzo::test
