#include "SimOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

namespace updsim {

namespace {

struct FaultName {
    Fault fault;
    const char* name;
};

constexpr FaultName faultNames[] = {
    {Fault::Empty, "empty"},          {Fault::Malformed, "malformed"}, {Fault::Percent, "percent"},
    {Fault::Slow, "slow"},            {Fault::Cut, "cut"},             {Fault::Oversize, "oversize"},
    {Fault::BadSize, "bad-size"},     {Fault::BadMd5, "bad-md5"},      {Fault::ZipDotDot, "zip-dotdot"},
    {Fault::ZipLink, "zip-link"},     {Fault::ZipAbsolute, "zip-absolute"}, {Fault::ZipAppConf, "zip-appconf"},
    {Fault::ZipDocFile, "zip-doc-file"}, {Fault::Hang, "hang"},         {Fault::Stall, "stall"},
    {Fault::Trickle, "trickle"},      {Fault::Padded, "padded"},
};

const QStringList routes = {QStringLiteral("config"), QStringLiteral("software"), QStringLiteral("firmware"),
                            QStringLiteral("download"), QStringLiteral("doc"), QStringLiteral("doczip"),
                            QStringLiteral("news"), QStringLiteral("login"), QStringLiteral("all")};

// Generated images are held in memory; this keeps a typing slip from eating it.
constexpr int maxOfferSize = 256 << 20;

const char* helpText = R"(
Stand-in for the maker's update server and account service, on 127.0.0.1 only.
The first line printed is "listening: http://127.0.0.1:PORT/"; then one block per
request: "request: METHOD PATH", "  body: RAW", one "  item: key=value" per form
item (decoded), and "response: PATH STATUS BYTES [faults]".

Routes:
  GET  /server_config.xml  configuration document, addresses point back here
  POST /software           items ssid, series, software
  POST /firmware           items [sn,] hwid, firmware, series, ssid, software
                           (debug=1 with user and password checks the user table)
  POST /download           items ssid, id: the firmware image for a file id
                           (the id the firmware check announced; the image
                           has the announced size and MD5 digest)
  POST /doc                items ssid, series, software, doc
  GET  /doc.zip            the help-document archive
  POST /news               items ssid, series, software
  POST /login              items email, password, series, language
  GET  anything else       a small HTML page (help, release notes, registration)

Default account (when no --user is given): e-mail pilot@example.com,
password secret1.

Firmware offers: MODULE is the part of the series after its last "_" (mc, imu,
cmu, gps, led, pmu, receiver24G, receiver58G, nv08c, glonass). A module is
offered when the client's "firmware" is empty or older than the offer's version.
  --offer MODULE=VERSION          generated image of --firmware-size bytes
  --offer MODULE=VERSION:SIZE     generated image of SIZE bytes (0: the reply
                                  names a file of size 0, "no update")
  --offer MODULE=VERSION:FILE     the bytes of FILE
  --no-offer MODULE               the reply carries an empty file: no update
Modules without either get --firmware-version with a generated image, or
--firmware-dir's image.

Faults (--fault KIND@ROUTE or KIND@ROUTE*N, repeatable; ROUTE is one of
config, software, firmware, download, doc, doczip, news, login, all). With *N
only the first N requests on ROUTE that draw faults get KIND; later ones are
served normally (e.g. hang@firmware*1: the first check hangs, a Refresh works).
  empty         200 with an empty body
  malformed     truncated markup
  percent       the whole body percent-encoded (%3C for "<")
  slow          the reply is held back --slow-ms milliseconds
  hang          the request is read and never answered; the connection stays open
  stall         headers and half the body go out, then nothing; the connection
                stays open
  trickle       the body goes out in --trickle-pieces pieces (default ten),
                --slow-ms milliseconds apart (a Qt client reports progress at
                most every 150 ms: keep the gap above that to see each step)
  padded        every element's text is wrapped in blanks and a line break
  cut           announces the full length, sends half of it and closes
  oversize      announces and streams a body past the client's bound
                (1 MiB + 1 for XML, 64 MiB + 1 for archives and images)
  bad-size      (download) the image is one byte short of the announced size
  bad-md5       (firmware) the announced checksum does not match the image
  zip-dotdot    doc.zip also holds "../escaped.txt"
  zip-link      doc.zip also holds a symbolic link "doc/link" -> /etc/passwd
  zip-absolute  doc.zip also holds "/tmp/kzo-updsim-absolute.txt"
  zip-appconf   doc.zip also holds "app.conf" (the client's own settings file)
  zip-doc-file  doc.zip holds only a file named "doc" instead of the doc folder

Runs until it is stopped (SIGTERM, SIGINT), unless --exit-with-parent is given.

Exit status:
  0  --help or --version
  1  cannot listen on the port
  2  bad command line (the usage goes to standard error)
  A simulator that is stopped by a signal ends with that signal.
)";

} // namespace

QString faultName(Fault f)
{
    for (const auto& n : faultNames) {
        if (n.fault == f)
            return QString::fromLatin1(n.name);
    }
    return {};
}

bool faultFromName(const QString& name, Fault* out)
{
    for (const auto& n : faultNames) {
        if (name == QLatin1String(n.name)) {
            *out = n.fault;
            return true;
        }
    }
    return false;
}

ParseResult parseOptions(const QStringList& args, Options& o, QString* text, QString* usage)
{
    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(helpText));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, "Show this help and exit.");
    const QCommandLineOption version("version", "Show the version and exit.");
    const QCommandLineOption port("port", "TCP port on 127.0.0.1; 0 picks a free one (default 8780).", "N", "8780");
    const QCommandLineOption seed("seed", "Seed of the generated images, login identifiers and --fault-rate draws (default 1).", "N", "1");
    const QCommandLineOption fault("fault", "Inject fault KIND on ROUTE (see above); repeatable.", "KIND@ROUTE");
    const QCommandLineOption faultRate("fault-rate", "Probability 0..1 that a request on a faulted route gets its faults (default 1).", "P", "1");
    const QCommandLineOption slowMs("slow-ms", "Delay of the slow fault and gap of the trickle fault in milliseconds (default 1500).", "MS", "1500");
    const QCommandLineOption tricklePieces("trickle-pieces", "Number of pieces of the trickle fault (default 10).", "N", "10");
    const QCommandLineOption oversize("oversize-bytes", "Body length of the oversize fault (default: just past the client's bound).", "N");
    const QCommandLineOption noLogin("no-login-url", "Serve the configuration with an empty Login/Url.");
    const QCommandLineOption swLatest("software-latest", "Latest application version (default 1.10); newer than the client's gives code 1.", "VER", "1.10");
    const QCommandLineOption swStatus("software-status", "Status of an offered application: 0 normal, 1 must update, 2 client version disabled (default 0).", "N", "0");
    const QCommandLineOption fwVersion("firmware-version", "Latest firmware version of every module (default 2.0.0.0).", "VER", "2.0.0.0");
    const QCommandLineOption fwSize("firmware-size", "Size of generated firmware images in bytes (default 4096).", "N", "4096");
    const QCommandLineOption offer("offer", "Offer for one module, VERSION[:SIZE|:FILE] (see above); repeatable.", "MODULE=VERSION[:SIZE|:FILE]");
    const QCommandLineOption noOffer("no-offer", "No firmware update for MODULE; repeatable.", "MODULE");
    const QCommandLineOption fwDir("firmware-dir", "Serve images from DIR/<module>.bin (module = series after the last \"_\", e.g. mc.bin, receiver58G.bin) instead of generated ones.", "DIR");
    const QCommandLineOption docVersion("doc-version", "Document version on offer; a client with a lower \"doc\" is sent doc.zip (default 0: never).", "N", "0");
    const QCommandLineOption docDir("doc-dir", "Build doc.zip from the files under DIR (stored as doc/<relative path>); default: a few generated pages.", "DIR");
    const QCommandLineOption newsId("news-id", "Newsletter id (default 7).", "ID", "7");
    const QCommandLineOption newsVersion("news-version", "Newsletter version (default 3).", "N", "3");
    const QCommandLineOption user("user", "Account EMAIL:PASSWORD[:inactive]; repeatable (default pilot@example.com:secret1). The password matches as given or as its MD5 digest.", "ACCOUNT");
    const QCommandLineOption loginError("login-error", "Refuse every login with this error_code (e.g. 3001, 1002, 4002).", "CODE");
    const QCommandLineOption exitWithParent("exit-with-parent", "End when the process that started the simulator ends (tests, run scripts).");
    p.addOptions({help, version, port, seed, fault, faultRate, slowMs, tricklePieces, oversize, noLogin, swLatest, swStatus,
                  fwVersion, fwSize, offer, noOffer, fwDir, docVersion, docDir, newsId, newsVersion, user, loginError, exitWithParent});
    *usage = p.helpText();
    if (!p.parse(args)) {
        *text = p.errorText();
        return ParseResult::Error;
    }
    if (p.isSet(help)) {
        *text = p.helpText();
        return ParseResult::Help;
    }
    if (p.isSet(version)) {
        *text = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion();
        return ParseResult::Version;
    }
    if (!p.positionalArguments().isEmpty()) {
        *text = QStringLiteral("unexpected argument \"%1\"").arg(p.positionalArguments().first());
        return ParseResult::Error;
    }

    bool ok = true;
    auto toInt = [&](const QCommandLineOption& opt) {
        bool good = false;
        const int v = p.value(opt).toInt(&good);
        if (!good) {
            ok = false;
            *text = QStringLiteral("--%1: not a number").arg(opt.names().first());
        }
        return v;
    };
    const int portValue = toInt(port);
    if (!ok)
        return ParseResult::Error;
    if (portValue < 0 || portValue > 65535) {
        *text = QStringLiteral("--port: out of range");
        return ParseResult::Error;
    }
    o.port = static_cast<quint16>(portValue);
    o.seed = static_cast<quint32>(p.value(seed).toUInt());
    o.faultRate = p.value(faultRate).toDouble();
    o.slowMs = toInt(slowMs);
    o.tricklePieces = toInt(tricklePieces);
    if (p.isSet(oversize))
        o.oversizeBytes = p.value(oversize).toLongLong();
    o.noLoginUrl = p.isSet(noLogin);
    o.exitWithParent = p.isSet(exitWithParent);
    o.softwareLatest = p.value(swLatest);
    o.softwareStatus = toInt(swStatus);
    o.firmwareVersion = p.value(fwVersion);
    o.firmwareSize = toInt(fwSize);
    o.firmwareDir = p.value(fwDir);
    o.docVersion = toInt(docVersion);
    o.docDir = p.value(docDir);
    o.newsId = p.value(newsId);
    o.newsVersion = toInt(newsVersion);
    if (p.isSet(loginError))
        o.loginError = toInt(loginError);
    if (!ok)
        return ParseResult::Error;
    if (o.tricklePieces < 1 || o.firmwareSize < 0) {
        *text = o.tricklePieces < 1 ? QStringLiteral("--trickle-pieces: at least 1") : QStringLiteral("--firmware-size: negative");
        return ParseResult::Error;
    }

    for (const QString& faultArg : p.values(fault)) {
        QString faultText = faultArg;
        int count = -1;
        if (const qsizetype star = faultText.indexOf(QLatin1Char('*')); star >= 0) {
            bool good = false;
            count = faultText.mid(star + 1).toInt(&good);
            if (!good || count < 1)
                count = 0;
            faultText.truncate(star);
        }
        const QStringList parts = faultText.split(QLatin1Char('@'));
        Fault f{};
        if (count == 0 || parts.size() != 2 || !faultFromName(parts[0], &f) || !routes.contains(parts[1])) {
            *text = QStringLiteral("--fault: cannot read \"%1\" (KIND@ROUTE or KIND@ROUTE*N, N >= 1)").arg(faultArg);
            return ParseResult::Error;
        }
        o.faults[parts[1]].append(FaultRule{f, count});
    }
    for (const QString& offerArg : p.values(offer)) {
        const qsizetype eq = offerArg.indexOf(QLatin1Char('='));
        const QString module = eq < 0 ? QString() : offerArg.left(eq);
        const QString rest = eq < 0 ? QString() : offerArg.mid(eq + 1);
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        Offer of;
        of.version = colon < 0 ? rest : rest.left(colon);
        if (colon >= 0) {
            const QString what = rest.mid(colon + 1);
            static const QRegularExpression digits(QStringLiteral("^\\d+$"));
            if (digits.match(what).hasMatch()) {
                bool good = false;
                of.size = what.toInt(&good);
                if (!good)
                    of.size = -2;
            } else {
                of.file = what;
            }
        }
        const bool badImage = of.size == -2 || of.size > maxOfferSize || (colon >= 0 && of.size < 0 && of.file.isEmpty());
        if (module.isEmpty() || of.version.isEmpty() || badImage) {
            *text = QStringLiteral("--offer: cannot read \"%1\" (MODULE=VERSION[:SIZE|:FILE])").arg(offerArg);
            return ParseResult::Error;
        }
        if (!of.file.isEmpty() && !QFileInfo(of.file).isReadable()) {
            *text = QStringLiteral("--offer: cannot read the image \"%1\"").arg(of.file);
            return ParseResult::Error;
        }
        o.offers.insert(module, of);
    }
    for (const QString& module : p.values(noOffer)) {
        if (module.isEmpty()) {
            *text = QStringLiteral("--no-offer: a module is needed");
            return ParseResult::Error;
        }
        Offer of;
        of.none = true;
        o.offers.insert(module, of);
    }
    const QStringList accounts = p.values(user);
    for (const QString& a : accounts.isEmpty() ? QStringList{QStringLiteral("pilot@example.com:secret1")} : accounts) {
        const QStringList parts = a.split(QLatin1Char(':'));
        if (parts.size() < 2 || parts[0].isEmpty()) {
            *text = QStringLiteral("--user: cannot read \"%1\" (EMAIL:PASSWORD[:inactive])").arg(a);
            return ParseResult::Error;
        }
        o.users.append(User{parts[0], parts[1], !(parts.size() > 2 && parts[2] == QLatin1String("inactive"))});
    }
    return ParseResult::Run;
}

} // namespace updsim
