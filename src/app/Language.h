#pragma once
// Chooses and installs the user's language at start-up.
#include <QLocale>
#include <QString>

class QSettings;
class QTranslator;

namespace kzo::app {

// Locale name of the language in force ("en_US", "zh_CN"); starts as the
// system locale's name.
QString currentLocale();
void setCurrentLocale(const QString& name);

// The stored language numbers that mean English: no translator.
bool isEnglish(int language);

// Reads the "language" setting (storing the system language on first start),
// finds that language in config.xml under dataDir and installs its
// translation from dataDir/language/. Returns true when a translator was
// installed. Every outcome is reported on standard output.
bool loadLanguage(QTranslator& translator, QSettings& settings, const QString& dataDir,
                  const QLocale& systemLocale = QLocale::system());

} // namespace kzo::app
