#include "online/ui/qMessageWin.h"

#include "online/ui/OnlineWindows.h"
#include "widgets/WindowDrag.h"
#include "resources/KzoResources.h"

#include <QEasingCurve>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

using namespace kzo::online;

namespace {

// The corner offsets: 10 pixels from the right edge, 35 above the bottom edge
// when lowered, 220 high when raised.
constexpr int winWidth = 300;
constexpr int winHeight = 220;
constexpr int rightGap = 310;
constexpr int loweredTop = 35;
constexpr int raisedTop = 255;

QRect workArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

qMessageWin::qMessageWin(QWidget* parent) : QWidget(parent), group(this)
{
    kzo::initResources();
    buildUi();
    animation = new QPropertyAnimation(this, "geometry");
    animation->setDuration(animationMs);
    animation->setEasingCurve(QEasingCurve::OutBounce);
    group.addAnimation(animation);
    connect(&group, &QAbstractAnimation::finished, this, &qMessageWin::onAnimationFinished);
}

void qMessageWin::buildUi()
{
    setObjectName(QStringLiteral("qMessageWin"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowSystemMenuHint);
    setAttribute(Qt::WA_TranslucentBackground);
    // A message must not take the keyboard from whatever the user is doing.
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* widget = new QWidget(this);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setStyleSheet(QStringLiteral("QWidget#widget{border-image:url(:/res/message_win_bg.png);}"));
    widget->setAttribute(Qt::WA_StyledBackground);
    new kzo::ui::WindowDrag(widget);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // The window rises from no height at all.
    outer->setSizeConstraint(QLayout::SetNoConstraint);
    outer->addWidget(widget);

    label_title = new QLabel(tr("Title"), widget);
    label_title->setObjectName(QStringLiteral("label_title"));
    label_title->setTextFormat(Qt::PlainText);
    label_title->setStyleSheet(QString::fromLatin1(titleStyle));

    pushButton = new QPushButton(widget);
    pushButton->setObjectName(QStringLiteral("pushButton"));
    pushButton->setAccessibleName(tr("Close"));
    pushButton->setToolTip(tr("Close"));
    pushButton->setFixedSize(20, 20);
    pushButton->setFocusPolicy(Qt::NoFocus);
    pushButton->setCursor(Qt::PointingHandCursor);
    pushButton->setStyleSheet(QStringLiteral("QPushButton{border-image:url(:/res/close_button.png);border:0px;}"));

    textBrowser_Info = new QTextBrowser(widget);
    textBrowser_Info->setObjectName(QStringLiteral("textBrowser_Info"));
    textBrowser_Info->setOpenLinks(false);
    textBrowser_Info->setOpenExternalLinks(false);
    textBrowser_Info->setFrameShape(QFrame::NoFrame);
    textBrowser_Info->setStyleSheet(
        QStringLiteral("QTextBrowser{background:transparent;color:rgb(225,225,225);font:12px \"Arial\";}"));

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(label_title, 1);
    top->addWidget(pushButton);

    auto* box = new QVBoxLayout(widget);
    box->setContentsMargins(10, 4, 6, 10);
    box->setSpacing(8);
    box->addLayout(top);
    box->addWidget(textBrowser_Info, 1);

    connect(pushButton, &QPushButton::clicked, this, &qMessageWin::hide);
    connect(textBrowser_Info, &QTextBrowser::anchorClicked, this, &qMessageWin::onOpenUrl);

    setGeometry(loweredGeometry());
}

void qMessageWin::setTitle(QString title)
{
    label_title->setText(title);
}

void qMessageWin::setInfo(QString info)
{
    textBrowser_Info->clear();
    textBrowser_Info->setHtml(info);
}

bool qMessageWin::isAnimating() const
{
    return group.state() == QAbstractAnimation::Running;
}

QRect qMessageWin::raisedGeometry()
{
    const QRect area = workArea();
    return {area.x() + area.width() - rightGap, area.y() + area.height() - raisedTop, winWidth, winHeight};
}

QRect qMessageWin::loweredGeometry()
{
    const QRect area = workArea();
    return {area.x() + area.width() - rightGap, area.y() + area.height() - loweredTop, winWidth, 0};
}

void qMessageWin::animate(const QRect& from, const QRect& to)
{
    group.stop();
    animation->setStartValue(from);
    animation->setEndValue(to);
    setGeometry(from);
    group.start();
}

void qMessageWin::show()
{
    if (isAnimating() && raised)
        return;
    // Turning round half-way starts from where the window is.
    const QRect from = isAnimating() ? geometry() : loweredGeometry();
    raised = true;
    idle = false;
    animate(from, raisedGeometry());
    QWidget::show();
}

void qMessageWin::hide()
{
    if (isAnimating() && !raised)
        return;
    if (isHidden()) {
        // Nothing on screen to lower.
        group.stop();
        raised = false;
        idle = true;
        return;
    }
    const QRect from = isAnimating() ? geometry() : raisedGeometry();
    raised = false;
    idle = false;
    animate(from, loweredGeometry());
}

void qMessageWin::onAnimationFinished()
{
    // The widget's own hide, not the animated slot of the same name.
    if (!raised)
        QWidget::hide();
    idle = true;
}

void qMessageWin::onOpenUrl(QUrl url)
{
    openWebLink(url);
}
