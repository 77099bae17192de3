#include "app/LanguageConfig.h"

#include <QDomDocument>
#include <QFile>
#include <QLocale>

namespace kzo::app {

LanguageFile readLanguageFile(const QString& path)
{
    LanguageFile result;
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        result.status = LanguageFileStatus::Missing;
        return result;
    }
    const QString text = QString::fromUtf8(file.readAll());

    QDomDocument doc;
    QString message;
    if (!doc.setContent(text, &message)) {
        result.status = LanguageFileStatus::ParseError;
        result.error = message;
        return result;
    }
    const QDomElement root = doc.documentElement();
    if (root.attribute(QStringLiteral("count")).toInt() <= 0) {
        result.status = LanguageFileStatus::Empty;
        return result;
    }
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        result.entries.append({e.attribute(QStringLiteral("value")), e.attribute(QStringLiteral("MenuText")),
                               e.attribute(QStringLiteral("shortName")), e.attribute(QStringLiteral("file"))});
    }
    result.status = LanguageFileStatus::Ok;
    return result;
}

int languageOf(const QString& localeName) { return static_cast<int>(QLocale(localeName).language()); }

} // namespace kzo::app
