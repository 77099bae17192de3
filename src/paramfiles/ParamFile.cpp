#include "paramfiles/ParamFile.h"

#include "app/config/GlobalCfg.h"

#include <QFile>
#include <QSaveFile>

namespace kzo::paramfiles {

FileStamp currentStamp()
{
    const GlobalCfg* cfg = GlobalCfg::instance();
    return {cfg->exportDate, cfg->fwMinorVersion, cfg->fwHideVersion};
}

int memoryBlocks() { return static_cast<int>(GlobalCfg::instance()->exportBlocks); }

uint32_t memoryBaseAddress() { return GlobalCfg::instance()->exportBaseAddress; }

QByteArray buildImage(const FileStamp& stamp, const QByteArray& records)
{
    QByteArray out;
    out.reserve(headerSize + records.size());
    out.append(static_cast<char>(stamp.date >> 24));
    out.append(static_cast<char>(stamp.date >> 16));
    out.append(static_cast<char>(stamp.date >> 8));
    out.append(static_cast<char>(stamp.date));
    out.append(static_cast<char>(stamp.minor));
    out.append(static_cast<char>(stamp.hide));
    out.append(records);
    return out;
}

FileStamp readStamp(const QByteArray& bytes)
{
    FileStamp s;
    if (bytes.size() < headerSize)
        return s;
    const auto b = [&](int i) { return static_cast<uint8_t>(bytes[i]); };
    s.date = (uint32_t{b(0)} << 24) | (uint32_t{b(1)} << 16) | (uint32_t{b(2)} << 8) | b(3);
    s.minor = b(4);
    s.hide = b(5);
    return s;
}

ReadResult parseImage(const QByteArray& bytes, const FileStamp& expected, int blocks)
{
    ReadResult r;
    if (bytes.size() < headerSize) {
        r.status = ReadStatus::TooShort;
        return r;
    }
    if (!(readStamp(bytes) == expected)) {
        r.status = ReadStatus::VersionMismatch;
        return r;
    }
    if (bytes.size() < fileSize(blocks)) {
        r.status = ReadStatus::TooShort;
        return r;
    }
    r.status = ReadStatus::Ok;
    r.records = bytes.mid(headerSize, static_cast<qsizetype>(blocks) * recordSize);
    return r;
}

ReadResult readParamFile(const QString& path, const FileStamp& expected, int blocks)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {ReadStatus::CannotOpen, {}};
    // Only the file's own size is read: the tail a longer file may carry is
    // never looked at.
    return parseImage(file.read(fileSize(blocks)), expected, blocks);
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    // Without this, QSaveFile falls back to writing the target in place when
    // the folder does not allow a temporary file, which could leave a torn file.
    file.setDirectWriteFallback(false);
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        file.cancelWriting();
        return false;
    };
    // Unbuffered: a buffered write reports success and its flush at commit
    // may put only part of the bytes on disk (disk full, size limit) without
    // an error, and the torn file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size())
        return fail(file.error() != QFileDevice::NoError ? file.errorString()
                                                         : QStringLiteral("the disk took only part of the file"));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace kzo::paramfiles
