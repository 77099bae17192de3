#pragma once
// Push button drawn as a background picture with its text placed inside it.
#include <QPixmap>
#include <QPushButton>

class PictureButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QPixmap Background READ background WRITE setBackground)
    Q_PROPERTY(QPixmap BackgroundMask READ backgroundMask WRITE setBackgroundMask)
    Q_PROPERTY(int indent READ indent WRITE setIndent)
    Q_PROPERTY(Alignment textAlignment READ textAlignment WRITE setTextAlignment)

public:
    enum Alignment { left, right, Center };
    Q_ENUM(Alignment)

    explicit PictureButton(QWidget* parent = nullptr);

    QPixmap background() const { return bg; }
    void setBackground(const QPixmap& p);
    QPixmap backgroundMask() const { return bgMask; }
    void setBackgroundMask(const QPixmap& p);
    int indent() const { return textIndent; }
    void setIndent(int v) { textIndent = v; update(); }
    Alignment textAlignment() const { return align; }
    void setTextAlignment(Alignment a) { align = a; update(); }

    // Where the text is drawn for the current settings.
    QRect textRect() const;
    Qt::Alignment textFlags() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap bg, bgMask;
    int textIndent = 0;
    Alignment align = Center;
};
