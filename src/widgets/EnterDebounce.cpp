#include "widgets/EnterDebounce.h"

EnterDebounce::EnterDebounce(QObject* parent) : QObject(parent)
{
    timer.setSingleShot(true);
    timer.setInterval(intervalMs);
    connect(&timer, &QTimer::timeout, this, [this] { ready = true; });
}

bool EnterDebounce::take()
{
    if (!ready)
        return false;
    ready = false;
    timer.start();
    return true;
}

bool EnterDebounce::isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
