#pragma once
// Left/right picture pair showing which of two directions or modes is active.
#include <QPixmap>
#include <QWidget>

class QLabel;

class AttiControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap LeftHighlight READ getLeftHighlight WRITE setLeftHighlight)
    Q_PROPERTY(QPixmap RightHighlight READ getRightHighlight WRITE setRightHighlight)
    Q_PROPERTY(QPixmap LeftGray READ getLeftGray WRITE setLeftGray)
    Q_PROPERTY(QPixmap RightGray READ getRightGray WRITE setRightGray)
    Q_PROPERTY(QPixmap LeftActive READ getLeftActive WRITE setLeftActive)
    Q_PROPERTY(QPixmap RightActive READ getRightActive WRITE setRightActive)

public:
    explicit AttiControl(QWidget* parent = nullptr);

    // Loads the six pictures from the default resource set.
    void loadDefaultImages();

    int state() const { return currentState; }
    // 1: left highlighted, right gray; 2: left gray, right active; else both gray.
    void updateState(int state);
    // The same pictures with both sides disabled.
    void updateStateDisabled(int state);

    QLabel* leftLabel() const { return left; }
    QLabel* rightLabel() const { return right; }

    // Designer properties; setting one repaints the current state.
    QPixmap getLeftHighlight() const { return leftHighlight; }
    void setLeftHighlight(const QPixmap& p) { leftHighlight = p; showState(currentState); }
    QPixmap getRightHighlight() const { return rightHighlight; }
    void setRightHighlight(const QPixmap& p) { rightHighlight = p; showState(currentState); }
    QPixmap getLeftGray() const { return leftGray; }
    void setLeftGray(const QPixmap& p) { leftGray = p; showState(currentState); }
    QPixmap getRightGray() const { return rightGray; }
    void setRightGray(const QPixmap& p) { rightGray = p; showState(currentState); }
    QPixmap getLeftActive() const { return leftActive; }
    void setLeftActive(const QPixmap& p) { leftActive = p; showState(currentState); }
    QPixmap getRightActive() const { return rightActive; }
    void setRightActive(const QPixmap& p) { rightActive = p; showState(currentState); }

    QPixmap leftHighlight, rightHighlight, leftGray, rightGray, leftActive, rightActive;

public slots:
    void receiveLeftEvent();
    void receiveRightEvent();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showState(int state);

    QLabel* left;
    QLabel* right;
    int currentState = 0;
};
