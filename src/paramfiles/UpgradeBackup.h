#pragma once
// The window's parameter copy around a main-controller upgrade: before it,
// the export dialog saves the parameters to a dated file and the user is told
// where; when that fails the user chooses between going on and stopping.
// After a successful upgrade the copy is offered for import. GUI thread;
// every message goes through the shared message boxes.
#include <QString>

class QWidget;
namespace orb {
class DevIo;
}

namespace kzo::paramfiles {

struct UpgradeBackup {
    bool goOn = true; // false: the user chose to stop; flash nothing
    QString path;     // the saved copy; empty when there is none
};

// Saves to newBackupPath(folder) through the export dialog.
UpgradeBackup backupBeforeUpgrade(QWidget* parent, orb::DevIo& io, const QString& folder);

// Asks whether to load the copy back and runs the import dialog on Yes.
// True after a completed import (the caller then runs its read-all).
bool offerBackupImport(QWidget* parent, orb::DevIo& io, const QString& path);

} // namespace kzo::paramfiles
