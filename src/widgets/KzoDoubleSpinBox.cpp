#include "widgets/KzoDoubleSpinBox.h"

#include <QKeyEvent>

KzoDoubleSpinBox::KzoDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {}

void KzoDoubleSpinBox::keyPressEvent(QKeyEvent* e)
{
    QDoubleSpinBox::keyPressEvent(e);
    if (EnterDebounce::isEnterKey(e->key()) && enter.take())
        emit edited();
}
