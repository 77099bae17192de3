#include "online/ReplyGuard.h"

#include <QNetworkReply>
#include <QTimer>

namespace kzo::online {

namespace {

const char* const breachProperty = "kzoReplyBreach";

void breach(QNetworkReply* reply, ReplyBreach why)
{
    if (replyBreach(reply) != ReplyBreach::None)
        return;
    // Marked even when the last bytes and the end arrived together and there
    // is nothing left to abort: the reply still counts as failed.
    reply->setProperty(breachProperty, static_cast<int>(why));
    reply->abort();
}

} // namespace

void guardReply(QNetworkReply* reply, const ReplyBounds& bounds)
{
    if (bounds.maxBytes > 0) {
        const qint64 limit = bounds.maxBytes;
        QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, limit](qint64 received, qint64 total) {
            if (received > limit || total > limit)
                breach(reply, ReplyBreach::Oversize);
        });
    }
    if (bounds.timeoutMs <= 0)
        return;
    // Owned by the reply: it goes when the reply is deleted.
    auto* timer = new QTimer(reply);
    timer->setSingleShot(true);
    timer->setInterval(bounds.timeoutMs);
    QObject::connect(timer, &QTimer::timeout, reply, [reply] { breach(reply, ReplyBreach::TimedOut); });
    QObject::connect(reply, &QNetworkReply::finished, timer, &QTimer::stop);
    if (bounds.deadline == ReplyDeadline::Idle) {
        auto restart = [timer](qint64, qint64) {
            if (timer->isActive())
                timer->start();
        };
        QObject::connect(reply, &QNetworkReply::downloadProgress, timer, restart);
        QObject::connect(reply, &QNetworkReply::uploadProgress, timer, restart);
    }
    timer->start();
}

bool replyFailed(const QNetworkReply* reply)
{
    return !reply || reply->error() != QNetworkReply::NoError || replyBreach(reply) != ReplyBreach::None;
}

ReplyBreach replyBreach(const QNetworkReply* reply)
{
    if (!reply)
        return ReplyBreach::None;
    return static_cast<ReplyBreach>(reply->property(breachProperty).toInt());
}

} // namespace kzo::online
