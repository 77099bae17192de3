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
    QMap<QString, QList<Fault>> faults; // route -> faults ("all" applies everywhere)
    bool noLoginUrl = false;
    QString softwareLatest = QStringLiteral("1.10");
    int softwareStatus = 0;
    QString firmwareVersion = QStringLiteral("2.0.0.0");
    int firmwareSize = 4096;
    QString firmwareDir;
    int docVersion = 0;
    QString docDir;
    QString newsId = QStringLiteral("7");
    int newsVersion = 3;
    QList<User> users;
    int loginError = 0;
};

// Parses the arguments; on an error prints it and returns false. --help prints and exits.
bool parseOptions(const QStringList& args, Options& out, QString* error);

QString faultName(Fault f);
bool faultFromName(const QString& name, Fault* out);

} // namespace updsim
