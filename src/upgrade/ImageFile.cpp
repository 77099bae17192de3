#include "upgrade/ImageFile.h"

#include <QFile>
#include <QString>
#include <limits>

namespace orb::upgrade {

std::optional<std::vector<uint8_t>> readImageFile(const std::wstring& path)
{
    if (path.empty())
        return std::nullopt;
    QFile file(QString::fromStdWString(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Sizes travel as u32 in the start packet.
    if (file.size() > static_cast<qint64>(std::numeric_limits<uint32_t>::max()))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace orb::upgrade
