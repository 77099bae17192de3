// The parameter file reader (import) and the atomic writer (export).
//
// Input: a control byte (bit 0: expect the stamp the file carries instead of
// this program's own, so the length rules are reached from any start; bits
// 1-4: the number of blocks, 0 meaning the product's own), then the file.
// A file shorter than its stamp, or than its records, is too short; a wrong
// stamp is a version mismatch; an accepted file gives exactly the records
// behind the stamp, and header plus records rebuild the file's first bytes.
// Reading from disk answers the same as reading the bytes, and the atomic
// writer leaves exactly the bytes it was given.
#include "FuzzSupport.h"
#include "paramfiles/ParamFile.h"

#include <QFile>

using kzo::fuzz::Input;
using namespace kzo::paramfiles;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const auto rest = in.rest();
    const QByteArray bytes(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));
    const FileStamp expected = (control & 1) ? readStamp(bytes) : currentStamp();
    const int chosen = (control >> 1) & 0x0F;
    const int blocks = chosen == 0 ? memoryBlocks() : chosen;

    const ReadResult r = parseImage(bytes, expected, blocks);
    if (bytes.size() < headerSize) {
        KZO_CHECK(r.status == ReadStatus::TooShort);
    } else if (!(readStamp(bytes) == expected)) {
        KZO_CHECK(r.status == ReadStatus::VersionMismatch);
    } else if (bytes.size() < fileSize(blocks)) {
        KZO_CHECK(r.status == ReadStatus::TooShort);
    } else {
        KZO_CHECK(r.status == ReadStatus::Ok);
    }
    if (r.status == ReadStatus::Ok) {
        KZO_CHECK(r.records.size() == static_cast<qsizetype>(blocks) * recordSize);
        KZO_CHECK(buildImage(expected, r.records) == bytes.left(fileSize(blocks)));
    } else {
        KZO_CHECK(r.records.isEmpty());
    }

    // Through the disk: written atomically, then read back.
    const QString path = QString::fromStdString(kzo::fuzz::scratchDir() + "/params.bin");
    QString error;
    KZO_CHECK(writeFileAtomically(path, bytes, &error));
    QFile f(path);
    KZO_CHECK(f.open(QIODevice::ReadOnly));
    KZO_CHECK(f.readAll() == bytes);
    const ReadResult fromDisk = readParamFile(path, expected, blocks);
    KZO_CHECK(fromDisk.status == r.status);
    KZO_CHECK(fromDisk.records == r.records);
    KZO_CHECK(readParamFile(path + QStringLiteral(".absent"), expected, blocks).status == ReadStatus::CannotOpen);
    return 0;
}
