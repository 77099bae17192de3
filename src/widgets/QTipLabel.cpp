#include "widgets/QTipLabel.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QToolTip>
#include <QtGlobal>

QPointer<QTipLabel> QTipLabel::current;

QTipLabel::QTipLabel(const QString& text) : QLabel(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)
{
    setObjectName(QStringLiteral("qtooltip_label"));
    setAttribute(Qt::WA_DeleteOnClose);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    ensurePolished();
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setFrameStyle(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft);
    setIndent(1);
    setWordWrap(Qt::mightBeRichText(text));
    hideTimer.setSingleShot(true);
    connect(&hideTimer, &QTimer::timeout, this, &QWidget::close);
    reuseTip(text);
}

QTipLabel* QTipLabel::instance()
{
    return current.data();
}

void QTipLabel::setTipRect(QWidget* w, const QRect& r)
{
    if (!r.isNull() && !w) {
        qWarning("QToolTip::setTipRect: Cannot pass null widget if rect is set");
        return;
    }
    widget = w;
    rectOfWidget = r;
}

void QTipLabel::reuseTip(const QString& text)
{
    setWordWrap(Qt::mightBeRichText(text));
    setText(text);
    adjustSize();
    hideTimer.start(hideAfterMs);
}

void QTipLabel::placeTip(const QPoint& pos)
{
    QPoint p = pos + QPoint(2, 16);
    if (const QScreen* screen = QGuiApplication::screenAt(pos)) {
        const QRect avail = screen->availableGeometry();
        p.setX(qMax(avail.left(), qMin(p.x(), avail.right() - width())));
        p.setY(qMax(avail.top(), qMin(p.y(), avail.bottom() - height())));
    }
    move(p);
}

void QTipLabel::showText(const QPoint& pos, const QString& text, QWidget* w, const QRect& rect)
{
    if (text.isEmpty()) {
        hideText();
        return;
    }
    if (!current)
        current = new QTipLabel(text);
    else
        current->reuseTip(text);
    current->setTipRect(w, rect);
    current->placeTip(pos);
    current->show();
}

void QTipLabel::hideText()
{
    if (current) {
        current->hideTimer.stop();
        current->hide();
    }
}
