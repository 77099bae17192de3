// The readers of the update server's and the account service's XML replies.
//
// Input: a control byte (language choice), then the raw reply body. An empty
// body after decoding is reported as empty; a parsed document is read by
// every reader, which must give trimmed texts where promised, addresses built
// around the given base and language, and the same answers when run again.
#include "FuzzSupport.h"
#include "online/PercentCoding.h"
#include "online/ServerReplies.h"

#include <QCoreApplication>

using kzo::fuzz::Input;
using namespace kzo::online;

namespace {

bool trimmed(const QString& s) { return s == s.trimmed(); }

void readAll(const QDomElement& root, const QString& language, int deviceId)
{
    const QString base = QStringLiteral("http://q/info");
    const ServerConfig c = readServerConfig(root, language);
    KZO_CHECK(c.registerUrl.endsWith(QLatin1Char('/') + language));
    KZO_CHECK(c.forgotPasswordUrl.endsWith(QLatin1Char('/') + language));
    KZO_CHECK(c.loginUrl == childText(root, QStringList{QStringLiteral("Login"), QStringLiteral("Url")}));

    const SoftwareReply s = readSoftwareReply(root);
    for (const QString* t : {&s.code, &s.latestFirmware, &s.latestSoftware, &s.ver, &s.note, &s.url, &s.status})
        KZO_CHECK(trimmed(*t));

    const FirmwareDataInfo f = readFirmwareReply(root, deviceId, base, language);
    KZO_CHECK(f.deviceId == deviceId);
    if (f.fileId.isEmpty()) {
        // No file: nothing else is filled in.
        KZO_CHECK(f.version.isEmpty() && f.infoUrl.isEmpty() && f.checksum.isEmpty() && f.size == 0);
    } else {
        KZO_CHECK(f.infoUrl.startsWith(base + QStringLiteral("?id=")));
        KZO_CHECK(f.infoUrl.endsWith(QStringLiteral("&type=0&language=") + language));
    }

    const DocReply d = readDocReply(root);
    (void)d;
    const NewsReply n = readNewsReply(root, base, language);
    KZO_CHECK(n.address.startsWith(base + QStringLiteral("?id=")));
    KZO_CHECK(n.address.endsWith(QStringLiteral("&type=1&language=") + language));

    const LoginReply l = readLoginReply(root);
    KZO_CHECK(trimmed(l.code) && trimmed(l.msg) && trimmed(l.errorCode));

    // A help address is one child's text (or empty without children).
    const QDomElement wiki = root.firstChildElement(QStringLiteral("WIKI_KZO"));
    for (const char* page : {"page_main", "page_tools", "page_info"}) {
        const QDomElement p = wiki.firstChildElement(QString::fromLatin1(page));
        const QString a = readHelpAddress(p, language);
        bool found = p.firstChildElement().isNull() && a.isEmpty();
        for (QDomElement ch = p.firstChildElement(); !ch.isNull() && !found; ch = ch.nextSiblingElement())
            found = ch.text() == a;
        KZO_CHECK(found);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const auto rest = in.rest();
    const QByteArray raw(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));
    static const QString languages[] = {QStringLiteral("en_US"), QStringLiteral("zh_CN"), QString()};
    const QString language = languages[control % 3];

    QDomDocument doc;
    const ReplyParse r = parseReplyDocument(raw, doc);
    KZO_CHECK((r == ReplyParse::Empty) == percentDecode(raw).isEmpty());
    if (r != ReplyParse::Ok)
        return 0;
    const QDomElement root = doc.documentElement();
    KZO_CHECK(!root.isNull());
    readAll(root, language, control);

    // Reading is pure: a second parse reads the same.
    QDomDocument again;
    KZO_CHECK(parseReplyDocument(raw, again) == ReplyParse::Ok);
    const QDomElement root2 = again.documentElement();
    KZO_CHECK(readSoftwareReply(root2).note == readSoftwareReply(root).note);
    KZO_CHECK(readFirmwareReply(root2, 1, {}, language).fileId == readFirmwareReply(root, 1, {}, language).fileId);
    KZO_CHECK(readServerConfig(root2, language).helpMainUrl == readServerConfig(root, language).helpMainUrl);
    return 0;
}
