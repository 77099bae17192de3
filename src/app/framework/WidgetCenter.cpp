#include "app/framework/WidgetCenter.h"

#include <QWidget>

QPoint widgetCenter(QWidget* widget)
{
    if (!widget)
        return {-1, -1};
    QPoint at;
    QWidget* top = widget;
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        at += w->pos();
        top = w;
    }
    // A top-level widget's position is that of its frame.
    const QRect frame = top->frameGeometry();
    const QRect client = top->geometry();
    at.rx() += (frame.width() - client.width()) / 2;
    at.ry() += client.top() - frame.top();
    return at;
}
