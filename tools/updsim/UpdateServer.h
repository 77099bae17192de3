#pragma once
// The simulated update server and account service: routes requests, injects
// the configured faults and logs every request with its form items.
#include "HttpConnection.h"
#include "SimOptions.h"

#include <QHash>
#include <QObject>
#include <QTcpServer>

#include <random>

namespace updsim {

class UpdateServer : public QObject {
    Q_OBJECT
public:
    explicit UpdateServer(Options options, QObject* parent = nullptr);
    bool listen(QString* error);
    quint16 port() const { return server.serverPort(); }
    QString baseUrl() const;

    // Exposed for the simulator's own use by the connection objects.
    HttpResponse handle(const HttpRequest& req);

private:
    using Form = QList<QPair<QString, QString>>;
    static QString item(const Form& form, const char* key);
    QList<Fault> faultsFor(const QString& route);
    HttpResponse routeConfig();
    HttpResponse routeSoftware(const Form& form);
    HttpResponse routeFirmware(const Form& form, const QList<Fault>& faults);
    HttpResponse routeDownload(const QString& id, const QList<Fault>& faults);
    HttpResponse routeDoc(const Form& form);
    HttpResponse routeDocZip(const QList<Fault>& faults);
    HttpResponse routeNews();
    HttpResponse routeLogin(const Form& form);
    bool checkUser(const QString& email, const QString& password, bool* active) const;
    // The image offered for a module and its version; false when the module
    // has no offer.
    bool imageFor(const QString& module, QByteArray* image, QString* version) const;

    Options opt;
    QTcpServer server;
    std::mt19937 rng;
};

} // namespace updsim
