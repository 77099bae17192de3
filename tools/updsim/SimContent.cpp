#include "SimContent.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

namespace updsim {

int compareVersions(const QString& a, const QString& b)
{
    const QStringList pa = a.split(QLatin1Char('.'));
    const QStringList pb = b.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        const int x = pa.value(i).toInt();
        const int y = pb.value(i).toInt();
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

QByteArray configDocument(const QString& base, bool noLoginUrl)
{
    auto url = [&](const char* path) { return base + QLatin1String(path); };
    auto entry = [&](const char* element, const QString& address) {
        return QStringLiteral("  <%1><Url>%2</Url></%1>\n").arg(QLatin1String(element), address);
    };
    auto page = [&](const char* name) {
        const QString p = QLatin1String(name);
        // First child is the default; en_US appears twice so the last match wins.
        return QStringLiteral("    <page_%1>\n"
                              "      <default>%2help/%1</default>\n"
                              "      <en language=\"en_US\">%2help/en_US/%1</en>\n"
                              "      <zh language=\"zh_CN\">%2help/zh_CN/%1</zh>\n"
                              "      <en_latest language=\"en_US\">%2help/en_US/%1_latest</en_latest>\n"
                              "    </page_%1>\n")
            .arg(p, base);
    };
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ServerConfig>\n");
    xml += entry("Login", noLoginUrl ? QString() : url("login"));
    xml += entry("Register", url("register"));
    xml += entry("ForgotPassword", url("forgot"));
    xml += entry("SoftInfo", url("software"));
    xml += entry("Firmware", url("firmware"));
    xml += entry("WareDownload", url("download"));
    xml += entry("Doc", url("doc"));
    xml += entry("NewsLetter", url("news"));
    xml += entry("QueryInfo", url("query"));
    xml += QStringLiteral("  <WIKI_KZO>\n") + page("main") + page("tools") + page("info") + QStringLiteral("  </WIKI_KZO>\n");
    xml += QStringLiteral("</ServerConfig>\n");
    return xml.toUtf8();
}

QByteArray generatedImage(quint32 seed, const QString& module, const QString& version, int size)
{
    // FNV-1a over the inputs, then xorshift32: the same inputs give the same bytes.
    quint32 h = 2166136261u ^ seed;
    for (char c : (module + QLatin1Char('|') + version).toUtf8()) {
        h ^= static_cast<quint8>(c);
        h *= 16777619u;
    }
    if (h == 0)
        h = 1;
    QByteArray out(qMax(0, size), Qt::Uninitialized);
    for (char& b : out) {
        h ^= h << 13;
        h ^= h >> 17;
        h ^= h << 5;
        b = static_cast<char>(h & 0xFF);
    }
    return out;
}

QString moduleOfSeries(const QString& series)
{
    const qsizetype u = series.lastIndexOf(QLatin1Char('_'));
    return u < 0 ? QString() : series.mid(u + 1);
}

QList<ZipEntry> docEntries(const QString& docDir, int version, const QList<Fault>& faults)
{
    QList<ZipEntry> entries;
    if (!docDir.isEmpty()) {
        const QDir root(docDir);
        QDirIterator it(docDir, QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files << it.next();
        files.sort();
        for (const QString& f : files) {
            QFile file(f);
            if (file.open(QIODevice::ReadOnly))
                entries.append({QStringLiteral("doc/") + root.relativeFilePath(f), file.readAll(), false});
        }
    } else {
        const QByteArray v = QByteArray::number(version);
        entries.append({QStringLiteral("doc/"), {}, false});
        entries.append({QStringLiteral("doc/index.html"), "<html><body>Help documents version " + v + "</body></html>\n", false});
        entries.append({QStringLiteral("doc/en_US/main.html"), "<html><body>Main page help, version " + v + "</body></html>\n", false});
        entries.append({QStringLiteral("doc/errorcode.html"), "<html><body>Error codes, version " + v + "</body></html>\n", false});
    }
    if (faults.contains(Fault::ZipDocFile))
        entries = {{QStringLiteral("doc"), "a file where the doc folder belongs\n", false}};
    if (faults.contains(Fault::ZipAppConf))
        entries.append({QStringLiteral("app.conf"), "[AppConfig_replaced]\ndoc_version=999\n", false});
    if (faults.contains(Fault::ZipDotDot))
        entries.append({QStringLiteral("../escaped.txt"), "outside the target folder\n", false});
    if (faults.contains(Fault::ZipLink))
        entries.append({QStringLiteral("doc/link"), "/etc/passwd", true});
    if (faults.contains(Fault::ZipAbsolute))
        entries.append({QStringLiteral("/tmp/kzo-updsim-absolute.txt"), "absolute path\n", false});
    return entries;
}

QString md5Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

} // namespace updsim
