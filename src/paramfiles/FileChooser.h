#pragma once
// The file dialogs of export and import, replaceable for tests (a test cannot
// click a native file dialog). The shipped program installs nothing and gets
// the toolkit's dialogs.
#include <QString>

#include <functional>

class QWidget;

namespace kzo::paramfiles {

// Returns the chosen path, or an empty string when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& startDir,
                                          const QString& filter)>;

// The save dialog never asks about overwriting: the program asks itself,
// for the name it will actually write (a suffix may be appended).
QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startDir, const QString& filter);
QString chooseOpenFile(QWidget* parent, const QString& title, const QString& startDir, const QString& filter);

// Installs choosers for the life of this object (GUI thread only); an empty
// one keeps the dialog it replaces. The ones installed before come back.
class ScopedFileChoosers {
public:
    ScopedFileChoosers(FileChooser save, FileChooser open);
    ~ScopedFileChoosers();
    ScopedFileChoosers(const ScopedFileChoosers&) = delete;
    ScopedFileChoosers& operator=(const ScopedFileChoosers&) = delete;

private:
    FileChooser previousSave;
    FileChooser previousOpen;
};

} // namespace kzo::paramfiles
