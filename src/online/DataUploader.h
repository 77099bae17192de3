#pragma once
// The program's single client of the maker's update server: server
// configuration, software, firmware, document and newsletter checks, and the
// help-document archive. Every request is asynchronous; results arrive as
// application-model entries and signals.
#include "online/OnlineTypes.h"
#include "protocol/Singleton.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QString>

#include <array>

class QDomElement;

class DataUploader : public QObject, public SingletonEx<DataUploader> {
    Q_OBJECT
public:
    // Slot index of each kind of request; 1..12 are firmware module ids.
    enum ReplyType : int {
        ReplyServerConfig = 0,
        ReplyNewsLetter = 13,
        ReplyDocVersion = 14,
        ReplyDocDownload = 15,
        ReplySoftware = 16,
    };
    static constexpr int ReplyTypeCount = 17;

    // Larger replies are aborted and handled as failed ones.
    static constexpr qint64 maxXmlReplyBytes = 1LL << 20;
    static constexpr qint64 maxArchiveBytes = 64LL << 20;
    // An XML reply must be complete within this time; the archive download
    // may take as long as it keeps moving, but not stand still this long.
    static constexpr int defaultReplyTimeoutMs = 8000;
    static constexpr int defaultDownloadStallMs = 20000;

    explicit DataUploader(QObject* parent = nullptr);
    ~DataUploader() override;

    void fetchServerConfig();
    // False when nothing was sent (no address, or no software version for the
    // newsletter): no result will follow.
    bool requestSoftware();
    bool requestFirmware(int _DeviceId);
    void requestDocVersion();
    bool requestNewsLetter();
    void downloadDoc(QString url);

    static int compareVersion(QString current, QString latest);
    QString docVersion();
    void saveDocVersion(int version);
    bool isServerConfigReady() const { return configReady; }
    // The group of "app.conf" that holds this series' and software version's
    // entries (the document and newsletter versions).
    static QString appConfGroup();
    void resetReplyFlags();

    bool isReplyFinished(int type) const;
    int docCode() const { return m_docCode; }
    // Time-outs of the requests sent from now on (0 = none). A reply that
    // runs out of time ends as a failed one.
    void setReplyTimeout(int ms) { replyTimeoutMs = ms; }
    void setDownloadStallTimeout(int ms) { downloadStallMs = ms; }

signals:
    void serverAddressStatus(int);
    void softwareCheckResult(SoftwareInfo&);
    void firmwareCheckResult(FirmwareDataInfo&);
    void showNewsLetter(QString url, int version);
    void currentVersionDisabled();
    void latestVersion(QString, QString);

public slots:
    void networkError(QNetworkReply::NetworkError errWhat);
    void onReplyFinished(QNetworkReply* reply);
    void onDownloadFinished();

private:
    QNetworkReply* post(int type, const QString& url, const QByteArray& body);
    QNetworkReply* get(int type, const QString& url);
    void watchReply(int type, QNetworkReply* reply);
    void emitNothing(int type);
    void logBreach(int type, const QNetworkReply* reply);
    void setFinished(int type) { IsReplyFinished[static_cast<size_t>(type)] = true; }
    void applyServerConfig(const QDomElement& root);
    void handleSoftware(const QDomElement& root);
    void handleFirmware(int type, const QDomElement& root);
    void handleDocVersion(const QDomElement& root);
    void handleNewsLetter(const QDomElement& root);

    QNetworkAccessManager manager;
    std::array<QNetworkReply*, ReplyTypeCount> replies{};
    int m_docCode = 0;
    std::array<bool, ReplyTypeCount> IsReplyFinished{};
    bool configReady = false;
    int replyTimeoutMs = defaultReplyTimeoutMs;
    int downloadStallMs = defaultDownloadStallMs;
};

// The process-wide instance (created at start-up); nullptr before that.
inline DataUploader* dataUploader()
{
    return DataUploader::instance();
}
