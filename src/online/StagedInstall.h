#pragma once
// Installing a staged folder tree into its target folder as one step: either
// every staged file is in place, or the target is left as it was.
#include <QString>
#include <QStringList>

#include <functional>

namespace kzo::online {

// Moves one file; the default is a rename within the file system.
using MoveFile = std::function<bool(const QString& from, const QString& to)>;

// Moves every file under `stageDir` to the same relative path under
// `targetDir`, merging folders and replacing files. Refused before anything
// changes: a file where a folder is, a folder where a file is, a path through
// a symbolic link, and any file named in `protectedFiles` (absolute paths).
// If a move fails, what was moved is put back. `move` is for tests.
bool installStagedTree(const QString& stageDir, const QString& targetDir, const QStringList& protectedFiles,
                       QString* error, const MoveFile& move = {});

} // namespace kzo::online
