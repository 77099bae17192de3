#pragma once
// Where help documents and tips live: the per-user data folder (documents the
// online client downloads), beside the executable, <prefix>/share/kzo-assistant/doc
// beside its bin/ (an installed program), then the data folder chosen at configure time.
#include <QString>
#include <QStringList>

namespace kzo::help {

// The "doc" folders in lookup order, without duplicates.
QStringList docRoots();
// The per-user "doc" folder the online client downloads into.
QString userDocRoot();
// The first root holding relativePath, as an absolute file path; empty when none does.
QString findDocument(const QString& relativePath);

} // namespace kzo::help
