#include "DevsimSession.h"

#include "protocol/FrameCodec.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

uint16_t Reply::id() const
{
    return kzo::frame::recordCommandId(record.data());
}

uint16_t Reply::sequence() const
{
    return kzo::frame::readU16(record.data() + kzo::frame::offSequence);
}

uint32_t Reply::u32(int off) const
{
    return kzo::frame::readU32(record.data() + off);
}

DevsimSession::DevsimSession(const QStringList& args, const QString& logName)
    : args_(args), logPath_(QStringLiteral(KZO_TEST_OUTPUT_DIR "/") + logName)
{
}

DevsimSession::~DevsimSession()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (proc_.state() != QProcess::NotRunning) {
        proc_.terminate();
        if (!proc_.waitForFinished(5000))
            proc_.kill();
        proc_.waitForFinished(2000);
    }
}

bool DevsimSession::start()
{
    QFile::remove(logPath_);
    proc_.setStandardOutputFile(logPath_);
    proc_.setProcessChannelMode(QProcess::MergedChannels);
    // A test that dies must not leave its simulator running.
    proc_.start(QStringLiteral(KZO_BIN_DIR "/kzo-devsim"), QStringList{QStringLiteral("--exit-with-parent")} + args_);
    if (!proc_.waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        const QString text = logText();
        const int nl = text.indexOf(QLatin1Char('\n'));
        if (nl > 0) {
            const QString first = text.left(nl);
            if (!first.startsWith(QStringLiteral("port: ")))
                return false;
            port_ = first.mid(6);
            break;
        }
        if (proc_.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(20);
    }
    return !port_.isEmpty() && open(port_);
}

bool DevsimSession::open(const QString& port)
{
    // A re-plugged simulator: what was read from the old port is gone with it.
    if (fd_ >= 0)
        ::close(fd_);
    inbox_.clear();
    rx_.clear();
    port_ = port;
    fd_ = ::open(port_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    termios tio{};
    ::tcgetattr(fd_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd_, TCSANOW, &tio);
    return true;
}

QString DevsimSession::logText() const
{
    QFile f(logPath_);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void DevsimSession::send(std::span<uint8_t> frame)
{
    sealFrame(frame.data(), static_cast<int>(frame.size()));
    size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::write(fd_, frame.data() + done, frame.size() - done);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

void DevsimSession::sendCommand(uint16_t id, std::span<const uint8_t> payload, uint16_t sequence)
{
    std::vector<uint8_t> frame(34 + payload.size(), 0);
    kzo::frame::buildHeader(frame.data(), static_cast<int>(frame.size()), id);
    kzo::frame::writeU16(frame.data() + 4 + kzo::frame::offSequence, sequence);
    std::copy(payload.begin(), payload.end(), frame.begin() + 30);
    send(frame);
}

void DevsimSession::pump(int timeoutMs)
{
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN))
        return;
    uint8_t buf[4096];
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n <= 0)
        return;
    rx_.feed(std::span<const uint8_t>(buf, static_cast<size_t>(n)), [&](const uint8_t* rec) {
        Reply r;
        r.record.assign(rec, rec + kzo::frame::recordLength(rec));
        inbox_.push_back(std::move(r));
    });
}

std::optional<Reply> DevsimSession::waitFor(uint16_t id, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        for (auto it = inbox_.begin(); it != inbox_.end(); ++it) {
            if (it->id() == id) {
                Reply r = std::move(*it);
                inbox_.erase(it);
                return r;
            }
        }
        if (deadline.hasExpired())
            return std::nullopt;
        pump(static_cast<int>(qMin<qint64>(50, deadline.remainingTime())));
    }
}

bool DevsimSession::received(uint16_t id) const
{
    for (const Reply& r : inbox_)
        if (r.id() == id)
            return true;
    return false;
}

bool DevsimSession::waitHangUp(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            if (p.revents & (POLLHUP | POLLERR))
                return true;
            uint8_t buf[256];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n == 0 || (n < 0 && errno == EIO))
                return true;
        }
    }
    return false;
}

bool DevsimSession::stop()
{
    proc_.terminate();
    if (!proc_.waitForFinished(10000))
        return false;
    return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
}
