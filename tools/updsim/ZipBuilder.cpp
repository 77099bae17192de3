#include "ZipBuilder.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <zip.h>

namespace updsim {

QByteArray buildZip(const QList<ZipEntry>& entries)
{
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return {};
    const QString path = tmp.filePath(QStringLiteral("out.zip"));
    zipFile zf = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zf)
        return {};
    bool ok = true;
    for (const ZipEntry& e : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2024;
        info.tmz_date.tm_mday = 1;
        const unsigned mode = e.symlink ? (S_IFLNK | 0777) : (S_IFREG | 0644);
        info.external_fa = static_cast<uLong>(mode) << 16;
        const QByteArray name = e.name.toUtf8();
        // version made by: 3 (Unix) in the high byte so the mode bits count.
        if (zipOpenNewFileInZip4_64(zf, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                    nullptr, 0, (3u << 8) | 20u, 0, 0)
            != ZIP_OK) {
            ok = false;
            break;
        }
        if (!e.data.isEmpty()
            && zipWriteInFileInZip(zf, e.data.constData(), static_cast<unsigned>(e.data.size())) != ZIP_OK)
            ok = false;
        zipCloseFileInZip(zf);
        if (!ok)
            break;
    }
    if (zipClose(zf, nullptr) != ZIP_OK || !ok)
        return {};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace updsim
