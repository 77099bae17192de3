#pragma once
// Routes the logger into a temporary file for the lifetime of the object so a
// test can read back exactly what was printed.
#include "app/logging/Log.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kzo::test {

class LogCapture {
public:
    LogCapture()
    {
        std::string tmpl = std::string(KZO_TEST_OUTPUT_DIR) + "/logcapture-XXXXXX";
        path_ = tmpl;
        fd_ = ::mkstemp(path_.data());
        if (fd_ >= 0)
            kzo::log::setOutputFd(fd_);
    }
    ~LogCapture()
    {
        kzo::log::setOutputFd(-1);
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Everything printed since the capture started.
    QByteArray bytes() const
    {
        QByteArray out;
        if (fd_ < 0)
            return out;
        char buf[4096];
        off_t pos = 0;
        for (;;) {
            const ssize_t n = ::pread(fd_, buf, sizeof buf, pos);
            if (n <= 0)
                break;
            out.append(buf, static_cast<int>(n));
            pos += n;
        }
        return out;
    }
    QString text() const { return QString::fromUtf8(bytes()); }

    // Whether a whole tagged logger line "[TAG      @ NNNN] MESSAGE\n" was
    // printed: from the start of a line, any sequence number, exactly this text.
    bool hasLine(const QString& tag, const QString& message) const
    {
        const QByteArray head = '[' + tag.toUtf8().leftJustified(8, ' ') + " @ ";
        const QByteArray body = "] " + message.toUtf8();
        const QList<QByteArray> lines = bytes().split('\n');
        // The last piece has no line end yet: not a whole line.
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QByteArray& line = lines[i];
            if (!line.startsWith(head))
                continue;
            qsizetype p = head.size();
            while (p < line.size() && line[p] == ' ')
                ++p;
            const qsizetype digits = p;
            while (p < line.size() && line[p] >= '0' && line[p] <= '9')
                ++p;
            if (p > digits && line.mid(p) == body)
                return true;
        }
        return false;
    }

private:
    std::string path_;
    int fd_ = -1;
};

// The line header the logger prints for a message with this tag and number.
inline QByteArray logHeader(const char* tag, int sequence)
{
    return QByteArray("[") + QByteArray(tag).leftJustified(8, ' ') + " @ "
        + QByteArray::number(sequence).rightJustified(4, ' ') + "] ";
}

} // namespace kzo::test
