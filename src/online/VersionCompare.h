#pragma once
#include <QString>

namespace kzo::online {

// Positive when `latest` is newer than `current`: an empty or "0" current
// version gives 1; otherwise both are read as four dot-separated decimal
// numbers (missing ones are 0) and the result is latest minus current at the
// first position where they differ, 0 when all four agree.
int compareVersion(const QString& current, const QString& latest);

} // namespace kzo::online
