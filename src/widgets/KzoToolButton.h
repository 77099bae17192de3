#pragma once
// Tool button that shows its normal skin while enabled, the disabled one otherwise.
#include <QPixmap>
#include <QToolButton>

class KzoToolButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap BgNormal READ bgNormal WRITE setBgNormal)
    Q_PROPERTY(QPixmap BgFocus READ bgFocus WRITE setBgFocus)
    Q_PROPERTY(QPixmap BgPress READ bgPress WRITE setBgPress)
    Q_PROPERTY(QPixmap BgDisabled READ bgDisabled WRITE setBgDisabled)

public:
    explicit KzoToolButton(QWidget* parent = nullptr);

    QPixmap bgNormal() const { return normal; }
    QPixmap bgFocus() const { return focus; }
    QPixmap bgPress() const { return press; }
    QPixmap bgDisabled() const { return disabled; }
    void setBgNormal(const QPixmap& p) { normal = p; update(); }
    void setBgFocus(const QPixmap& p) { focus = p; }
    void setBgPress(const QPixmap& p) { press = p; }
    void setBgDisabled(const QPixmap& p) { disabled = p; update(); }

    // The skin painted now: disabled while disabled, otherwise normal.
    const QPixmap& currentSkin() const;
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap normal, focus, press, disabled;
};
