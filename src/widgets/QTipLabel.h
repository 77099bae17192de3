#pragma once
// The help tips' tool-tip window: looks and behaves like the toolkit's own tip label.
#include <QLabel>
#include <QPointer>
#include <QTimer>

class QTipLabel : public QLabel {
    Q_OBJECT
public:
    static constexpr int hideAfterMs = 10000;

    // Shows text at the global position; an empty text hides the tip. A rectangle
    // is only meaningful together with the widget it belongs to.
    static void showText(const QPoint& pos, const QString& text, QWidget* w = nullptr, const QRect& rect = {});
    static void hideText();
    static QTipLabel* instance();

    QRect tipRect() const { return rectOfWidget; }

private:
    explicit QTipLabel(const QString& text);
    void setTipRect(QWidget* w, const QRect& r);
    void reuseTip(const QString& text);
    void placeTip(const QPoint& pos);

    QTimer hideTimer;
    QPointer<QWidget> widget;
    QRect rectOfWidget;
    static QPointer<QTipLabel> current;
};
