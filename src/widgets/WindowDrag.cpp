#include "widgets/WindowDrag.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace kzo::ui {

WindowDrag::WindowDrag(QWidget* handle) : QObject(handle), handle(handle)
{
    handle->installEventFilter(this);
}

bool WindowDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != handle || !handle)
        return false;
    QWidget* window = handle->window();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            dragging = true;
            offset = e->globalPosition().toPoint() - window->frameGeometry().topLeft();
        }
        break;
    }
    case QEvent::MouseMove:
        if (dragging && (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
            window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - offset);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            dragging = false;
        break;
    default:
        break;
    }
    return false;
}

} // namespace kzo::ui
