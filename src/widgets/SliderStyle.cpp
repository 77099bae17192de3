#include "widgets/SliderStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <cstdlib>

SliderStyle::SliderStyle(int mode) : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), currentMode(mode)
{
}

QString SliderStyle::handleImage(int mode, int position)
{
    if (mode == Calibration)
        return QStringLiteral(":/mult/res/mult/slider_cali.png");
    if (mode == CentreCheck && std::abs(position) <= centreTolerance)
        return QStringLiteral(":/mult/res/mult/slider_center.png");
    return QStringLiteral(":/mult/res/mult/slider_handler.png");
}

QString SliderStyle::grooveImage()
{
    return QStringLiteral(":/mult/res/mult/slider_groove.png");
}

void SliderStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const
{
    const auto* opt = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || !opt) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    const QPixmap groove(grooveImage());
    if (!groove.isNull()) {
        const QRect r = opt->rect;
        if (opt->orientation == Qt::Horizontal)
            painter->drawPixmap(QRect(r.x(), r.y() + 4, r.width(), groove.height()), groove);
        else
            painter->drawPixmap(QRect(r.x() + 4, r.y(), groove.height(), r.height()),
                                groove.transformed(QTransform().rotate(90)));
    }
    if (opt->tickPosition != QSlider::NoTicks)
        drawTicks(opt, painter, widget);
    const QPixmap handle(handleImage(currentMode, opt->sliderPosition));
    const QRect h = subControlRect(CC_Slider, opt, SC_SliderHandle, widget);
    if (!handle.isNull())
        painter->drawPixmap(h.center().x() - handle.width() / 2, h.center().y() - handle.height() / 2, handle);
    painter->restore();
}

void SliderStyle::drawTicks(const QStyleOptionSlider* opt, QPainter* painter, const QWidget* widget) const
{
    const bool horizontal = opt->orientation == Qt::Horizontal;
    const QRect r = opt->rect;
    const int handleLen = pixelMetric(PM_SliderLength, opt, widget);
    const int available = (horizontal ? r.width() : r.height()) - handleLen;
    const int interval = qMax(1, opt->tickInterval > 0 ? opt->tickInterval : opt->pageStep);
    const bool before = opt->tickPosition & QSlider::TicksAbove; // above, or left when vertical
    const bool after = opt->tickPosition & QSlider::TicksBelow;  // below, or right when vertical
    const QPen black(Qt::black, 1);
    const QPen zeroMark(Qt::red, 3);

    for (long long v = opt->minimum; v <= opt->maximum; v += interval) {
        const int value = static_cast<int>(v);
        const bool end = value == opt->minimum || value + interval > opt->maximum;
        const int len = end ? 4 : 3;
        painter->setPen(currentMode == CentreCheck && value == 0 ? zeroMark : black);
        const int pos = sliderPositionFromValue(opt->minimum, opt->maximum, value, available, opt->upsideDown)
            + handleLen / 2;
        if (horizontal) {
            const int x = r.x() + pos;
            if (before)
                painter->drawLine(x, r.top(), x, r.top() + len);
            if (after)
                painter->drawLine(x, r.bottom() - len, x, r.bottom());
        } else {
            const int y = r.y() + pos;
            if (before)
                painter->drawLine(r.left(), y, r.left() + len, y);
            if (after)
                painter->drawLine(r.right() - len, y, r.right(), y);
        }
    }
}
