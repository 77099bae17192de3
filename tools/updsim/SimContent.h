#pragma once
// What the simulator serves: the XML documents, the firmware images and the
// help-document archive.
#include "SimOptions.h"
#include "ZipBuilder.h"

#include <QByteArray>
#include <QString>

namespace updsim {

// Version comparison of the server side: a.b.c.d numerically, missing parts 0.
int compareVersions(const QString& a, const QString& b);

QByteArray configDocument(const QString& base, bool noLoginUrl);

// Deterministic image bytes for a module and version under a seed.
QByteArray generatedImage(quint32 seed, const QString& module, const QString& version, int size);

// Module part of a series name: after its last "_" ("KG1_receiver58G" -> "receiver58G").
QString moduleOfSeries(const QString& series);

// The files of doc.zip: DIR's files as doc/<relative path>, or generated pages
// naming the version; plus the entries of the archive faults asked for.
QList<ZipEntry> docEntries(const QString& docDir, int version, const QList<Fault>& faults);

QString md5Hex(const QByteArray& bytes);

} // namespace updsim
