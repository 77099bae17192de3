#include "widgets/qPageButton.h"

#include <QLabel>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace {
constexpr int captionHeight = 20;
}

qPageButton::qPageButton(int index, QWidget* parent)
    : QPushButton(parent), pageIndex(index), label(new QLabel(this))
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    label->setAlignment(Qt::AlignCenter);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet(QStringLiteral("QLabel {font:normal 12px \"Arial\";color:white;background:transparent}"));
    // The mouse is handled on press (below) and never arms the button, so
    // clicked() comes only from the keyboard and assistive technology.
    connect(this, &QAbstractButton::clicked, this, &qPageButton::press);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (settingCurrent)
            return;
        setCurrent(!on);
        press();
    });
}

void qPageButton::setCurrent(bool current)
{
    const QScopedValueRollback guard(settingCurrent, true);
    setChecked(current);
}

QString qPageButton::caption() const
{
    return label->text();
}

void qPageButton::setCaption(const QString& text)
{
    label->setText(text);
    // The caption is a child label; the button itself has no text to name it.
    setAccessibleName(text);
}

void qPageButton::setStyleSheets(const QString& normal, const QString& hover)
{
    normalSheet = normal;
    hoverSheet = hover;
    setStyleSheet(underMouse() ? hoverSheet : normalSheet);
}

void qPageButton::setImages(const QString& normal, const QString& hover, const QString& pressed)
{
    const QString checkedPart =
        QStringLiteral("QPushButton:checked,QPushButton:pressed{border-image:url(%1);}").arg(pressed);
    setStyleSheets(QStringLiteral("QPushButton{border-image:url(%1);border:0px;}").arg(normal) + checkedPart,
                   QStringLiteral("QPushButton{border-image:url(%1);border:0px;}").arg(hover) + checkedPart);
}

void qPageButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(e);
        return;
    }
    e->accept();
    press();
}

void qPageButton::press()
{
    if (pressGate && !pressGate(*this)) {
        emit pressRefused(pageIndex);
        return;
    }
    emit click(pageIndex);
}

void qPageButton::enterEvent(QEnterEvent* e)
{
    if (!hoverSheet.isEmpty())
        setStyleSheet(hoverSheet);
    QPushButton::enterEvent(e);
}

void qPageButton::leaveEvent(QEvent* e)
{
    if (!normalSheet.isEmpty())
        setStyleSheet(normalSheet);
    QPushButton::leaveEvent(e);
}

void qPageButton::resizeEvent(QResizeEvent* e)
{
    QPushButton::resizeEvent(e);
    label->setGeometry(0, height() - captionHeight - 2, width(), captionHeight);
}
