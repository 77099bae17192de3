#include "widgets/KzoSlider.h"

#include <QPainter>
#include <cstdlib>

namespace {
// One counter for every slider, GUI thread only.
int g_stillTicks = 0;
}

KzoSlider::KzoSlider(QWidget* parent) : QSlider(parent)
{
    init();
}

KzoSlider::KzoSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent)
{
    init();
}

void KzoSlider::init()
{
    timer.setInterval(throttleMs);
    lastReported = value();
    connect(&timer, &QTimer::timeout, this, &KzoSlider::onTick);
    connect(this, &QSlider::valueChanged, this, &KzoSlider::slot_valueChanged);
}

int KzoSlider::sharedStillTicks()
{
    return g_stillTicks;
}

void KzoSlider::slot_valueChanged(int)
{
    // The page's first programmatic set after construction is not a user edit.
    if (firstChange) {
        firstChange = false;
        lastReported = value();
        return;
    }
    if (!timer.isActive())
        timer.start();
}

void KzoSlider::onTick()
{
    if (value() == lastReported) {
        if (++g_stillTicks > stillTickLimit) {
            g_stillTicks = 0;
            timer.stop();
            emit value_set();
        }
        return;
    }
    lastReported = value();
    g_stillTicks = 0;
    emit value_stopChange();
}

void KzoSlider::paintEvent(QPaintEvent* e)
{
    QSlider::paintEvent(e);
    if (orientation() != Qt::Vertical || minimum() >= 0)
        return;
    const double below = std::abs(minimum());
    const double above = maximum();
    if (below + above <= 0)
        return;
    // The zero line sits where value 0 is: the maximum is at the top unless inverted.
    const double fromTop = invertedAppearance() ? below : above;
    const int y = static_cast<int>(height() * fromTop / (below + above));
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 2));
    p.drawLine(0, y, width(), y);
}
