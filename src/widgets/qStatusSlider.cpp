#include "widgets/qStatusSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {
// The demonstration value shared by every bar that runs it.
int g_exampleValue = 0;

// A disabled bar keeps its zones apart but in grey, half-way to the background.
QColor greyed(const QColor& zone, const QColor& background)
{
    const int g = (qGray(zone.rgb()) + qGray(background.rgb())) / 2;
    return QColor(g, g, g);
}
} // namespace

qStatusSlider::qStatusSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    exampleTimer.setInterval(15);
    connect(&exampleTimer, &QTimer::timeout, this, &qStatusSlider::timeExample);
}

void qStatusSlider::addSegment(int end, const QColor& colour, const QString& label)
{
    zones.append({end, colour, label});
    updateOpacity();
    recomputeSegment();
    update();
}

void qStatusSlider::setSegments(const QVector<Segment>& list)
{
    zones = list;
    updateOpacity();
    recomputeSegment();
    update();
}

void qStatusSlider::clearSegments()
{
    zones.clear();
    updateOpacity();
    recomputeSegment();
    update();
}

void qStatusSlider::sliderChange(SliderChange change)
{
    QSlider::sliderChange(change);
    if (change == SliderRangeChange)
        updateOpacity();
}

// Zones that span the whole range paint every pixel: what lies beneath
// need not be painted first. A repaint of a moving bar then stays within the
// bar instead of repainting the group box and window backgrounds under it.
void qStatusSlider::updateOpacity()
{
    const bool covered = !zones.isEmpty() && zones.last().end >= maximum() && maximum() > minimum();
    setAttribute(Qt::WA_OpaquePaintEvent, covered);
}

void qStatusSlider::recomputeSegment()
{
    cachedSegment = -1;
    for (int i = 0; i < zones.size(); ++i) {
        if (value() <= zones[i].end) {
            cachedSegment = i;
            return;
        }
    }
}

void qStatusSlider::updateStatus(int v)
{
    // Channels are polled 20 times a second and mostly stand still.
    if (std::clamp(v, minimum(), maximum()) == value())
        return;
    setValue(v);
    recomputeSegment();
    update();
}

void qStatusSlider::startExample()
{
    exampleTimer.start();
}

void qStatusSlider::stopExample()
{
    exampleTimer.stop();
}

void qStatusSlider::timeExample()
{
    g_exampleValue += 10;
    if (g_exampleValue > maximum())
        g_exampleValue = minimum();
    updateStatus(g_exampleValue);
}

int qStatusSlider::endToPixel(int end) const
{
    const int range = maximum() - minimum();
    if (range <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(end - minimum()) / range * width());
}

QPair<int, int> qStatusSlider::segmentSpan(int index) const
{
    if (index < 0 || index >= zones.size())
        return {0, 0};
    const int from = index == 0 ? 0 : endToPixel(zones[index - 1].end);
    return {from, endToPixel(zones[index].end)};
}

void qStatusSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(qMax(1, height() * 2 / 4));
    p.setFont(f);
    const double labelOffset = height() / 4.5;
    const bool live = isEnabled();
    const QColor background = palette().color(QPalette::Disabled, QPalette::Window);
    for (int i = 0; i < zones.size(); ++i) {
        const auto [from, to] = segmentSpan(i);
        const QRect r(from, 0, to - from, height());
        p.fillRect(r, live ? zones[i].colour : greyed(zones[i].colour, background));
        if (!zones[i].label.isEmpty()) {
            p.setPen(Qt::white);
            p.drawText(QRectF(from, labelOffset, to - from, height() - 2 * labelOffset), Qt::AlignCenter,
                       zones[i].label);
        }
    }
    // Disabled, the bar has no value to mark.
    if (!live)
        return;
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_SliderHandle;
    // One palette for every paint: a palette changed here would get a new
    // cache key each time, and the style caches its handle pictures under
    // that key, so the cache would grow with every repaint.
    if (handlePaletteOf != palette().cacheKey()) {
        handlePaletteOf = palette().cacheKey();
        handlePalette = palette();
        handlePalette.setColor(QPalette::WindowText, Qt::black);
    }
    opt.palette = handlePalette;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}

// The bar shows the device's value; the user cannot drag it.
void qStatusSlider::mousePressEvent(QMouseEvent* e)
{
    e->ignore();
}

void qStatusSlider::mouseMoveEvent(QMouseEvent* e)
{
    e->ignore();
}

void qStatusSlider::mouseReleaseEvent(QMouseEvent* e)
{
    e->ignore();
}
