#pragma once
// Builds zip archives in memory for the simulator's doc.zip.
#include <QByteArray>
#include <QList>
#include <QString>

namespace updsim {

struct ZipEntry {
    QString name;
    QByteArray data;
    bool symlink = false; // data is the link target
};

// Deflated entries; names are stored exactly as given. Empty on failure.
QByteArray buildZip(const QList<ZipEntry>& entries);

} // namespace updsim
