#pragma once
// One client connection of the simulator: reads a single HTTP/1.1 request,
// hands it to the server and writes the reply, honouring the delivery faults
// (slow, cut, oversize, hang, stall, trickle). Every reply that is finished
// closes the connection; a hung or stalled one waits for the client to leave.
#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

#include <functional>

namespace updsim {

struct HttpRequest {
    QByteArray method;
    QByteArray path;  // without the query
    QByteArray query; // after "?"
    QMap<QByteArray, QByteArray> headers; // names lower-case
    QByteArray body;
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType = "text/xml; charset=utf-8";
    QByteArray body;
    int delayMs = 0;          // slow: held back
    bool cut = false;         // send half of the body, then close
    qint64 streamBytes = -1;  // oversize: announce and stream this many filler bytes
    bool hang = false;        // never answer; keep the connection open
    bool stall = false;       // send the head and half the body, then nothing
    int trickleMs = 0;        // send the body in pieces this far apart
    int tricklePieces = 10;
};

class HttpConnection : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    HttpConnection(QTcpSocket* socket, Handler handler, QObject* parent = nullptr);

private:
    void onReadyRead();
    void respond(const HttpResponse& r);
    void send(const HttpResponse& r);
    void pumpFiller();
    void trickle(QByteArray rest, qsizetype pieceBytes, int gapMs);
    void fail(int status);

    QPointer<QTcpSocket> socket;
    Handler handler;
    QByteArray buffer;
    bool answered = false;
    qint64 fillerLeft = 0;
};

} // namespace updsim
