#pragma once
// Lets Return/Enter through at most once per interval: the edit signal of the
// spin boxes, so a held or hammered Enter writes a parameter only once.
#include <QObject>
#include <QTimer>

class EnterDebounce : public QObject {
    Q_OBJECT
public:
    static constexpr int intervalMs = 300;
    explicit EnterDebounce(QObject* parent = nullptr);

    // True when an Enter may be reported now; the gate then closes for the interval.
    bool take();
    bool isReady() const { return ready; }

    static bool isEnterKey(int key);

private:
    QTimer timer;
    bool ready = true;
};
