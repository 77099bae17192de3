#include "widgets/KzoToolButton.h"

#include <QEvent>
#include <QPainter>

KzoToolButton::KzoToolButton(QWidget* parent) : QToolButton(parent) {}

const QPixmap& KzoToolButton::currentSkin() const
{
    return isEnabled() ? normal : disabled;
}

QSize KzoToolButton::sizeHint() const
{
    return normal.isNull() ? QToolButton::sizeHint() : normal.size();
}

void KzoToolButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange)
        update();
    QToolButton::changeEvent(e);
}

void KzoToolButton::paintEvent(QPaintEvent* e)
{
    const QPixmap& skin = currentSkin();
    if (skin.isNull()) {
        QToolButton::paintEvent(e);
        return;
    }
    QPainter p(this);
    p.drawPixmap(rect(), skin);
    if (!text().isEmpty())
        p.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
