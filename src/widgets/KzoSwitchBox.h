#pragma once
// Two-half on/off switch: the left button means ON, the right one OFF.
#include <QButtonGroup>
#include <QIcon>
#include <QPushButton>
#include <QWidget>

class KzoSwitchBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool status READ status WRITE setStatus)

public:
    static constexpr int defaultWidth = 140;
    static constexpr int defaultHeight = 25;

    explicit KzoSwitchBox(QWidget* parent = nullptr);

    bool status() const { return on; }
    // Shows the state without emitting anything.
    void setStatus(bool status);

    // Width is rounded up to the next even number; each half gets exactly half.
    void setSwitchSize(int width, int height);
    void setTexts(const QString& onText, const QString& offText);
    // Both icons must load or neither is taken.
    bool loadIcons(const QString& onPath, const QString& offPath);

    QPushButton* onButton() const { return left; }
    QPushButton* offButton() const { return right; }

signals:
    void statusChanged(bool);

public slots:
    void _switchON();
    void _switchOFF();

private:
    QPushButton* left;
    QPushButton* right;
    QButtonGroup group;
    QIcon onIcon, offIcon;
    bool on = false;
};
