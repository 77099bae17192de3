#include "app/Language.h"

#include "app/LanguageConfig.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QTranslator>
#include <mutex>

namespace kzo::app {
namespace {

std::mutex& localeLock()
{
    static std::mutex m;
    return m;
}

QString& localeName()
{
    static QString name = QLocale::system().name();
    return name;
}

QByteArray englishName(int language)
{
    return QLocale::languageToString(static_cast<QLocale::Language>(language)).toUtf8();
}

} // namespace

QString currentLocale()
{
    std::lock_guard lock(localeLock());
    return localeName();
}

void setCurrentLocale(const QString& name)
{
    std::lock_guard lock(localeLock());
    localeName() = name;
}

bool isEnglish(int language)
{
    // The "C" locale of a bare system counts as English as well.
    return language == QLocale::English || language == QLocale::AnyLanguage || language == QLocale::C;
}

bool loadLanguage(QTranslator& translator, QSettings& settings, const QString& dataDir, const QLocale& systemLocale)
{
    appModel().setValue("language", QStringLiteral("en_US"));
    const QString configPath = dataDir + QStringLiteral("/config.xml");

    if (!settings.contains(QStringLiteral("language"))) {
        setCurrentLocale(systemLocale.name());
        settings.setValue(QStringLiteral("language"), static_cast<int>(systemLocale.language()));
        settings.sync();
        logStdout("Default language : %s\n", englishName(systemLocale.language()).constData());
    }

    const int language = settings.value(QStringLiteral("language"), 0).toInt();
    if (isEnglish(language)) {
        logStdout("Language :English \n");
        return false;
    }
    if (!QFileInfo::exists(configPath)) {
        logStdout("Error:Language config file not found!\n");
        return false;
    }
    const LanguageFile list = readLanguageFile(configPath);
    if (list.status == LanguageFileStatus::ParseError) {
        logStdout("config file parse error:%s\n", list.error.toUtf8().constData());
        return false;
    }
    if (list.status != LanguageFileStatus::Ok)
        return false;

    for (const LanguageEntry& entry : list.entries) {
        if (languageOf(entry.shortName) != language)
            continue;
        setCurrentLocale(entry.shortName);
        const QString path = dataDir + QStringLiteral("/language/") + entry.file;
        // A file that exists but is no translation is treated like a missing
        // one, so "language" never names a locale whose texts are not shown.
        if (QFileInfo::exists(path) && translator.load(path)) {
            QCoreApplication::installTranslator(&translator);
            appModel().setValue("language", entry.shortName);
            logStdout("App set language : %s\n", englishName(language).constData());
            return true;
        }
        logStdout("Error:Language pack \xe3\x80\x90%s\xe3\x80\x91not found!\n", englishName(language).constData());
        return false;
    }
    return false;
}

} // namespace kzo::app
