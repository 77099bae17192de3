#pragma once
// Slider that reports a finished movement at most every 300 ms instead of every step.
#include <QSlider>
#include <QTimer>

class KzoSlider : public QSlider {
    Q_OBJECT
public:
    explicit KzoSlider(QWidget* parent = nullptr);
    explicit KzoSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

    static constexpr int throttleMs = 300;
    // Still ticks tolerated before the timer stops (shared by all sliders).
    static constexpr int stillTickLimit = 5;

    bool isThrottling() const { return timer.isActive(); }
    static int sharedStillTicks();

signals:
    void value_stopChange();
    // The slider came to rest after a movement and its timer stopped.
    void value_set();

public slots:
    void slot_valueChanged(int);

protected:
    void paintEvent(QPaintEvent* e) override;

private slots:
    void onTick();

private:
    void init();

    QTimer timer;
    int lastReported = 0;
    bool firstChange = true;
};
