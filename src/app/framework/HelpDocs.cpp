#include "app/framework/HelpDocs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kzo::help {

QString userDocRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/doc");
}

QStringList docRoots()
{
    QStringList roots;
    const auto add = [&roots](const QString& dir) {
        const QString clean = QDir::cleanPath(dir);
        if (!clean.isEmpty() && !roots.contains(clean))
            roots.append(clean);
    };
    add(userDocRoot());
    add(QCoreApplication::applicationDirPath() + QStringLiteral("/doc"));
    // An installed program: <prefix>/share/kzo-assistant/doc beside its bin/,
    // whatever prefix the package was installed under.
    add(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kzo-assistant/doc"));
#ifdef KZO_INSTALLED_DOC_DIR
    add(QStringLiteral(KZO_INSTALLED_DOC_DIR));
#endif
    return roots;
}

QString findDocument(const QString& relativePath)
{
    for (const QString& root : docRoots()) {
        const QFileInfo f(root + QLatin1Char('/') + relativePath);
        if (f.isFile())
            return f.absoluteFilePath();
    }
    return {};
}

} // namespace kzo::help
