#include "widgets/KzoPushButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

KzoPushButton::KzoPushButton(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QAbstractButton::toggled, this, &KzoPushButton::checkStateChanged);
}

void KzoPushButton::setBgNormal(const QPixmap& p)
{
    normal = p;
    applyRestingSkin();
}

void KzoPushButton::setBgChecked(const QPixmap& p)
{
    checkedSkin = p;
    applyRestingSkin();
}

void KzoPushButton::setBgDisabled(const QPixmap& p)
{
    disabled = p;
    applyRestingSkin();
}

void KzoPushButton::setSkins(const QString& n, const QString& f, const QString& p, const QString& c,
                             const QString& d)
{
    normal = QPixmap(n);
    focus = QPixmap(f);
    press = QPixmap(p);
    checkedSkin = QPixmap(c);
    disabled = QPixmap(d);
    applyRestingSkin();
    updateGeometry();
}

void KzoPushButton::setTextBeside(bool on)
{
    beside = on;
    update();
}

void KzoPushButton::setBgEnabled(bool on)
{
    skinPainting = on;
    update();
}

void KzoPushButton::setCheckedState(bool on)
{
    setChecked(on);
    applyRestingSkin();
}

void KzoPushButton::toggleText(bool on)
{
    if (!textLocked)
        setText(on ? QStringLiteral("NORM") : QStringLiteral("REV"));
}

QSize KzoPushButton::sizeHint() const
{
    if (!skinPainting || normal.isNull())
        return QPushButton::sizeHint();
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    if (text.isEmpty() || this->text().isEmpty())
        return normal.size();
    if (beside)
        return {normal.width() + text.width() + 6, qMax(normal.height(), text.height())};
    return {qMax(normal.width(), text.width()), normal.height() + text.height() + 2};
}

void KzoPushButton::showSkin(Skin s)
{
    shown = s;
    update();
}

// The rule shared by enabled-state changes and programmatic checking.
void KzoPushButton::applyRestingSkin()
{
    if (!isEnabled() && !disabled.isNull())
        showSkin(Skin::Disabled);
    else
        showSkin(isChecked() ? Skin::Checked : Skin::Normal);
}

void KzoPushButton::enterEvent(QEnterEvent* e)
{
    if (isEnabled())
        showSkin(isChecked() ? Skin::Checked : Skin::Focus);
    QPushButton::enterEvent(e);
}

void KzoPushButton::leaveEvent(QEvent* e)
{
    if (isEnabled())
        showSkin(isChecked() ? Skin::Checked : Skin::Normal);
    QPushButton::leaveEvent(e);
}

void KzoPushButton::mousePressEvent(QMouseEvent* e)
{
    if (isEnabled())
        showSkin(Skin::Press);
    QPushButton::mousePressEvent(e);
}

void KzoPushButton::mouseReleaseEvent(QMouseEvent* e)
{
    // The base class toggles the checked state, so decide afterwards.
    QPushButton::mouseReleaseEvent(e);
    if (!isEnabled())
        return;
    if (isChecked())
        showSkin(Skin::Checked);
    else
        showSkin(rect().contains(e->position().toPoint()) ? Skin::Focus : Skin::Normal);
}

void KzoPushButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange)
        applyRestingSkin();
    QPushButton::changeEvent(e);
}

const QPixmap* KzoPushButton::pixmapOf(Skin s) const
{
    switch (s) {
    case Skin::Normal: return &normal;
    case Skin::Focus: return &focus;
    case Skin::Press: return &press;
    case Skin::Checked: return &checkedSkin;
    case Skin::Disabled: return &disabled;
    case Skin::None: break;
    }
    return nullptr;
}

void KzoPushButton::paintEvent(QPaintEvent* e)
{
    if (!skinPainting) {
        QPushButton::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QPixmap* skin = pixmapOf(shown);
    const QRect area = rect();
    if (!skin || skin->isNull()) {
        p.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, text());
        return;
    }
    if (beside) {
        p.drawPixmap(0, 0, *skin);
        if (!text().isEmpty())
            p.drawText(QRect(skin->width(), 0, area.width() - skin->width(), skin->height()),
                       Qt::AlignCenter | Qt::TextShowMnemonic, text());
    } else {
        const int x = (area.width() - skin->width()) / 2;
        p.drawPixmap(x, 0, *skin);
        if (!text().isEmpty())
            p.drawText(QRect(0, skin->height(), area.width(), area.height() - skin->height()),
                       Qt::AlignCenter | Qt::TextShowMnemonic, text());
    }
}
