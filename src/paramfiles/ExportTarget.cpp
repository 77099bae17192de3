#include "paramfiles/ExportTarget.h"

#include <QFileInfo>

namespace kzo::paramfiles {

QString exportTarget(const QString& chosen, const QString& model)
{
    if (QFileInfo(chosen).suffix() == model)
        return chosen;
    return chosen + QLatin1Char('.') + model;
}

QString fileFilter(const QString& model) { return QStringLiteral("Config(*.") + model + QLatin1Char(')'); }

} // namespace kzo::paramfiles
