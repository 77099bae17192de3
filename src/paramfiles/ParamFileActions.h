#pragma once
// The two things the tools page asks of the parameter files: save the
// controller's parameter memory to a file the user picks, and write such a
// file back. Each call runs the file dialog, the checks and the modal
// transfer dialog to their end on the GUI thread. The caller has already
// checked that a controller is connected.
#include <QString>

class QWidget;
namespace orb {
class DevIo;
}

namespace kzo::paramfiles {

// Returns true when the whole file was written (false when cancelled or failed).
bool runExport(QWidget* parent, orb::DevIo& io);
// Returns true after "Import Complete"; the caller then runs its read-all.
bool runImport(QWidget* parent, orb::DevIo& io);

} // namespace kzo::paramfiles
