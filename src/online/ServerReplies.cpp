#include "online/ServerReplies.h"

#include "online/PercentCoding.h"

namespace kzo::online {

ReplyParse parseReplyDocument(const QByteArray& raw, QDomDocument& doc)
{
    const QByteArray body = percentDecode(raw);
    if (body.isEmpty())
        return ReplyParse::Empty;
    if (!doc.setContent(body) || doc.documentElement().isNull())
        return ReplyParse::Malformed;
    return ReplyParse::Ok;
}

QString childText(const QDomElement& parent, const QString& name)
{
    if (parent.isNull())
        return {};
    return parent.firstChildElement(name).text();
}

QDomElement childPath(const QDomElement& parent, const QStringList& path)
{
    QDomElement e = parent;
    for (const QString& name : path) {
        if (e.isNull())
            break;
        e = e.firstChildElement(name);
    }
    return e;
}

QString childText(const QDomElement& parent, const QStringList& path)
{
    const QDomElement e = childPath(parent, path);
    return e.isNull() ? QString() : e.text();
}

QString readHelpAddress(const QDomElement& page, const QString& language)
{
    if (page.isNull())
        return {};
    const QDomElement first = page.firstChildElement();
    QString address = first.isNull() ? QString() : first.text();
    for (QDomElement c = first; !c.isNull(); c = c.nextSiblingElement()) {
        if (c.attribute(QStringLiteral("language")) == language)
            address = c.text();
    }
    return address;
}

ServerConfig readServerConfig(const QDomElement& root, const QString& language)
{
    auto url = [&](const char* element) { return childText(root, QStringList{QString::fromLatin1(element), QStringLiteral("Url")}); };
    ServerConfig c;
    c.loginUrl = url("Login");
    c.registerUrl = url("Register") + QLatin1Char('/') + language;
    c.forgotPasswordUrl = url("ForgotPassword") + QLatin1Char('/') + language;
    c.softwareUrl = url("SoftInfo");
    c.firmwareUrl = url("Firmware");
    c.firmwareDownloadUrl = url("WareDownload");
    c.docUrl = url("Doc");
    c.newsUrl = url("NewsLetter");
    c.queryInfoUrl = url("QueryInfo");
    const QDomElement wiki = root.firstChildElement(QStringLiteral("WIKI_KZO"));
    c.helpMainUrl = readHelpAddress(wiki.firstChildElement(QStringLiteral("page_main")), language);
    c.helpToolsUrl = readHelpAddress(wiki.firstChildElement(QStringLiteral("page_tools")), language);
    c.helpInfoUrl = readHelpAddress(wiki.firstChildElement(QStringLiteral("page_info")), language);
    return c;
}

SoftwareReply readSoftwareReply(const QDomElement& root)
{
    SoftwareReply r;
    r.code = childText(root, QStringLiteral("code")).trimmed();
    r.latestFirmware = childText(root, QStringList{QStringLiteral("latest"), QStringLiteral("firmware")}).trimmed();
    r.latestSoftware = childText(root, QStringList{QStringLiteral("latest"), QStringLiteral("software")}).trimmed();
    r.ver = childText(root, QStringLiteral("ver")).trimmed();
    r.note = childText(root, QStringLiteral("note")).trimmed();
    r.url = childText(root, QStringLiteral("url")).trimmed();
    r.status = childText(root, QStringLiteral("status")).trimmed();
    return r;
}

FirmwareDataInfo readFirmwareReply(const QDomElement& root, int deviceId, const QString& queryInfoUrl,
                                   const QString& language)
{
    FirmwareDataInfo info;
    info.deviceId = deviceId;
    const QDomElement latest = root.firstChildElement(QStringLiteral("latest"));
    const QDomElement f0 = childPath(latest, QStringList{QStringLiteral("files"), QStringLiteral("f0")});
    const QString fileId = f0.isNull() ? QString() : f0.text();
    if (fileId.isEmpty())
        return info;
    info.version = childText(latest, QStringLiteral("ver"));
    info.infoUrl = queryInfoUrl + QStringLiteral("?id=") + childText(latest, QStringLiteral("id"))
        + QStringLiteral("&type=0") + QStringLiteral("&language=") + language;
    info.fileId = fileId;
    info.size = f0.attribute(QStringLiteral("size")).toInt();
    info.checksum = f0.attribute(QStringLiteral("checksum"));
    return info;
}

DocReply readDocReply(const QDomElement& root)
{
    DocReply r;
    r.code = childText(root, QStringLiteral("code")).trimmed().toInt();
    r.url = childText(root, QStringLiteral("url"));
    return r;
}

NewsReply readNewsReply(const QDomElement& root, const QString& queryInfoUrl, const QString& language)
{
    NewsReply r;
    r.address = queryInfoUrl + QStringLiteral("?id=") + childText(root, QStringLiteral("id")) + QStringLiteral("&type=1")
        + QStringLiteral("&language=") + language;
    r.version = childText(root, QStringLiteral("code")).trimmed().toInt();
    return r;
}

LoginReply readLoginReply(const QDomElement& root)
{
    LoginReply r;
    r.code = childText(root, QStringLiteral("code")).trimmed();
    r.msg = childText(root, QStringLiteral("msg")).trimmed();
    r.errorCode = childText(root, QStringLiteral("error_code")).trimmed();
    return r;
}

} // namespace kzo::online
