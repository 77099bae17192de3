#pragma once
// The pointer entering and leaving a widget, delivered straight to it: an
// offscreen test has no real pointer to move.
#include <QCoreApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QWidget>

namespace kzo::test {

inline void sendEnter(QWidget* w, QPointF at = {1, 1})
{
    QEnterEvent e(at, at, w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &e);
}

inline void sendLeave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace kzo::test
