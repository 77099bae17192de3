#pragma once
// The two things the tools page asks of the parameter files: save the
// controller's parameter memory to a file the user picks, and write such a
// file back. Each call runs the file dialog, the checks and the modal
// transfer dialog to their end on the GUI thread. The caller has already
// checked that a controller is connected.
//
// The file dialogs start in the folder remembered under "path/config" and
// remember the folder of the chosen file; tests replace them through
// ScopedFileChoosers (FileChooser.h). Every message goes through the shared
// message boxes. The transfer dialog is registered with io for its run only.
#include <QString>

class QWidget;
namespace orb {
class DevIo;
}

namespace kzo::paramfiles {

// Returns true when the whole file was written (false when cancelled or failed).
// An existing file is replaced only whole; on any failure it stays as it was.
bool runExport(QWidget* parent, orb::DevIo& io);
// Returns true after "Import Complete"; the caller then runs its read-all.
// A file with another version stamp or shorter than a whole parameter file
// is refused before anything is sent.
bool runImport(QWidget* parent, orb::DevIo& io);

} // namespace kzo::paramfiles
