#pragma once
// The parameter file: a 6-byte version stamp (u32 date big-endian, u8 minor,
// u8 hide) followed by one 130-byte record per memory block (128 data bytes,
// then the block number exactly as the controller sent it, low byte first).
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace kzo::paramfiles {

inline constexpr int blockSize = 128; // data bytes per block
inline constexpr int recordSize = 130; // data bytes + 2-byte block number
inline constexpr int headerSize = 6;

struct FileStamp {
    uint32_t date = 0;
    uint8_t minor = 0;
    uint8_t hide = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp this program writes and accepts (from the product constants).
FileStamp currentStamp();
// Blocks in the controller's parameter memory and its first address.
int memoryBlocks();
uint32_t memoryBaseAddress();
// Whole file size for this many blocks (1046 for eight).
constexpr qint64 fileSize(int blocks) { return headerSize + static_cast<qint64>(blocks) * recordSize; }

// Header followed by the records; records must hold blocks * 130 bytes.
QByteArray buildImage(const FileStamp& stamp, const QByteArray& records);
FileStamp readStamp(const QByteArray& bytes); // needs at least 6 bytes

enum class ReadStatus { Ok, CannotOpen, VersionMismatch, TooShort };

struct ReadResult {
    ReadStatus status = ReadStatus::CannotOpen;
    QByteArray records; // blocks * 130 bytes when Ok
};

// Checks the stamp and the length of a file's bytes. A longer file is read
// up to the file size only (an older program could leave a tail behind).
ReadResult parseImage(const QByteArray& bytes, const FileStamp& expected, int blocks);
// Opens the file read-only and parses it.
ReadResult readParamFile(const QString& path, const FileStamp& expected, int blocks);

// Replaces the file with exactly these bytes, or leaves it untouched: the
// bytes go to a temporary file in the same folder, which is then renamed
// over the old one. error receives a reason for the user on failure.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace kzo::paramfiles
