#include "widgets/Plotter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QWheelEvent>

namespace {
const QString pauseIcon = QStringLiteral(":/mult/res/mult/pause.png");
const QString resumeIcon = QStringLiteral(":/mult/res/mult/resume.png");
constexpr int buttonGap = 5;
} // namespace

Plotter::Plotter(QWidget* parent)
    : QWidget(parent), zoomInBtn(new QToolButton(this)), zoomOutBtn(new QToolButton(this)),
      pauseBtn(new QToolButton(this))
{
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);

    zoomInBtn->setIcon(QIcon(QStringLiteral(":/mult/res/mult/zoomin.png")));
    zoomInBtn->setToolTip(tr("Zoom in"));
    zoomOutBtn->setIcon(QIcon(QStringLiteral(":/mult/res/mult/zoomout.png")));
    zoomOutBtn->setToolTip(tr("Zoom out"));
    pauseBtn->setIcon(QIcon(pauseIcon));
    pauseBtn->setToolTip(tr("Pause"));
    for (QToolButton* b : {zoomInBtn, zoomOutBtn, pauseBtn}) {
        b->setAccessibleName(b->toolTip()); // what a screen reader announces
        b->adjustSize();
    }
    connect(zoomInBtn, &QToolButton::clicked, this, &Plotter::zoomIn);
    connect(zoomOutBtn, &QToolButton::clicked, this, &Plotter::zoomOut);
    connect(pauseBtn, &QToolButton::clicked, this, &Plotter::onPauseClicked);

    setPlotSettings(PlotSettings());
}

void Plotter::setPlotSettings(const PlotSettings& settings)
{
    zoomStack.clear();
    zoomStack.append(settings);
    curZoom = 0;
    updateButtons();
    refreshPixmap();
}

void Plotter::updateButtons()
{
    zoomInBtn->setEnabled(curZoom < zoomStack.size() - 1);
    zoomOutBtn->setEnabled(curZoom > 0);
}

void Plotter::zoomOut()
{
    if (curZoom > 0) {
        --curZoom;
        updateButtons();
        refreshPixmap();
    }
}

void Plotter::zoomIn()
{
    if (curZoom < zoomStack.size() - 1) {
        ++curZoom;
        updateButtons();
        refreshPixmap();
    }
}

void Plotter::onPauseClicked()
{
    paused = !paused;
    pauseBtn->setIcon(QIcon(paused ? resumeIcon : pauseIcon));
    pauseBtn->setToolTip(paused ? tr("Resume") : tr("Pause"));
    pauseBtn->setAccessibleName(pauseBtn->toolTip());
    emit pausedChanged(paused);
}

void Plotter::setCurveData(int id, const QVector<QPointF>& data)
{
    curveMap[id] = data;
    refreshPixmap();
}

void Plotter::appendPoint(int id, const QPointF& point)
{
    curveMap[id].append(point);
    refreshPixmap();
}

void Plotter::clearCurve(int id)
{
    curveMap.remove(id);
    refreshPixmap();
}

QColor Plotter::curveColor(int id)
{
    static const Qt::GlobalColor colours[6] = {Qt::red, Qt::darkRed, Qt::green, Qt::darkGreen, Qt::yellow,
                                               Qt::darkYellow};
    const int i = ((id % 6) + 6) % 6;
    return QColor(colours[i]);
}

QRect Plotter::plotRect() const
{
    return QRect(margin, margin, width() - 2 * margin, height() - 2 * margin);
}

QSize Plotter::minimumSizeHint() const
{
    return QSize(6 * margin, 4 * margin);
}

QSize Plotter::sizeHint() const
{
    return QSize(12 * margin, 8 * margin);
}

void Plotter::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.drawPixmap(0, 0, pixmap);
    if (rubberBandIsShown) {
        painter.setPen(palette().light().color());
        painter.drawRect(rubberBandRect.normalized().adjusted(0, 0, -1, -1));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().dark().color();
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void Plotter::resizeEvent(QResizeEvent*)
{
    int x = width() - buttonGap;
    for (QToolButton* b : {pauseBtn, zoomOutBtn, zoomInBtn}) {
        x -= b->width();
        b->move(x, buttonGap);
        x -= buttonGap;
    }
    refreshPixmap();
}

void Plotter::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && plotRect().contains(e->position().toPoint())) {
        rubberBandIsShown = true;
        rubberBandRect.setTopLeft(e->position().toPoint());
        rubberBandRect.setBottomRight(e->position().toPoint());
        updateRubberBandRegion();
        setCursor(Qt::CrossCursor);
    }
}

void Plotter::mouseMoveEvent(QMouseEvent* e)
{
    if (rubberBandIsShown) {
        updateRubberBandRegion();
        rubberBandRect.setBottomRight(e->position().toPoint());
        updateRubberBandRegion();
    }
}

void Plotter::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !rubberBandIsShown)
        return;
    rubberBandIsShown = false;
    updateRubberBandRegion();
    unsetCursor();

    QRect rect = rubberBandRect.normalized();
    if (rect.width() <= 3 || rect.height() <= 3)
        return;
    rect.translate(-margin, -margin);

    const PlotSettings prev = zoomStack[curZoom];
    const double w = width() - 2 * margin;
    const double h = height() - 2 * margin;
    PlotSettings next;
    next.minX = prev.minX + rect.left() * prev.spanX() / w;
    next.maxX = prev.minX + rect.right() * prev.spanX() / w;
    next.minY = prev.maxY - rect.bottom() * prev.spanY() / h;
    next.maxY = prev.maxY - rect.top() * prev.spanY() / h;
    next.numXTicks = prev.numXTicks;
    next.numYTicks = prev.numYTicks;
    next.adjust();

    zoomStack.resize(curZoom + 1);
    zoomStack.append(next);
    zoomIn();
}

void Plotter::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Plus: zoomIn(); break;
    case Qt::Key_Minus: zoomOut(); break;
    case Qt::Key_Left: zoomStack[curZoom].scroll(-1, 0); refreshPixmap(); break;
    case Qt::Key_Right: zoomStack[curZoom].scroll(+1, 0); refreshPixmap(); break;
    case Qt::Key_Down: zoomStack[curZoom].scroll(0, -1); refreshPixmap(); break;
    case Qt::Key_Up: zoomStack[curZoom].scroll(0, +1); refreshPixmap(); break;
    default: QWidget::keyPressEvent(e); return;
    }
}

void Plotter::wheelEvent(QWheelEvent* e)
{
    const QPoint delta = e->angleDelta();
    if (delta.x() != 0)
        zoomStack[curZoom].scroll(delta.x() / 120, 0);
    else
        zoomStack[curZoom].scroll(0, delta.y() / 120);
    refreshPixmap();
}

void Plotter::updateRubberBandRegion()
{
    const QRect rect = rubberBandRect.normalized();
    update(rect.left(), rect.top(), rect.width(), 1);
    update(rect.left(), rect.top(), 1, rect.height());
    update(rect.left(), rect.bottom(), rect.width(), 1);
    update(rect.right(), rect.top(), 1, rect.height());
}

void Plotter::refreshPixmap()
{
    if (size().isEmpty()) {
        pixmap = QPixmap();
        return;
    }
    pixmap = QPixmap(size());
    pixmap.fill(palette().color(QPalette::Dark));
    if (!plotRect().isEmpty() && plotRect().isValid()) {
        QPainter painter(&pixmap);
        painter.setFont(font());
        drawGrid(&painter);
        drawCurves(&painter);
    }
    update();
}

void Plotter::drawGrid(QPainter* painter)
{
    const QRect rect = plotRect();
    const PlotSettings& s = zoomStack[curZoom];
    const QPen quiteDark = palette().dark().color().lighter(150);
    const QPen light = palette().light().color();

    for (int i = 0; i <= s.numXTicks; ++i) {
        const int x = rect.left() + (rect.width() - 1) * i / s.numXTicks;
        const double label = s.minX + (i * s.spanX() / s.numXTicks);
        painter->setPen(quiteDark);
        painter->drawLine(x, rect.top(), x, rect.bottom());
        painter->setPen(light);
        painter->drawLine(x, rect.bottom(), x, rect.bottom() + 5);
        painter->drawText(x - 50, rect.bottom() + 5, 100, 20, Qt::AlignHCenter | Qt::AlignTop,
                          QString::number(label, 'g', 6));
    }
    for (int j = 0; j <= s.numYTicks; ++j) {
        const int y = rect.bottom() - (rect.height() - 1) * j / s.numYTicks;
        const double label = s.minY + (j * s.spanY() / s.numYTicks);
        painter->setPen(quiteDark);
        painter->drawLine(rect.left(), y, rect.right(), y);
        painter->setPen(light);
        painter->drawLine(rect.left() - 5, y, rect.left(), y);
        painter->drawText(rect.left() - margin, y - 10, margin - 5, 20, Qt::AlignRight | Qt::AlignVCenter,
                          QString::number(label, 'g', 6));
    }
    painter->drawRect(rect.adjusted(0, 0, -1, -1));
}

void Plotter::drawCurves(QPainter* painter)
{
    const PlotSettings& s = zoomStack[curZoom];
    if (s.spanX() == 0.0 || s.spanY() == 0.0)
        return;
    const QRect rect = plotRect();
    painter->setClipRect(rect.adjusted(+1, +1, -1, -1));
    for (auto it = curveMap.constBegin(); it != curveMap.constEnd(); ++it) {
        const QVector<QPointF>& data = it.value();
        QPolygonF polyline(data.size());
        for (qsizetype j = 0; j < data.size(); ++j) {
            const double dx = data[j].x() - s.minX;
            const double dy = data[j].y() - s.minY;
            polyline[j] = QPointF(rect.left() + (dx * (rect.width() - 1) / s.spanX()),
                                  rect.bottom() - (dy * (rect.height() - 1) / s.spanY()));
        }
        painter->setPen(QPen(curveColor(it.key()), 2));
        painter->drawPolyline(polyline);
    }
}
