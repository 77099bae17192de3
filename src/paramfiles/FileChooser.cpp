#include "paramfiles/FileChooser.h"

#include <QFileDialog>

#include <utility>

namespace kzo::paramfiles {

namespace {

// Touched only on the GUI thread, like the dialogs themselves.
FileChooser& saveHook()
{
    static FileChooser h;
    return h;
}

FileChooser& openHook()
{
    static FileChooser h;
    return h;
}

} // namespace

QString chooseSaveFile(QWidget* parent, const QString& title, const QString& startDir, const QString& filter)
{
    if (const FileChooser& h = saveHook())
        return h(parent, title, startDir, filter);
    return QFileDialog::getSaveFileName(parent, title, startDir, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString chooseOpenFile(QWidget* parent, const QString& title, const QString& startDir, const QString& filter)
{
    if (const FileChooser& h = openHook())
        return h(parent, title, startDir, filter);
    return QFileDialog::getOpenFileName(parent, title, startDir, filter);
}

ScopedFileChoosers::ScopedFileChoosers(FileChooser save, FileChooser open)
    : previousSave(save ? std::exchange(saveHook(), std::move(save)) : saveHook()),
      previousOpen(open ? std::exchange(openHook(), std::move(open)) : openHook())
{
}

ScopedFileChoosers::~ScopedFileChoosers()
{
    saveHook() = std::move(previousSave);
    openHook() = std::move(previousOpen);
}

} // namespace kzo::paramfiles
