#pragma once
// Where the program keeps the files it writes itself (the downloaded help
// archive, the unpacked "doc" folder, "app.conf"). The help view looks the
// unpacked documents up there first.
#include <QString>

namespace kzo::online {

// The per-user data folder (QStandardPaths::AppDataLocation), created on demand.
QString appDataDir();

// "app.conf" in the per-user data folder.
QString appConfPath();

} // namespace kzo::online
