#pragma once
// Where the program keeps the files it writes itself (the downloaded help
// archive, the unpacked "doc" folder, "app.conf") and where help documents are
// looked up.
#include <QString>
#include <QStringList>

namespace kzo::online {

// The per-user data folder (QStandardPaths::AppDataLocation), created on demand.
QString appDataDir();

// "app.conf" in the per-user data folder.
QString appConfPath();

// Folders holding help documents, in lookup order: the downloaded "doc" folder
// in the per-user data folder, "doc" beside the executable, then the installed
// data folder. Folders that do not exist are left out.
QStringList helpDocRoots();

// The first existing file `relative` (for example "en_US/main.html") under
// helpDocRoots(); empty when none has it.
QString findHelpDoc(const QString& relative);

} // namespace kzo::online
