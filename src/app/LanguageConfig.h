#pragma once
// The language list file (config.xml): one child element per language with
// the attributes "value", "MenuText", "shortName" and "file". Only read when
// the document element's "count" is greater than 0.
#include <QList>
#include <QString>

namespace kzo::app {

struct LanguageEntry {
    QString value;
    QString menuText;
    QString shortName; // locale name such as "zh_CN"; its language is the identity
    QString file;      // translation file inside the "language" folder
};

enum class LanguageFileStatus { Ok, Missing, ParseError, Empty };

struct LanguageFile {
    LanguageFileStatus status = LanguageFileStatus::Missing;
    QString error; // the XML parser's message for ParseError
    QList<LanguageEntry> entries;
};

LanguageFile readLanguageFile(const QString& path);

// The language number (QLocale::Language) a locale name stands for.
int languageOf(const QString& localeName);

} // namespace kzo::app
