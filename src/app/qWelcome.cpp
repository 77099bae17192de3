#include "app/qWelcome.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

// Drawn when the image resource is absent so the splash never shows empty.
QPixmap fallbackPixmap()
{
    QPixmap pix(480, 280);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, pix.height());
    g.setColorAt(0, QColor(40, 40, 40));
    g.setColorAt(1, QColor(11, 60, 90));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(pix.rect(), 12, 12);
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Arial"), 28, QFont::Bold);
    p.setFont(f);
    p.drawText(QRect(0, 60, pix.width(), 60), Qt::AlignCenter, QStringLiteral("KZO Assistant"));
    return pix;
}

} // namespace

qWelcome::qWelcome(const QString& imagePath, const QString& skipStyle)
{
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    QPixmap pix(imagePath);
    setPixmap(pix.isNull() ? fallbackPixmap() : pix);

    notice = new QLabel(tr("Connect the gimbal with its USB cable, or press skip to continue."), this);
    notice->setStyleSheet(QStringLiteral("QLabel {font:normal 12px;color:white}"));
    notice->setGeometry(16, height() - 40, width() - 120, 24);

    skip = new QPushButton(tr("skip"), this);
    skip->setObjectName(QStringLiteral("skipButton"));
    if (!skipStyle.isEmpty())
        skip->setStyleSheet(skipStyle);
    skip->setGeometry(width() - 90, height() - 42, 72, 28);
    skip->hide();
    connect(skip, &QPushButton::clicked, this, &QWidget::close);

    QTimer::singleShot(skipDelayMs, skip, &QWidget::show);
}

void qWelcome::mousePressEvent(QMouseEvent* event)
{
    // The base class would close the splash on any click.
    event->ignore();
}

void qWelcome::hideEvent(QHideEvent* event)
{
    QSplashScreen::hideEvent(event);
    emit hidden();
}
