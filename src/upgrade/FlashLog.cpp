#include "upgrade/FlashLog.h"

#include "app/config/GlobalCfg.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kzo::upgrade {

namespace {

constexpr int fieldCount = 9;
// Enough for thousands of lines; an older part of a huge log is not read.
constexpr qint64 readTailBytes = 512 * 1024;

QString cleanField(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    out = out.trimmed();
    return out.isEmpty() ? QStringLiteral("-") : out;
}

QString readField(QStringView f) { return f == u"-" ? QString() : f.toString(); }

bool isMd5(QStringView s)
{
    if (s == u"-")
        return true;
    if (s.size() != 32)
        return false;
    for (QChar c : s)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

bool isOutcome(const QString& s)
{
    return s == QLatin1String("ok") || s.startsWith(QLatin1String("failed: "))
        || s.startsWith(QLatin1String("refused: "));
}

bool writeAll(int fd, const QByteArray& bytes, QString* error)
{
    // One write: O_APPEND places it whole at the end of the file.
    const ssize_t n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (n == bytes.size())
        return true;
    if (error)
        *error = n < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("short write");
    return false;
}

} // namespace

QString formatFlashRecord(const FlashRecord& r)
{
    // Local time with its offset written out, so entries from different
    // time zones (or around a clock change) still order and read right.
    const QDateTime when = r.when.timeSpec() == Qt::OffsetFromUTC ? r.when : r.when.toOffsetFromUtc(r.when.offsetFromUtc());
    const QStringList fields{
        when.toString(Qt::ISODate),
        cleanField(r.module),
        cleanField(r.port),
        cleanField(r.versionBefore),
        cleanField(r.image),
        QString::number(r.size),
        r.md5.isEmpty() ? QStringLiteral("-") : r.md5.toLower(),
        cleanField(r.outcome),
        QString::number(r.seconds, 'f', 1),
    };
    return fields.join(QLatin1Char('\t'));
}

std::optional<FlashRecord> parseFlashRecord(QStringView line)
{
    if (line.endsWith(u'\r'))
        line.chop(1);
    const QList<QStringView> f = line.split(u'\t');
    if (f.size() != fieldCount)
        return std::nullopt;
    FlashRecord r;
    r.when = QDateTime::fromString(f[0].toString(), Qt::ISODate);
    if (!r.when.isValid())
        return std::nullopt;
    bool sizeOk = false;
    bool secondsOk = false;
    r.size = f[5].toLongLong(&sizeOk);
    r.seconds = f[8].toDouble(&secondsOk);
    r.module = readField(f[1]);
    r.port = readField(f[2]);
    r.versionBefore = readField(f[3]);
    r.image = readField(f[4]);
    r.md5 = readField(f[6]);
    r.outcome = f[7].toString();
    if (!sizeOk || r.size < 0 || !secondsOk || r.seconds < 0 || r.module.isEmpty() || !isMd5(f[6])
        || !isOutcome(r.outcome))
        return std::nullopt;
    return r;
}

QString userDataFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/KZO/") + QString::fromLatin1(kzoApplicationName);
    QDir().mkpath(dir);
    return dir;
}

QString flashLogPath() { return userDataFolder() + QStringLiteral("/flash.log"); }

bool appendFlashRecord(const QString& path, const FlashRecord& record, QString* error)
{
    QByteArray line = formatFlashRecord(record).toUtf8() + '\n';
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Writers take turns: a line another writer has half copied in would
    // look torn to the check below. The lock goes with the descriptor.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // A writer that died mid-line left no line end: start on a line of our
    // own, or this entry would be glued to the torn one and lost with it.
    struct stat st {};
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        const int rfd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
        if (rfd >= 0) {
            if (::pread(rfd, &last, 1, st.st_size - 1) != 1)
                last = '\n';
            ::close(rfd);
        }
    }
    if (last != '\n')
        line.prepend('\n');
    const bool ok = writeAll(fd, line, error);
    ::close(fd);
    return ok;
}

std::vector<FlashRecord> readFlashLog(const QString& path, int count)
{
    std::vector<FlashRecord> out;
    if (count <= 0)
        return out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const qint64 size = f.size();
    bool skipFirst = false;
    if (size > readTailBytes) {
        f.seek(size - readTailBytes);
        skipFirst = true; // begins inside a line
    }
    const QString text = QString::fromUtf8(f.readAll());
    QList<QStringView> lines = QStringView(text).split(u'\n', Qt::SkipEmptyParts);
    if (skipFirst && !lines.isEmpty())
        lines.removeFirst();
    for (auto it = lines.crbegin(); it != lines.crend() && static_cast<int>(out.size()) < count; ++it)
        if (std::optional<FlashRecord> r = parseFlashRecord(*it))
            out.push_back(*r);
    std::reverse(out.begin(), out.end());
    return out;
}

QString displayLine(const FlashRecord& r)
{
    return QStringLiteral("%1  %2  %3 \u2192 %4  %5  %6 s")
        .arg(r.when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")), r.module,
             r.versionBefore.isEmpty() ? QStringLiteral("?") : r.versionBefore, r.image, r.outcome,
             QString::number(r.seconds, 'f', 1));
}

QStringList recentUpgradeLines(int count)
{
    QStringList lines;
    const std::vector<FlashRecord> entries = readFlashLog(flashLogPath(), count);
    for (auto it = entries.crbegin(); it != entries.crend(); ++it)
        lines << displayLine(*it);
    return lines;
}

QString moduleLogName(int module)
{
    static constexpr std::array<std::pair<int, const char*>, 12> names = {{
        {1, "mc"}, {2, "imu"}, {3, "gps"}, {4, "led"}, {7, "pmu"}, {9, "receiver"},
        {10, "nv08c"}, {11, "glonass"}, {12, "cmu"}, {13, "pitch"}, {14, "roll"}, {15, "yaw"},
    }};
    for (const auto& [code, name] : names)
        if (code == module)
            return QString::fromLatin1(name);
    return QString::number(module);
}

namespace {
std::mutex portSourceLock;
std::function<QString()> portSource;
} // namespace

void setPortSource(std::function<QString()> source)
{
    std::lock_guard lock(portSourceLock);
    portSource = std::move(source);
}

QString currentPortName()
{
    std::function<QString()> source;
    {
        std::lock_guard lock(portSourceLock);
        source = portSource;
    }
    return source ? source() : QString();
}

FlashRecorder::FlashRecorder(int module, QString port, QString versionBefore, QString image, const QByteArray& bytes)
    : started(QDateTime::currentDateTime())
{
    base.module = moduleLogName(module);
    base.port = port.isEmpty() ? currentPortName() : std::move(port);
    base.versionBefore = std::move(versionBefore);
    base.image = std::move(image);
    base.size = bytes.size();
    base.md5 = bytes.isEmpty() ? QString() : md5Hex(bytes);
    clock.start();
}

FlashRecord FlashRecorder::record(const QString& outcome) const
{
    FlashRecord r = base;
    r.when = started;
    r.outcome = outcome;
    r.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    return r;
}

bool FlashRecorder::append(const QString& outcome, QString* error) const
{
    return appendFlashRecord(flashLogPath(), record(outcome), error);
}

QString outcomeOk() { return QStringLiteral("ok"); }
QString outcomeFailed(const QString& reason) { return QStringLiteral("failed: ") + reason; }
QString outcomeRefused(const QString& reason) { return QStringLiteral("refused: ") + reason; }

QString md5Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

} // namespace kzo::upgrade
