#pragma once
// Live curve plot with a zoom history, rubber-band zoom, scrolling and pause.
#include "widgets/PlotSettings.h"

#include <QMap>
#include <QPixmap>
#include <QPointF>
#include <QVector>
#include <QWidget>

class QToolButton;

class Plotter : public QWidget {
    Q_OBJECT
public:
    static constexpr int margin = 50;

    explicit Plotter(QWidget* parent = nullptr);

    // Replaces the zoom history with this one view.
    void setPlotSettings(const PlotSettings& settings);
    const PlotSettings& currentSettings() const { return zoomStack[curZoom]; }
    int zoomIndex() const { return curZoom; }
    int zoomDepth() const { return static_cast<int>(zoomStack.size()); }

    void setCurveData(int id, const QVector<QPointF>& data);
    void appendPoint(int id, const QPointF& point);
    void clearCurve(int id);
    QVector<QPointF> curveData(int id) const { return curveMap.value(id); }

    bool isPaused() const { return paused; }
    // The plot area: the widget less the margin on every side.
    QRect plotRect() const;
    // The last rendered grid and curves (without buttons, band or focus frame).
    const QPixmap& plotPixmap() const { return pixmap; }
    bool isRubberBandShown() const { return rubberBandIsShown; }
    QToolButton* zoomInButton() const { return zoomInBtn; }
    QToolButton* zoomOutButton() const { return zoomOutBtn; }
    QToolButton* pauseButton() const { return pauseBtn; }

    static QColor curveColor(int id);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

public slots:
    void zoomIn();
    void zoomOut();
    void onPauseClicked();

signals:
    void pausedChanged(bool paused);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void updateRubberBandRegion();
    void refreshPixmap();
    void drawGrid(QPainter* painter);
    void drawCurves(QPainter* painter);
    void updateButtons();

    QToolButton* zoomInBtn;
    QToolButton* zoomOutBtn;
    QToolButton* pauseBtn;
    QMap<int, QVector<QPointF>> curveMap;
    QVector<PlotSettings> zoomStack;
    int curZoom = 0;
    bool rubberBandIsShown = false;
    QRect rubberBandRect;
    QPixmap pixmap;
    bool paused = false;
};
