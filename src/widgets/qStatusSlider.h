#pragma once
// Read-only segmented bar (coloured zones with labels) with a moving marker.
// Disabled, it shows its zones in grey and no marker: there is no value.
#include <QColor>
#include <QPalette>
#include <QSlider>
#include <QTimer>
#include <QVector>

class qStatusSlider : public QSlider {
    Q_OBJECT
    Q_PROPERTY(int nValue READ value WRITE updateStatus)

public:
    struct Segment {
        int end;
        QColor colour;
        QString label;
    };

    explicit qStatusSlider(QWidget* parent = nullptr);

    void addSegment(int end, const QColor& colour, const QString& label = {});
    void setSegments(const QVector<Segment>& list);
    void clearSegments();
    const QVector<Segment>& segments() const { return zones; }
    // Index of the zone holding the current value, -1 when none does.
    int currentSegment() const { return cachedSegment; }
    // Horizontal pixel span of a zone for the current width.
    QPair<int, int> segmentSpan(int index) const;

    void startExample();
    void stopExample();

public slots:
    void updateStatus(int value);
    void timeExample();

protected:
    void paintEvent(QPaintEvent* e) override;
    void sliderChange(SliderChange change) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    int endToPixel(int end) const;
    void recomputeSegment();
    void updateOpacity();

    QVector<Segment> zones;
    int cachedSegment = -1;
    QPalette handlePalette;    // the widget's palette with a black handle outline
    qint64 handlePaletteOf = 0; // cache key of the palette it was made from
    QTimer exampleTimer;
};
