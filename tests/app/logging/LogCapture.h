#pragma once
// Routes the logger into a temporary file for the lifetime of the object so a
// test can read back exactly what was printed.
#include "app/logging/Log.h"

#include <QByteArray>
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
