#pragma once
// Command line of kzo-updsim: what it serves and which faults it injects.
#include <QMap>
#include <QList>
#include <QString>
#include <QStringList>

namespace updsim {

enum class Fault {
    Empty,     // 200 with an empty body
    Malformed, // truncated markup
    Percent,   // the whole body percent-encoded
    Slow,      // the reply is held back for --slow-ms
    Cut,       // announces the full length, sends half, closes
    Oversize,  // announces and streams a body larger than the client's bound
    BadSize,   // firmware: the served image is one byte short of the announced size
    BadMd5,    // firmware: the announced digest does not match the image
    ZipDotDot, // doc.zip: adds an entry "../escaped.txt"
    ZipLink,   // doc.zip: adds a symbolic-link entry
    ZipAbsolute, // doc.zip: adds an entry with an absolute path
    ZipAppConf, // doc.zip: adds an entry "app.conf"
    ZipDocFile, // doc.zip: holds only a file named "doc" instead of the doc folder
    Hang,      // the request is read and never answered; the connection stays open
    Stall,     // headers and half the body, then nothing; the connection stays open
    Trickle,   // the body goes out in ten pieces, --slow-ms apart
    Padded,    // every element's text wrapped in blanks and a line break
};

// One injected fault on a route; `remaining` counts the requests it still hits
// (-1: every request).
struct FaultRule {
    Fault fault;
    int remaining = -1;
};

// What the firmware check offers for one module.
struct Offer {
    bool none = false; // --no-offer: the reply carries an empty file
    QString version;
    int size = -1;     // generated image of this size; -1: --firmware-size
    QString file;      // image read from this file instead
};

struct User {
    QString email;
    QString password;
    bool active = true;
};

struct Options {
    quint16 port = 8780;
    quint32 seed = 1;
    double faultRate = 1.0;
    int slowMs = 1500;
    qint64 oversizeBytes = -1; // -1: just past the client's bound for that route
    int tricklePieces = 10;
    QMap<QString, QList<FaultRule>> faults; // route -> faults ("all" applies everywhere)
    bool noLoginUrl = false;
    QString softwareLatest = QStringLiteral("1.10");
    int softwareStatus = 0;
    QString firmwareVersion = QStringLiteral("2.0.0.0");
    int firmwareSize = 4096;
    QString firmwareDir;
    QMap<QString, Offer> offers; // module (series suffix) -> its own offer
    int docVersion = 0;
    QString docDir;
    QString newsId = QStringLiteral("7");
    int newsVersion = 3;
    QList<User> users;
    int loginError = 0;
    bool exitWithParent = false;
};

enum class ParseResult { Run, Help, Version, Error };

// Parses the arguments. Help and Version leave their text in `text`; Error
// leaves the reason in `text` and the usage in `usage`.
ParseResult parseOptions(const QStringList& args, Options& out, QString* text, QString* usage);

QString faultName(Fault f);
bool faultFromName(const QString& name, Fault* out);

} // namespace updsim
