#include "online/DocArchive.h"

#include "online/StagedInstall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>
#include <unzip.h>

namespace kzo::online {

namespace {

struct UnzCloser {
    void operator()(void* h) const
    {
        if (h)
            unzClose(h);
    }
};
using UnzHandle = std::unique_ptr<void, UnzCloser>;

bool isLinkEntry(const unz_file_info64& info)
{
    // Unix mode bits live in the upper half of the external attributes.
    const auto mode = static_cast<unsigned>(info.external_fa >> 16);
    return (mode & S_IFMT) == S_IFLNK;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool isSafeEntryName(const QString& entryName)
{
    if (entryName.isEmpty())
        return false;
    // The file system ends a path at NUL, so the entry would land elsewhere
    // than its name says (and a ".." could hide behind it).
    if (entryName.contains(QChar(0)))
        return false;
    if (entryName.startsWith(QLatin1Char('/')) || entryName.startsWith(QLatin1Char('\\')))
        return false;
    // A drive letter ("C:...") is absolute on the platform that wrote the archive.
    if (entryName.size() >= 2 && entryName[1] == QLatin1Char(':'))
        return false;
    const QStringList parts = entryName.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    for (const QString& p : parts) {
        if (p == QLatin1String("..") || p == QLatin1String("."))
            return false;
    }
    return true;
}

bool unpackArchive(const QString& zipPath, const QString& targetDir, const QStringList& protectedFiles, QString* error,
                   QStringList* written)
{
    UnzHandle zip(unzOpen64(QFile::encodeName(zipPath).constData()));
    if (!zip)
        return fail(error, QStringLiteral("not a zip archive"));
    if (!QDir().mkpath(targetDir))
        return fail(error, QStringLiteral("cannot create %1").arg(targetDir));

    // Same file system as the target, so moving into place is a rename.
    QTemporaryDir staging(targetDir + QStringLiteral("/.unpack-XXXXXX"));
    if (!staging.isValid())
        return fail(error, QStringLiteral("cannot create a staging folder"));
    const QString stage = staging.path();

    QStringList files;
    qint64 total = 0;
    int rc = unzGoToFirstFile(zip.get());
    if (rc == UNZ_END_OF_LIST_OF_FILE)
        return fail(error, QStringLiteral("empty archive"));
    for (; rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
        unz_file_info64 info{};
        char nameBuf[1024];
        if (unzGetCurrentFileInfo64(zip.get(), &info, nameBuf, sizeof nameBuf, nullptr, 0, nullptr, 0) != UNZ_OK)
            return fail(error, QStringLiteral("unreadable entry"));
        if (info.size_filename >= sizeof nameBuf)
            return fail(error, QStringLiteral("entry name too long"));
        const QString name = QString::fromUtf8(nameBuf, static_cast<qsizetype>(info.size_filename));
        if (!isSafeEntryName(name))
            return fail(error, QStringLiteral("refused entry \"%1\"").arg(name));
        if (isLinkEntry(info))
            return fail(error, QStringLiteral("refused link entry \"%1\"").arg(name));

        const QString dest = stage + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'))) {
            if (!QDir().mkpath(dest))
                return fail(error, QStringLiteral("cannot create folder \"%1\"").arg(name));
            continue;
        }
        if (!QDir().mkpath(QFileInfo(dest).absolutePath()))
            return fail(error, QStringLiteral("cannot create folder for \"%1\"").arg(name));
        if (unzOpenCurrentFile(zip.get()) != UNZ_OK)
            return fail(error, QStringLiteral("cannot open entry \"%1\"").arg(name));
        QFile out(dest);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            unzCloseCurrentFile(zip.get());
            return fail(error, QStringLiteral("cannot write \"%1\"").arg(name));
        }
        char buf[64 * 1024];
        int n = 0;
        while ((n = unzReadCurrentFile(zip.get(), buf, sizeof buf)) > 0) {
            total += n;
            if (total > maxUnpackedBytes) {
                unzCloseCurrentFile(zip.get());
                return fail(error, QStringLiteral("archive unpacks to more than %1 bytes").arg(maxUnpackedBytes));
            }
            if (out.write(buf, n) != n) {
                unzCloseCurrentFile(zip.get());
                return fail(error, QStringLiteral("cannot write \"%1\"").arg(name));
            }
        }
        // A CRC mismatch is reported when the entry is closed.
        const int closeRc = unzCloseCurrentFile(zip.get());
        if (n < 0 || closeRc != UNZ_OK)
            return fail(error, QStringLiteral("corrupt entry \"%1\"").arg(name));
        files << name;
    }
    if (rc != UNZ_END_OF_LIST_OF_FILE)
        return fail(error, QStringLiteral("corrupt archive directory"));

    if (!installStagedTree(stage, targetDir, protectedFiles, error))
        return false;
    if (written)
        *written = files;
    return true;
}

} // namespace kzo::online
