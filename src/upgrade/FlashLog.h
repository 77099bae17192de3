#pragma once
// The per-user flash log: one line per upgrade, appended by every program
// that upgrades the device (window, kzo-flash), read back newest last.
//
// Line format (UTF-8, fields separated by one TAB, line ends with LF):
//   when  module  port  before  image  size  md5  outcome  seconds
//   when     local date and time, ISO 8601 with its offset (2026-12-08T15:47:38+01:00;
//            "Z" when the offset is zero)
//   module   module name (mc, imu, cmu, pitch, roll, yaw, led, gps, pmu,
//            receiver, nv08c, glonass) or its decimal code
//   port     the serial port's path ("-" when none was open)
//   before   the module's firmware version before the upgrade ("-" unknown)
//   image    the image file's name, or "server <version>" for a download
//   size     image size in bytes (decimal)
//   md5      the image's MD5 digest, 32 lower-case hex digits ("-" when no image)
//   outcome  "ok", "failed: <reason>" or "refused: <reason>"
//   seconds  time from the start to the outcome, one decimal ("12.3")
// Tabs and line breaks inside a field are written as spaces, and an empty
// field as "-", so every line splits into exactly nine fields.
#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace kzo::upgrade {

struct FlashRecord {
    QDateTime when;
    QString module;
    QString port;
    QString versionBefore;
    QString image;
    qint64 size = 0;
    QString md5;
    QString outcome; // "ok", "failed: ...", "refused: ..."
    double seconds = 0;

    bool ok() const { return outcome == QLatin1String("ok"); }
};

// The line for a record, without its line end.
QString formatFlashRecord(const FlashRecord& record);
// Nothing for a line that is not nine well-formed fields (a torn or foreign line).
std::optional<FlashRecord> parseFlashRecord(QStringView line);

// The per-user data folder shared by the window and the command-line tools
// (<XDG data home>/KZO/kzo-assistant), created on demand.
QString userDataFolder();
// userDataFolder() + "/flash.log".
QString flashLogPath();

// Appends one line with a single write to a file opened for appending, so
// lines of programs writing at the same time never mix. A line left without
// its line end by a writer that died is closed first. error receives the
// reason on failure.
bool appendFlashRecord(const QString& path, const FlashRecord& record, QString* error = nullptr);
// The last `count` readable entries, oldest first; unreadable lines are skipped.
std::vector<FlashRecord> readFlashLog(const QString& path, int count);

// Where the program's device link is open, for entries whose caller does
// not know the port (the window installs the serial device I/O's port).
void setPortSource(std::function<QString()> source);
QString currentPortName(); // empty without a source

// One upgrade from its start: the facts known then, the clock, and the
// outcome appended to the user's flash log at the end.
class FlashRecorder {
public:
    // An empty port is taken from currentPortName().
    FlashRecorder(int module, QString port, QString versionBefore, QString image, const QByteArray& bytes);
    // Facts learnt after the start (the port once it opened, the version once asked).
    void setPort(const QString& port) { base.port = port; }
    void setVersionBefore(const QString& version) { base.versionBefore = version; }
    FlashRecord record(const QString& outcome) const;
    // Appends record(outcome) to flashLogPath().
    bool append(const QString& outcome, QString* error = nullptr) const;

private:
    FlashRecord base;
    QDateTime started;
    QElapsedTimer clock;
};

// An entry as a person reads it: "2026-12-08 15:47  mc  3.2 → mc-3.3.bin  ok  12.3 s"
// (local time, "?" for an unknown version).
QString displayLine(const FlashRecord& record);
// displayLine() of the last `count` entries of the user's flash log, newest first.
QStringList recentUpgradeLines(int count);

// Name of a module code as the log writes it.
QString moduleLogName(int module);
// "ok", "failed: <reason>", "refused: <reason>".
QString outcomeOk();
QString outcomeFailed(const QString& reason);
QString outcomeRefused(const QString& reason);
// Lower-case hex MD5 of the bytes.
QString md5Hex(const QByteArray& bytes);

} // namespace kzo::upgrade
