#include "widgets/CachedGroupBox.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

bool CachedGroupBox::cacheMatches(const QStyleOptionGroupBox& o, qreal dpr) const
{
    const QStyleOptionGroupBox& c = cachedOption_;
    return !cache_.isNull() && cachedGeneration_ == styleGeneration_ && cache_.devicePixelRatio() == dpr
        && o.rect == c.rect && o.state == c.state && o.text == c.text && o.textAlignment == c.textAlignment
        && o.subControls == c.subControls && o.activeSubControls == c.activeSubControls
        && o.features == c.features && o.lineWidth == c.lineWidth && o.midLineWidth == c.midLineWidth
        && o.direction == c.direction && o.palette.cacheKey() == paletteKey_ && o.fontMetrics.height() == c.fontMetrics.height()
        && o.textColor == c.textColor;
}

void CachedGroupBox::paintEvent(QPaintEvent* event)
{
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const qreal dpr = devicePixelRatioF();
    if (!cacheMatches(option, dpr)) {
        cache_ = QPixmap(size() * dpr);
        cache_.setDevicePixelRatio(dpr);
        cache_.fill(Qt::transparent);
        QPainter p(&cache_);
        p.setFont(font());
        style()->drawComplexControl(QStyle::CC_GroupBox, &option, &p, this);
        ++styleDraws_;
        cachedOption_ = option;
        paletteKey_ = option.palette.cacheKey();
        cachedGeneration_ = styleGeneration_;
    }
    // Rectangle by rectangle, as the page background does (small strips are
    // cheaper copied on this thread than split across workers).
    QPainter p(this);
    for (const QRect& r : event->region())
        p.drawPixmap(r, cache_, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr).toRect());
}

void CachedGroupBox::changeEvent(QEvent* event)
{
    // Style sheets and fonts can change the picture without changing the option.
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        ++styleGeneration_;
        break;
    default:
        break;
    }
    QGroupBox::changeEvent(event);
}
