#include "widgets/PictureButton.h"

#include <QBitmap>
#include <QPainter>

PictureButton::PictureButton(QWidget* parent) : QPushButton(parent) {}

void PictureButton::setBackground(const QPixmap& p)
{
    bg = p;
    updateGeometry();
    update();
}

void PictureButton::setBackgroundMask(const QPixmap& p)
{
    bgMask = p;
    if (bgMask.isNull())
        clearMask();
    else
        setMask(bgMask.hasAlphaChannel() ? bgMask.mask() : QBitmap::fromPixmap(bgMask));
    update();
}

QSize PictureButton::sizeHint() const
{
    return bg.isNull() ? QPushButton::sizeHint() : bg.size();
}

QRect PictureButton::textRect() const
{
    QRect r = bg.isNull() ? rect() : QRect(QPoint(0, 0), bg.size());
    if (align == left)
        r.translate(textIndent, 0);
    else if (align == right)
        r.translate(-textIndent, 0);
    return r;
}

Qt::Alignment PictureButton::textFlags() const
{
    switch (align) {
    case left: return Qt::AlignLeft | Qt::AlignVCenter;
    case right: return Qt::AlignRight | Qt::AlignVCenter;
    case Center: break;
    }
    return Qt::AlignCenter;
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!bg.isNull())
        p.drawPixmap(0, 0, bg);
    p.drawText(textRect(), static_cast<int>(textFlags()) | Qt::TextShowMnemonic, text());
}
