#pragma once
// The name an export actually writes: the chosen name, with "." + model
// appended when its suffix is not the model code.
#include <QString>

namespace kzo::paramfiles {

QString exportTarget(const QString& chosen, const QString& model);
// "Config(*.<model>)"
QString fileFilter(const QString& model);

} // namespace kzo::paramfiles
