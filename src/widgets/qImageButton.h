#pragma once
// Flat button drawn only as an icon that follows press and hover.
#include <QIcon>
#include <QPushButton>

class qImageButton : public QPushButton {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Pressed };

    explicit qImageButton(QWidget* parent = nullptr);

    void setIcons(const QIcon& pressed, const QIcon& hover, const QIcon& normal);
    void setIcons(const QString& pressed, const QString& hover, const QString& normal);
    void setHoverEnabled(bool on) { hoverEnabled = on; }
    bool isHoverEnabled() const { return hoverEnabled; }
    Look look() const { return current; }
    QSize sizeHint() const override;

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void showLook(Look l);

    QIcon pressedIcon, hoverIcon, normalIcon;
    Look current = Look::Normal;
    bool hoverEnabled = true;
    bool mouseOver = false;
};

// The same button with a plain click() notification.
class qImageButtonEx : public qImageButton {
    Q_OBJECT
public:
    explicit qImageButtonEx(QWidget* parent = nullptr);

signals:
    void click();
};
