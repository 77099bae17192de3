#include "online/VersionCompare.h"

#include <QStringList>
#include <array>

namespace kzo::online {

namespace {

std::array<int, 4> fourNumbers(const QString& v)
{
    std::array<int, 4> out{};
    const QStringList parts = v.split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        out[static_cast<size_t>(i)] = parts[i].trimmed().toInt();
    return out;
}

} // namespace

int compareVersion(const QString& current, const QString& latest)
{
    if (current.isEmpty() || current == QLatin1String("0"))
        return 1;
    const auto cur = fourNumbers(current);
    const auto lat = fourNumbers(latest);
    for (size_t i = 0; i < 4; ++i) {
        if (cur[i] != lat[i])
            return lat[i] - cur[i];
    }
    return 0;
}

} // namespace kzo::online
