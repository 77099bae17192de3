#pragma once
// Push button painted from pixmap skins, one per interaction state.
#include <QPixmap>
#include <QPushButton>

class KzoPushButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(bool bChecked READ isChecked WRITE setCheckedState)
    Q_PROPERTY(QPixmap BgNormal READ bgNormal WRITE setBgNormal)
    Q_PROPERTY(QPixmap BgFocus READ bgFocus WRITE setBgFocus)
    Q_PROPERTY(QPixmap BgPress READ bgPress WRITE setBgPress)
    Q_PROPERTY(QPixmap BgChecked READ bgChecked WRITE setBgChecked)
    Q_PROPERTY(QPixmap BgDisabled READ bgDisabled WRITE setBgDisabled)
    Q_PROPERTY(bool TextPositon READ textBeside WRITE setTextBeside)
    Q_PROPERTY(bool BgEnabled READ bgEnabled WRITE setBgEnabled)

public:
    enum class Skin { None, Normal, Focus, Press, Checked, Disabled };

    explicit KzoPushButton(QWidget* parent = nullptr);

    QPixmap bgNormal() const { return normal; }
    QPixmap bgFocus() const { return focus; }
    QPixmap bgPress() const { return press; }
    QPixmap bgChecked() const { return checkedSkin; }
    QPixmap bgDisabled() const { return disabled; }
    void setBgNormal(const QPixmap& p);
    void setBgFocus(const QPixmap& p) { focus = p; }
    void setBgPress(const QPixmap& p) { press = p; }
    void setBgChecked(const QPixmap& p);
    void setBgDisabled(const QPixmap& p);
    // Loads all five skins from image paths; a missing file leaves that skin empty.
    void setSkins(const QString& normal, const QString& focus, const QString& press,
                  const QString& checked, const QString& disabled);

    bool textBeside() const { return beside; }
    void setTextBeside(bool on);
    bool bgEnabled() const { return skinPainting; }
    void setBgEnabled(bool on);

    // Sets the checked state and picks the matching skin.
    void setCheckedState(bool on);

    // Direction switches: "NORM" for true, "REV" for false, unless locked.
    void toggleText(bool on);
    void setTextLocked(bool locked) { textLocked = locked; }
    bool isTextLocked() const { return textLocked; }

    Skin currentSkin() const { return shown; }
    QSize sizeHint() const override;

signals:
    void checkStateChanged(bool);

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void showSkin(Skin s);
    void applyRestingSkin();
    const QPixmap* pixmapOf(Skin s) const;

    QPixmap normal, focus, press, checkedSkin, disabled;
    Skin shown = Skin::Normal;
    bool skinPainting = true;
    bool beside = false;
    bool textLocked = false;
};
