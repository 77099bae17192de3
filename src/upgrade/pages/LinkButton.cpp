#include "upgrade/pages/LinkButton.h"

#include <QEnterEvent>

namespace kzo::upgrade {

LinkButton::LinkButton(QWidget* parent) : QPushButton(parent)
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
}

void LinkButton::enterEvent(QEnterEvent* event)
{
    setUnderline(true);
    QPushButton::enterEvent(event);
}

void LinkButton::leaveEvent(QEvent* event)
{
    setUnderline(false);
    QPushButton::leaveEvent(event);
}

void LinkButton::setUnderline(bool on)
{
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
}

} // namespace kzo::upgrade
