#include "widgets/KzoSwitchBox.h"

#include <QGridLayout>
#include <QPixmap>

KzoSwitchBox::KzoSwitchBox(QWidget* parent)
    : QWidget(parent), left(new QPushButton(this)), right(new QPushButton(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(left, 0, 0);
    grid->addWidget(right, 0, 1);
    for (QPushButton* b : {left, right}) {
        b->setCheckable(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    group.setExclusive(true);
    group.addButton(left);
    group.addButton(right);
    setAutoFillBackground(false);
    connect(left, &QPushButton::clicked, this, &KzoSwitchBox::_switchON);
    connect(right, &QPushButton::clicked, this, &KzoSwitchBox::_switchOFF);
    setSwitchSize(defaultWidth, defaultHeight);
    setStatus(false);
}

void KzoSwitchBox::setSwitchSize(int width, int height)
{
    width = qMax(0, width);
    if (width % 2)
        ++width;
    const QSize half(width / 2, height);
    for (QPushButton* b : {left, right}) {
        b->setFixedSize(half);
        b->setMinimumSize(half);
        b->setMaximumSize(half);
    }
    setFixedSize(width, height);
}

void KzoSwitchBox::setStatus(bool status)
{
    on = status;
    if (status) {
        left->setChecked(true);
        left->setIcon(onIcon);
        left->setStyleSheet(QStringLiteral("border-image:url(:/Utility/res/btn_left_on.png);"));
        right->setChecked(false);
        right->setIcon(offIcon);
        right->setStyleSheet(QStringLiteral("border-image:url(:/Utility/res/btn_right_off.png);"));
    } else {
        left->setChecked(false);
        left->setIcon(offIcon);
        left->setStyleSheet(QStringLiteral("border-image:url(:/Utility/res/btn_left_off.png);"));
        right->setChecked(true);
        right->setIcon(onIcon);
        right->setStyleSheet(QStringLiteral("border-image:url(:/Utility/res/btn_right_on.png);"));
    }
}

void KzoSwitchBox::setTexts(const QString& onText, const QString& offText)
{
    left->setText(onText);
    right->setText(offText);
}

bool KzoSwitchBox::loadIcons(const QString& onPath, const QString& offPath)
{
    const QPixmap onPix(onPath);
    const QPixmap offPix(offPath);
    if (onPix.isNull() || offPix.isNull())
        return false;
    onIcon = QIcon(onPix);
    offIcon = QIcon(offPix);
    setStatus(on);
    return true;
}

// Both always report, also when the half was already active: the page re-sends.
void KzoSwitchBox::_switchON()
{
    setStatus(true);
    emit statusChanged(true);
}

void KzoSwitchBox::_switchOFF()
{
    setStatus(false);
    emit statusChanged(false);
}
