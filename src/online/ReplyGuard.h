#pragma once
// Bounds on a reply in flight: how large its body may grow and how long it may
// take. A reply that breaks a bound is aborted, so it ends through the same
// error and finished path as any other network failure.
#include <QtGlobal>

class QNetworkReply;

namespace kzo::online {

enum class ReplyDeadline {
    Total, // the whole reply must be in within the time-out (short XML answers)
    Idle,  // the time-out runs from the last bytes that moved (downloads)
};

struct ReplyBounds {
    qint64 maxBytes = 0;  // 0: no bound
    int timeoutMs = 0;    // 0: no time-out
    ReplyDeadline deadline = ReplyDeadline::Total;
};

enum class ReplyBreach { None, Oversize, TimedOut };

// Watches `reply` until it finishes; the watch lives and dies with the reply.
void guardReply(QNetworkReply* reply, const ReplyBounds& bounds);

// Which bound, if any, made the guard abort `reply`.
ReplyBreach replyBreach(const QNetworkReply* reply);

// The transfer ended with an error or broke a bound: what it brought is not a reply.
bool replyFailed(const QNetworkReply* reply);

} // namespace kzo::online
