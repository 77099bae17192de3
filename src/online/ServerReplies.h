#pragma once
// Readers of the update server's and account service's XML replies. Pure
// functions: they read a parsed document and never touch the network or the
// application model. Texts that are compared or stored are read without the
// blanks and line breaks around them.
#include "online/OnlineTypes.h"

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QStringList>

namespace kzo::online {

enum class ReplyParse {
    Empty,     // nothing left once decoded
    Malformed, // not XML with a document element
    Ok,
};

// Percent-decodes the whole body, then parses it into `doc`.
ReplyParse parseReplyDocument(const QByteArray& raw, QDomDocument& doc);

// Text of the first child element named `name`; empty when there is none.
QString childText(const QDomElement& parent, const QString& name);
// Same along a path of first children, e.g. {"latest", "files", "f0"}.
QString childText(const QDomElement& parent, const QStringList& path);
QDomElement childPath(const QDomElement& parent, const QStringList& path);

// Addresses of the server configuration document. `loginUrl` empty means the
// document is unusable.
struct ServerConfig {
    QString loginUrl;
    QString registerUrl; // text + "/" + language
    QString forgotPasswordUrl; // text + "/" + language
    QString softwareUrl;
    QString firmwareUrl;
    QString firmwareDownloadUrl;
    QString docUrl;
    QString newsUrl;
    QString queryInfoUrl;
    QString helpMainUrl;
    QString helpToolsUrl;
    QString helpInfoUrl;
};
ServerConfig readServerConfig(const QDomElement& root, const QString& language);

// The first child's text, overwritten by every child whose attribute
// "language" equals `language` (the last match wins).
QString readHelpAddress(const QDomElement& page, const QString& language);

struct SoftwareReply {
    QString code;
    QString latestFirmware;
    QString latestSoftware;
    QString ver;
    QString note;
    QString url;
    QString status;
};
SoftwareReply readSoftwareReply(const QDomElement& root);

// An empty "f0" text gives an empty record with only `deviceId` set.
FirmwareDataInfo readFirmwareReply(const QDomElement& root, int deviceId, const QString& queryInfoUrl,
                                   const QString& language);

struct DocReply {
    int code = 0;
    QString url;
};
DocReply readDocReply(const QDomElement& root);

struct NewsReply {
    QString address; // query_info_url?id=ID&type=1&language=LANG
    int version = 0;
};
NewsReply readNewsReply(const QDomElement& root, const QString& queryInfoUrl, const QString& language);

struct LoginReply {
    QString code;
    QString msg;
    QString errorCode;
};
LoginReply readLoginReply(const QDomElement& root);

} // namespace kzo::online
