#include "UpdateServer.h"

#include "SimContent.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrlQuery>

#include <cstdio>

namespace updsim {

namespace {

void out(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray xmlEscape(const QString& s)
{
    return s.toHtmlEscaped().toUtf8();
}

QByteArray element(const char* name, const QString& text)
{
    return QByteArray("<") + name + '>' + xmlEscape(text) + "</" + name + '>';
}

HttpResponse xmlReply(const QByteArray& inner)
{
    HttpResponse r;
    r.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result>" + inner + "</result>\n";
    return r;
}

HttpResponse htmlPage(const QByteArray& path)
{
    HttpResponse r;
    r.contentType = "text/html; charset=utf-8";
    r.body = "<html><body><p>kzo-updsim page " + QString::fromLatin1(path).toHtmlEscaped().toUtf8() + "</p></body></html>\n";
    return r;
}

// Wraps the text of every element that holds only text in blanks and a line
// break, as a hand-edited or pretty-printed reply would.
QByteArray padElementTexts(const QByteArray& body)
{
    static const QRegularExpression leaf(QStringLiteral("<([A-Za-z_][\\w.-]*)([^<>]*)>([^<]*)</\\1>"));
    return QString::fromUtf8(body).replace(leaf, QStringLiteral("<\\1\\2> \\3 \n</\\1>")).toUtf8();
}

constexpr qint64 xmlBound = 1LL << 20;
constexpr qint64 archiveBound = 64LL << 20;

} // namespace

UpdateServer::UpdateServer(Options options, QObject* parent)
    : QObject(parent), opt(std::move(options)), rng(opt.seed)
{
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = server.nextPendingConnection())
            new HttpConnection(s, [this](const HttpRequest& r) { return handle(r); }, this);
    });
}

bool UpdateServer::listen(QString* error)
{
    if (!server.listen(QHostAddress::LocalHost, opt.port)) {
        *error = server.errorString();
        return false;
    }
    return true;
}

QString UpdateServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort());
}

QString UpdateServer::item(const Form& form, const char* key)
{
    for (const auto& kv : form) {
        if (kv.first == QLatin1String(key))
            return kv.second;
    }
    return {};
}

QList<Fault> UpdateServer::faultsFor(const QString& route)
{
    QList<FaultRule*> live;
    for (const QString& r : {route, QStringLiteral("all")}) {
        auto it = opt.faults.find(r);
        if (it == opt.faults.end())
            continue;
        for (FaultRule& rule : *it) {
            if (rule.remaining != 0)
                live.append(&rule);
        }
    }
    if (live.isEmpty())
        return {};
    if (opt.faultRate < 1.0) {
        std::uniform_real_distribution<double> draw(0.0, 1.0);
        if (draw(rng) >= opt.faultRate)
            return {};
    }
    QList<Fault> f;
    for (FaultRule* rule : live) {
        if (rule->remaining > 0)
            --rule->remaining;
        if (!f.contains(rule->fault))
            f.append(rule->fault);
    }
    return f;
}

HttpResponse UpdateServer::handle(const HttpRequest& req)
{
    out(QStringLiteral("request: %1 %2").arg(QString::fromLatin1(req.method), QString::fromLatin1(req.path)));
    const QByteArray raw = req.method == "GET" ? req.query : req.body;
    Form form;
    if (!raw.isEmpty()) {
        out(QStringLiteral("  body: ") + QString::fromLatin1(raw));
        for (const QByteArray& pair : raw.split('&')) {
            const qsizetype eq = pair.indexOf('=');
            const QByteArray k = eq < 0 ? pair : pair.left(eq);
            const QByteArray v = eq < 0 ? QByteArray() : pair.mid(eq + 1);
            form.append({QString::fromUtf8(QByteArray::fromPercentEncoding(k)),
                         QString::fromUtf8(QByteArray::fromPercentEncoding(v))});
            out(QStringLiteral("  item: %1=%2").arg(form.last().first, form.last().second));
        }
    }

    QString route;
    const QByteArray& p = req.path;
    if (p == "/server_config.xml" || p == "/config")
        route = QStringLiteral("config");
    else if (p == "/software")
        route = QStringLiteral("software");
    else if (p == "/firmware")
        route = QStringLiteral("firmware");
    else if (p == "/download")
        route = QStringLiteral("download");
    else if (p == "/doc")
        route = QStringLiteral("doc");
    else if (p == "/doc.zip")
        route = QStringLiteral("doczip");
    else if (p == "/news")
        route = QStringLiteral("news");
    else if (p == "/login")
        route = QStringLiteral("login");

    const QList<Fault> faults = route.isEmpty() ? QList<Fault>() : faultsFor(route);
    HttpResponse r;
    if (route == QLatin1String("config"))
        r = routeConfig();
    else if (route == QLatin1String("software"))
        r = routeSoftware(form);
    else if (route == QLatin1String("firmware"))
        r = routeFirmware(form, faults);
    else if (route == QLatin1String("download"))
        r = routeDownload(item(form, "id"), faults);
    else if (route == QLatin1String("doc"))
        r = routeDoc(form);
    else if (route == QLatin1String("doczip"))
        r = routeDocZip(faults);
    else if (route == QLatin1String("news"))
        r = routeNews();
    else if (route == QLatin1String("login"))
        r = routeLogin(form);
    else if (req.method == "GET")
        r = htmlPage(req.path);
    else
        r.status = 404;

    QStringList applied;
    for (Fault f : faults) {
        applied << faultName(f);
        switch (f) {
        case Fault::Empty:
            r.body.clear();
            break;
        case Fault::Malformed:
            r.body = r.body.left(r.body.size() / 2) + "<<broken";
            break;
        case Fault::Percent:
            r.body = r.body.toPercentEncoding();
            break;
        case Fault::Slow:
            r.delayMs = opt.slowMs;
            break;
        case Fault::Cut:
            r.cut = true;
            break;
        case Fault::Hang:
            r.hang = true;
            break;
        case Fault::Stall:
            r.stall = true;
            break;
        case Fault::Trickle:
            r.trickleMs = qMax(1, opt.slowMs);
            r.tricklePieces = opt.tricklePieces;
            break;
        case Fault::Padded:
            r.body = padElementTexts(r.body);
            break;
        case Fault::Oversize:
            r.streamBytes = opt.oversizeBytes >= 0
                ? opt.oversizeBytes
                : (route == QLatin1String("doczip") || route == QLatin1String("download") ? archiveBound : xmlBound) + 1;
            break;
        default:
            break; // content faults were applied by the route
        }
    }
    const qint64 size = r.streamBytes >= 0 ? r.streamBytes : r.body.size();
    out(QStringLiteral("response: %1 %2 %3%4")
            .arg(QString::fromLatin1(req.path))
            .arg(r.status)
            .arg(size)
            .arg(applied.isEmpty() ? QString() : QStringLiteral(" [") + applied.join(QLatin1Char(',')) + QLatin1Char(']')));
    return r;
}

HttpResponse UpdateServer::routeConfig()
{
    HttpResponse r;
    r.body = configDocument(baseUrl(), opt.noLoginUrl);
    return r;
}

HttpResponse UpdateServer::routeSoftware(const Form& form)
{
    const QString client = item(form, "software");
    // A disabled version is reported whatever the client's version is.
    const bool offer = opt.softwareStatus == 2 || compareVersions(client, opt.softwareLatest) < 0;
    QByteArray inner = element("code", offer ? QStringLiteral("1") : QStringLiteral("0"));
    const Offer mc = opt.offers.value(QStringLiteral("mc"));
    const QString firmwareLatest = mc.none || mc.version.isEmpty() ? opt.firmwareVersion : mc.version;
    inner += "<latest>" + element("firmware", firmwareLatest) + element("software", opt.softwareLatest) + "</latest>";
    if (offer) {
        inner += element("ver", opt.softwareLatest);
        inner += element("note", baseUrl() + QStringLiteral("notes/") + opt.softwareLatest + QStringLiteral(".html"));
        inner += element("url", baseUrl() + QStringLiteral("downloads/"));
        inner += element("status", QString::number(opt.softwareStatus));
    }
    return xmlReply(inner);
}

bool UpdateServer::imageFor(const QString& module, QByteArray* image, QString* version) const
{
    image->clear();
    if (module.isEmpty())
        return false;
    if (const auto it = opt.offers.find(module); it != opt.offers.end()) {
        const Offer& o = *it;
        if (o.none)
            return false;
        *version = o.version;
        if (!o.file.isEmpty()) {
            QFile f(o.file);
            if (!f.open(QIODevice::ReadOnly))
                return false;
            *image = f.readAll();
            return true;
        }
        *image = generatedImage(opt.seed, module, o.version, o.size >= 0 ? o.size : opt.firmwareSize);
        return true;
    }
    *version = opt.firmwareVersion;
    if (!opt.firmwareDir.isEmpty()) {
        QFile f(opt.firmwareDir + QLatin1Char('/') + module + QStringLiteral(".bin"));
        if (!f.open(QIODevice::ReadOnly))
            return false;
        *image = f.readAll();
        return true;
    }
    *image = generatedImage(opt.seed, module, opt.firmwareVersion, opt.firmwareSize);
    return true;
}

HttpResponse UpdateServer::routeFirmware(const Form& form, const QList<Fault>& faults)
{
    if (item(form, "debug") == QLatin1String("1")) {
        bool active = false;
        if (!checkUser(item(form, "user"), item(form, "password"), &active) || !active)
            return xmlReply(element("code", QStringLiteral("1")));
    }
    const QString module = moduleOfSeries(item(form, "series"));
    QByteArray image;
    QString version;
    const bool found = imageFor(module, &image, &version);
    const QString client = item(form, "firmware");
    const bool offer = found && (client.isEmpty() || compareVersions(client, version) < 0);
    if (!offer)
        return xmlReply(element("code", QStringLiteral("0")) + "<latest><files><f0/></files></latest>");
    const QString fileId = module + QLatin1Char('-') + version;
    const QString checksum = faults.contains(Fault::BadMd5) ? md5Hex(image + "x") : md5Hex(image);
    QByteArray inner = element("code", QStringLiteral("0"));
    inner += "<latest>" + element("id", QString::number(100 + module.size())) + element("ver", version);
    inner += "<files><f0 size=\"" + QByteArray::number(image.size()) + "\" checksum=\"" + checksum.toLatin1() + "\">"
        + xmlEscape(fileId) + "</f0></files></latest>";
    return xmlReply(inner);
}

HttpResponse UpdateServer::routeDownload(const QString& id, const QList<Fault>& faults)
{
    // File ids are "<module>-<version>" as announced by the firmware check;
    // module names hold no "-", versions may.
    const qsizetype dash = id.indexOf(QLatin1Char('-'));
    HttpResponse r;
    r.contentType = "application/octet-stream";
    QString version;
    if (dash <= 0 || !imageFor(id.left(dash), &r.body, &version) || id.mid(dash + 1) != version) {
        r.body.clear();
        r.status = 404;
        return r;
    }
    if (faults.contains(Fault::BadSize))
        r.body.chop(1);
    return r;
}

HttpResponse UpdateServer::routeDoc(const Form& form)
{
    const int client = item(form, "doc").toInt();
    if (opt.docVersion > client)
        return xmlReply(element("code", QString::number(opt.docVersion)) + element("url", baseUrl() + QStringLiteral("doc.zip")));
    return xmlReply(element("code", QStringLiteral("0")) + element("url", QString()));
}

HttpResponse UpdateServer::routeDocZip(const QList<Fault>& faults)
{
    HttpResponse r;
    r.contentType = "application/zip";
    r.body = buildZip(docEntries(opt.docDir, opt.docVersion, faults));
    if (r.body.isEmpty())
        r.status = 500;
    return r;
}

HttpResponse UpdateServer::routeNews()
{
    return xmlReply(element("id", opt.newsId) + element("code", QString::number(opt.newsVersion)));
}

bool UpdateServer::checkUser(const QString& email, const QString& password, bool* active) const
{
    for (const User& u : opt.users) {
        if (u.email == email && (password == u.password || password == md5Hex(u.password.toUtf8()))) {
            *active = u.active;
            return true;
        }
    }
    return false;
}

HttpResponse UpdateServer::routeLogin(const Form& form)
{
    auto refuse = [](int code) {
        return xmlReply(element("code", QStringLiteral("0")) + element("msg", QStringLiteral("refused"))
                        + element("error_code", QString::number(code)));
    };
    if (opt.loginError != 0)
        return refuse(opt.loginError);
    bool active = false;
    if (!checkUser(item(form, "email"), item(form, "password"), &active))
        return refuse(3001);
    if (!active)
        return refuse(1002);
    const QString ssid = QStringLiteral("S%1").arg(static_cast<quint32>(rng()) | 1u, 8, 16, QLatin1Char('0'));
    return xmlReply(element("code", ssid) + element("msg", QStringLiteral("ok")) + element("error_code", QStringLiteral("0")));
}

} // namespace updsim
