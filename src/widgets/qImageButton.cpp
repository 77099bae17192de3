#include "widgets/qImageButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

qImageButton::qImageButton(QWidget* parent) : QPushButton(parent)
{
    setFlat(true);
}

void qImageButton::setIcons(const QIcon& pressed, const QIcon& hover, const QIcon& normal)
{
    pressedIcon = pressed;
    hoverIcon = hover;
    normalIcon = normal;
    showLook(Look::Normal);
    updateGeometry();
}

void qImageButton::setIcons(const QString& pressed, const QString& hover, const QString& normal)
{
    setIcons(QIcon(pressed), QIcon(hover), QIcon(normal));
}

QSize qImageButton::sizeHint() const
{
    const QList<QSize> sizes = normalIcon.availableSizes();
    return sizes.isEmpty() ? QPushButton::sizeHint() : sizes.first();
}

void qImageButton::showLook(Look l)
{
    current = l;
    update();
}

void qImageButton::enterEvent(QEnterEvent* e)
{
    mouseOver = true;
    if (!hasFocus() && hoverEnabled)
        showLook(Look::Hover);
    QPushButton::enterEvent(e);
}

void qImageButton::leaveEvent(QEvent* e)
{
    mouseOver = false;
    if (!hasFocus() && hoverEnabled)
        showLook(Look::Normal);
    QPushButton::leaveEvent(e);
}

void qImageButton::mousePressEvent(QMouseEvent* e)
{
    showLook(Look::Pressed);
    QPushButton::mousePressEvent(e);
}

void qImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    const bool over = rect().contains(e->position().toPoint());
    showLook(over ? Look::Hover : Look::Normal);
    QPushButton::mouseReleaseEvent(e);
}

void qImageButton::paintEvent(QPaintEvent*)
{
    const QIcon& icon = current == Look::Pressed ? pressedIcon : current == Look::Hover ? hoverIcon : normalIcon;
    const QIcon& shown = icon.isNull() ? normalIcon : icon;
    if (shown.isNull())
        return;
    QPainter p(this);
    shown.paint(&p, rect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

qImageButtonEx::qImageButtonEx(QWidget* parent) : qImageButton(parent)
{
    connect(this, &QAbstractButton::clicked, this, &qImageButtonEx::click);
}
