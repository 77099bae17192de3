#include "widgets/KzoSpinBox.h"

#include <QKeyEvent>
#include <QWheelEvent>

KzoSpinBox::KzoSpinBox(QWidget* parent) : QSpinBox(parent) {}

void KzoSpinBox::keyPressEvent(QKeyEvent* e)
{
    if (e->isAutoRepeat()) {
        e->ignore();
        return;
    }
    QSpinBox::keyPressEvent(e);
    if (!EnterDebounce::isEnterKey(e->key()))
        emit manualModify();
    else if (enter.take())
        emit edited();
}

void KzoSpinBox::wheelEvent(QWheelEvent* e)
{
    QSpinBox::wheelEvent(e);
    emit manualModify();
}
