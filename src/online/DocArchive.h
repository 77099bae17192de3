#pragma once
// Unpacking of the downloaded help-document archive. Entries that would land
// outside the target folder (absolute paths, ".." components) and symbolic
// links are refused, and then nothing is unpacked at all: entries go to a
// temporary folder first and are moved into place only when every one of them
// was extracted (see StagedInstall.h for what the move refuses).
#include <QString>
#include <QStringList>

namespace kzo::online {

// Upper bound of the bytes all entries may unpack to together.
inline constexpr qint64 maxUnpackedBytes = 512LL * 1024 * 1024;

// True when `entryName` is a relative path without "." or ".." components
// and without NUL.
bool isSafeEntryName(const QString& entryName);

// Unpacks `zipPath` into `targetDir` (created when missing), overwriting
// existing files but never a folder, a link or one of `protectedFiles`
// (absolute paths). On failure `error` says why and `targetDir` is unchanged.
bool unpackArchive(const QString& zipPath, const QString& targetDir, const QStringList& protectedFiles,
                   QString* error = nullptr, QStringList* written = nullptr);

} // namespace kzo::online
