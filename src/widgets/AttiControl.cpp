#include "widgets/AttiControl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

AttiControl::AttiControl(QWidget* parent) : QWidget(parent), left(new QLabel(this)), right(new QLabel(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(left);
    row->addWidget(right);
    left->installEventFilter(this);
    right->installEventFilter(this);
    showState(0);
}

void AttiControl::loadDefaultImages()
{
    const QString base = QStringLiteral(":/mult/res/mult/atti_%1_%2.png");
    leftHighlight = QPixmap(base.arg(QStringLiteral("left"), QStringLiteral("highlight")));
    rightHighlight = QPixmap(base.arg(QStringLiteral("right"), QStringLiteral("highlight")));
    leftGray = QPixmap(base.arg(QStringLiteral("left"), QStringLiteral("gray")));
    rightGray = QPixmap(base.arg(QStringLiteral("right"), QStringLiteral("gray")));
    leftActive = QPixmap(base.arg(QStringLiteral("left"), QStringLiteral("active")));
    rightActive = QPixmap(base.arg(QStringLiteral("right"), QStringLiteral("active")));
    showState(currentState);
}

void AttiControl::showState(int state)
{
    currentState = state;
    if (state == 1) {
        left->setPixmap(leftHighlight);
        right->setPixmap(rightGray);
    } else if (state == 2) {
        left->setPixmap(leftGray);
        right->setPixmap(rightActive);
    } else {
        left->setPixmap(leftGray);
        right->setPixmap(rightGray);
    }
}

void AttiControl::updateState(int state)
{
    left->setEnabled(true);
    right->setEnabled(true);
    showState(state);
}

void AttiControl::updateStateDisabled(int state)
{
    showState(state);
    left->setEnabled(false);
    right->setEnabled(false);
}

void AttiControl::receiveLeftEvent()
{
    showState(1);
}

void AttiControl::receiveRightEvent()
{
    showState(2);
}

bool AttiControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == left && left->isEnabled())
            receiveLeftEvent();
        else if (watched == right && right->isEnabled())
            receiveRightEvent();
    }
    return QWidget::eventFilter(watched, event);
}
