#pragma once
// Where a widget's client area lies on the screen, for placing dialogs over it.
#include <QPoint>

class QWidget;

// The positions of the widget and all its parents summed, plus the top-level
// frame's left border and the height of what lies above its client area
// (title bar). (-1, -1) for no widget.
QPoint widgetCenter(QWidget* widget);
