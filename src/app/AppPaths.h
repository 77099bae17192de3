#pragma once
// Where the program finds its read-only data: config.xml, the "language"
// folder and the help documents. A build tree keeps them beside the
// executable; an installed program keeps them in its data folder.
#include <QString>

namespace kzo::app {

// The folder that holds config.xml: the executable's folder when the file is
// there, else <prefix>/share/kzo-assistant next to the executable's bin/,
// else the data folder chosen at configure time. Falls back to the
// executable's folder so messages name a sensible path.
QString dataDir();

// dataDir() + "/config.xml".
QString configPath();

// dataDir() + "/language/".
QString languageDir();

} // namespace kzo::app
