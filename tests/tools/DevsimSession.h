#pragma once
// Runs kzo-devsim as a child process and talks to it over its pty with the
// program's own frame codec, so the tests see the link as the program does.
#include "protocol/ReceiveAssembler.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

struct Reply {
    std::vector<uint8_t> record; // frame record, length field first
    uint16_t id() const;
    int length() const { return static_cast<int>(record.size()); }
    uint16_t sequence() const;
    uint8_t byte(int recordOffset) const { return record.at(static_cast<size_t>(recordOffset)); }
    uint32_t u32(int recordOffset) const;
};

class DevsimSession {
public:
    // logName: file in the test output folder that receives the simulator's output.
    DevsimSession(const QStringList& args, const QString& logName);
    ~DevsimSession();

    // Starts the simulator, reads its port line and opens the port raw.
    bool start();
    // Opens the port of a simulator started some other way, or opens it anew
    // (after a re-plug); frames not yet taken from the old port are dropped.
    bool open(const QString& port);
    QString portPath() const { return port_; }
    QString logText() const;
    QProcess& process() { return proc_; }

    // Sends a frame built by the caller (sealed here with the codec).
    void send(std::span<uint8_t> frame);
    void sendCommand(uint16_t id, std::span<const uint8_t> payload = {}, uint16_t sequence = 0);
    // Next received frame with this identifier (others are kept), or nothing.
    std::optional<Reply> waitFor(uint16_t id, int timeoutMs = 5000);
    bool received(uint16_t id) const;
    // Reads until the port reports a hang-up (the simulator closed its end).
    bool waitHangUp(int timeoutMs);
    bool stop(); // SIGTERM, then wait; true on exit code 0

private:
    void pump(int timeoutMs);

    QProcess proc_;
    QStringList args_;
    QString logPath_;
    QString port_;
    int fd_ = -1;
    std::deque<Reply> inbox_;
    kzo::frame::ReceiveAssembler rx_;
};
