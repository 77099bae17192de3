#include "HttpConnection.h"

#include <QTimer>

namespace updsim {

namespace {

constexpr qsizetype maxHeaderBytes = 64 * 1024;
constexpr qint64 maxBodyBytes = 16LL << 20;
constexpr qint64 fillerChunk = 256 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 413:
        return "Payload Too Large";
    default:
        return "Error";
    }
}

QByteArray head(int status, const QByteArray& type, qint64 length)
{
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\nContent-Type: " + type
        + "\r\nContent-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket* s, Handler h, QObject* parent)
    : QObject(parent), socket(s), handler(std::move(h))
{
    s->setParent(this);
    connect(s, &QTcpSocket::readyRead, this, &HttpConnection::onReadyRead);
    connect(s, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(s, &QTcpSocket::bytesWritten, this, &HttpConnection::pumpFiller);
}

void HttpConnection::fail(int status)
{
    answered = true;
    HttpResponse r;
    r.status = status;
    r.contentType = "text/plain";
    send(r);
}

void HttpConnection::onReadyRead()
{
    if (!socket || answered) {
        if (socket)
            socket->readAll();
        return;
    }
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (buffer.size() > maxHeaderBytes)
            fail(400);
        return;
    }
    HttpRequest req;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() < 2) {
        fail(400);
        return;
    }
    req.method = first[0];
    const QByteArray target = first[1];
    const qsizetype q = target.indexOf('?');
    req.path = q < 0 ? target : target.left(q);
    req.query = q < 0 ? QByteArray() : target.mid(q + 1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            req.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    const qint64 length = req.headers.value("content-length", "0").toLongLong();
    if (length < 0 || length > maxBodyBytes) {
        fail(413);
        return;
    }
    if (buffer.size() - (end + 4) < length)
        return; // wait for the rest of the body
    req.body = buffer.mid(end + 4, length);
    answered = true;
    respond(handler(req));
}

void HttpConnection::respond(const HttpResponse& r)
{
    // Read and never answered: the client has to give up by itself.
    if (r.hang)
        return;
    if (r.delayMs > 0) {
        QTimer::singleShot(r.delayMs, this, [this, r] { send(r); });
        return;
    }
    send(r);
}

void HttpConnection::send(const HttpResponse& r)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (r.streamBytes >= 0) {
        socket->write(head(r.status, r.contentType, r.streamBytes));
        fillerLeft = r.streamBytes;
        pumpFiller();
        return;
    }
    socket->write(head(r.status, r.contentType, r.body.size()));
    if (r.stall) {
        // Part of the body, then silence with the connection left open.
        socket->write(r.body.left(r.body.size() / 2));
        return;
    }
    if (r.trickleMs > 0) {
        const qsizetype pieces = qMax(1, r.tricklePieces);
        trickle(r.body, qMax<qsizetype>(1, (r.body.size() + pieces - 1) / pieces), r.trickleMs);
        return;
    }
    if (r.cut) {
        // Half the announced body, then an orderly close: the client sees the
        // connection end early with the data it did get.
        socket->write(r.body.left(r.body.size() / 2));
        socket->disconnectFromHost();
        return;
    }
    socket->write(r.body);
    socket->disconnectFromHost();
}

void HttpConnection::trickle(QByteArray rest, qsizetype pieceBytes, int gapMs)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(rest.left(pieceBytes));
    rest.remove(0, pieceBytes);
    if (rest.isEmpty()) {
        socket->disconnectFromHost();
        return;
    }
    QTimer::singleShot(gapMs, this, [this, rest, pieceBytes, gapMs] { trickle(rest, pieceBytes, gapMs); });
}

void HttpConnection::pumpFiller()
{
    if (!socket || fillerLeft <= 0)
        return;
    // Keep only a little queued so a client that hangs up stops the stream.
    if (socket->bytesToWrite() > fillerChunk)
        return;
    const qint64 n = std::min(fillerLeft, fillerChunk);
    socket->write(QByteArray(static_cast<qsizetype>(n), ' '));
    fillerLeft -= n;
    if (fillerLeft == 0)
        socket->disconnectFromHost();
}

} // namespace updsim
