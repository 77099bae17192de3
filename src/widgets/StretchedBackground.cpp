#include "widgets/StretchedBackground.h"

#include <QPaintEvent>
#include <QPainter>

StretchedBackground::StretchedBackground(const QString& imagePath, QWidget* parent)
    : QWidget(parent), source_(imagePath)
{
    setAttribute(Qt::WA_OpaquePaintEvent, !source_.isNull() && !source_.hasAlphaChannel());
}

void StretchedBackground::paintEvent(QPaintEvent* event)
{
    if (source_.isNull())
        return;
    const qreal dpr = devicePixelRatioF();
    if (scaled_.size() != size() * dpr || scaled_.devicePixelRatio() != dpr) {
        scaled_ = QPixmap(size() * dpr);
        scaled_.setDevicePixelRatio(dpr);
        scaled_.fill(Qt::transparent);
        // Drawn the way a style-sheet border image stretches its picture (smoothly).
        QPainter p(&scaled_);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(rect(), source_, source_.rect());
        ++scalings_;
    }
    // Rectangle by rectangle: a copy clipped to a many-piece region is split
    // across worker threads, which costs more than it saves for strips this small.
    QPainter p(this);
    for (const QRect& r : event->region())
        p.drawPixmap(r, scaled_, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr).toRect());
}
