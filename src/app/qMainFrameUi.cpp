// The main window's widget tree, page buttons and page switching, window
// dragging and activation.
#include "app/qMainFrame.h"

#include "app/config/GlobalCfg.h"
#include "app/framework/PageContainers.h"
#include "app/framework/qResources.h"
#include "commands/qAppModel.h"
#include "online/DataUploader.h"
#include "widgets/qPageButton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr QSize initialSize{878, 753};
constexpr int titleHeight = 40;
constexpr int stripHeight = 76;
constexpr int statusHeight = 28;
constexpr int scrollButtonWidth = 18;
constexpr int bodyBorderWidth = 8;

std::atomic<bool> g_serverConfigPending{true};

QString borderImage(const QString& path) { return QStringLiteral("border-image:url(%1);").arg(path); }

QPushButton* imageButton(const qResources::StateImages& images, QWidget* parent, const QString& disabled = {})
{
    auto* b = new QPushButton(parent);
    b->setFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    QString sheet = QStringLiteral("QPushButton{%1border:0px;}QPushButton:hover{%2}QPushButton:pressed{%3}")
                        .arg(borderImage(images.normal), borderImage(images.hover), borderImage(images.pressed));
    if (!disabled.isEmpty())
        sheet += QStringLiteral("QPushButton:disabled{%1}").arg(borderImage(disabled));
    b->setStyleSheet(sheet);
    return b;
}

} // namespace

void qMainFrame::buildUi()
{
    const qResources& res = qResources::get();
    setObjectName(QStringLiteral("qMainFrame"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    resize(initialSize);

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    barMenu = new QWidget(this);
    barMenu->setObjectName(QStringLiteral("barMenu"));
    barMenu->setFixedHeight(titleHeight);
    buildTitleBar(barMenu);
    top->addWidget(barMenu);

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("body"));
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);
    auto* bodyLeft = new QWidget(body);
    bodyLeft->setObjectName(QStringLiteral("bodyLeft"));
    bodyLeft->setFixedWidth(bodyBorderWidth);
    bodyLeft->setStyleSheet(QStringLiteral("#bodyLeft{%1}").arg(borderImage(res.bodyLeft)));
    auto* bodyRight = new QWidget(body);
    bodyRight->setObjectName(QStringLiteral("bodyRight"));
    bodyRight->setFixedWidth(bodyBorderWidth);
    bodyRight->setStyleSheet(QStringLiteral("#bodyRight{%1}").arg(borderImage(res.bodyRight)));
    auto* bodyContent = new QWidget(body);
    bodyContent->setObjectName(QStringLiteral("bodyContent"));
    bodyContent->setStyleSheet(QStringLiteral("#bodyContent{background:rgb(29,29,29);}"));
    bodyLayout->addWidget(bodyLeft);
    bodyLayout->addWidget(bodyContent, 1);
    bodyLayout->addWidget(bodyRight);

    auto* content = new QVBoxLayout(bodyContent);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    auto* strip = new QWidget(bodyContent);
    strip->setFixedHeight(stripHeight);
    buildPageStrip(strip);
    content->addWidget(strip);

    auto* tabTop = new QWidget(bodyContent);
    tabTop->setObjectName(QStringLiteral("pageTabTop"));
    tabTop->setFixedHeight(6);
    tabTop->setStyleSheet(QStringLiteral("#pageTabTop{%1}").arg(borderImage(res.pageTabBorderTop)));
    content->addWidget(tabTop);

    auto* middle = new QWidget(bodyContent);
    auto* middleLayout = new QHBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->setSpacing(0);
    auto* tabLeft = new QWidget(middle);
    tabLeft->setObjectName(QStringLiteral("pageTabLeft"));
    tabLeft->setFixedWidth(6);
    tabLeft->setStyleSheet(QStringLiteral("#pageTabLeft{%1}").arg(borderImage(res.pageTabBorderLeft)));
    auto* tabRight = new QWidget(middle);
    tabRight->setObjectName(QStringLiteral("pageTabRight"));
    tabRight->setFixedWidth(6);
    tabRight->setStyleSheet(QStringLiteral("#pageTabRight{%1}").arg(borderImage(res.pageTabBorderRight)));
    auto* tabContent = new QWidget(middle);
    tabContent->setObjectName(QStringLiteral("pageTabContent"));
    auto* tabContentLayout = new QVBoxLayout(tabContent);
    tabContentLayout->setContentsMargins(0, 0, 0, 0);
    pageCur = new QWidget(tabContent);
    pageCur->setObjectName(QStringLiteral("pageCur"));
    pageCur->setAttribute(Qt::WA_StyledBackground);
    pageCur->setStyleSheet(QStringLiteral("#pageCur{background-color: rgb(255, 255, 255);}"));
    auto* pageLayout = new QVBoxLayout(pageCur);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    tabContentLayout->addWidget(pageCur);
    middleLayout->addWidget(tabLeft);
    middleLayout->addWidget(tabContent, 1);
    middleLayout->addWidget(tabRight);
    content->addWidget(middle, 1);

    auto* tabBottom = new QWidget(bodyContent);
    tabBottom->setObjectName(QStringLiteral("pageTabBottom"));
    tabBottom->setFixedHeight(6);
    tabBottom->setStyleSheet(QStringLiteral("#pageTabBottom{%1}").arg(borderImage(res.pageTabBorderBottom)));
    content->addWidget(tabBottom);
    top->addWidget(body, 1);

    barStatus = new QWidget(this);
    barStatus->setObjectName(QStringLiteral("barStatus"));
    barStatus->setFixedHeight(statusHeight);
    buildStatusBar(barStatus);
    top->addWidget(barStatus);

    scrollGroup = new QParallelAnimationGroup(this);
    connect(scrollGroup, &QAbstractAnimation::finished, this, &qMainFrame::scrollFinished);

    setWindowIcon(QIcon(res.appIcon));
    setWindowTitle(res.windowTitle);
}

void qMainFrame::buildTitleBar(QWidget* bar)
{
    const qResources& res = qResources::get();
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#barMenu{%1font-family:\"Arial\";}").arg(borderImage(res.titleBar)));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 0, 6, 0);
    layout->setSpacing(6);

    auto* logo = new QLabel(bar);
    logo->setObjectName(QStringLiteral("itemLogo"));
    logo->setPixmap(QPixmap(res.logo));
    itemTitle = new QLabel(res.windowTitle, bar);
    itemTitle->setObjectName(QStringLiteral("itemTitle"));
    itemTitle->setStyleSheet(res.labelTitle);

    auto* menus = new QWidget(bar);
    menus->setObjectName(QStringLiteral("itemMenus"));
    auto* menusLayout = new QHBoxLayout(menus);
    menusLayout->setContentsMargins(0, 0, 0, 0);
    languageButton = new QPushButton(menus);
    languageButton->setObjectName(QStringLiteral("languageButton"));
    languageButton->setFlat(true);
    languageButton->setFocusPolicy(Qt::NoFocus);
    languageButton->setStyleSheet(QStringLiteral("background:rgb(29,29,29);color:white;border:0px;"));
    // Named even before the menu gives it its text.
    languageButton->setAccessibleName(tr("Language"));
    menusLayout->addWidget(languageButton);

    auto* buttons = new QWidget(bar);
    buttons->setObjectName(QStringLiteral("itemButtons"));
    auto* buttonsLayout = new QHBoxLayout(buttons);
    buttonsLayout->setContentsMargins(0, 0, 0, 0);
    buttonsLayout->setSpacing(2);
    auto* minButton = imageButton(res.minimizeButton, buttons);
    minButton->setObjectName(QStringLiteral("itemMin"));
    minButton->setFixedSize(28, 24);
    minButton->setToolTip(tr("Minimize"));
    minButton->setAccessibleName(tr("Minimize"));
    auto* exitButton = imageButton(res.exitButton, buttons);
    exitButton->setObjectName(QStringLiteral("itemExit"));
    exitButton->setFixedSize(28, 24);
    exitButton->setToolTip(tr("Close"));
    exitButton->setAccessibleName(tr("Close"));
    buttonsLayout->addWidget(minButton);
    buttonsLayout->addWidget(exitButton);
    connect(minButton, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);

    layout->addWidget(logo);
    layout->addWidget(itemTitle);
    layout->addStretch(1);
    layout->addWidget(menus);
    layout->addWidget(buttons);
}

void qMainFrame::buildPageStrip(QWidget* strip)
{
    const qResources& res = qResources::get();
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(0);
    scrollUpButton = imageButton(res.pageScrollUp, strip, res.pageScrollUpDisabled);
    scrollUpButton->setObjectName(QStringLiteral("pageScrollUp"));
    scrollUpButton->setFixedWidth(scrollButtonWidth);
    scrollUpButton->setAccessibleName(tr("Previous pages"));
    scrollDownButton = imageButton(res.pageScrollDown, strip, res.pageScrollDownDisabled);
    scrollDownButton->setObjectName(QStringLiteral("pageScrollDown"));
    scrollDownButton->setFixedWidth(scrollButtonWidth);
    scrollDownButton->setAccessibleName(tr("Next pages"));
    scrollUpButton->setEnabled(false);
    scrollDownButton->setEnabled(false);
    pageTabButton = new QWidget(strip);
    pageTabButton->setObjectName(QStringLiteral("pageTabButton"));
    layout->addWidget(scrollUpButton);
    layout->addWidget(pageTabButton, 1);
    layout->addWidget(scrollDownButton);
    connect(scrollUpButton, &QPushButton::clicked, this, &qMainFrame::scrollPageUp);
    connect(scrollDownButton, &QPushButton::clicked, this, &qMainFrame::scrollPageDown);
}

void qMainFrame::buildStatusBar(QWidget* bar)
{
    const qResources& res = qResources::get();
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(QStringLiteral("#barStatus{%1}").arg(borderImage(res.statusBar)));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 2, 8, 2);
    layout->setSpacing(6);

    auto* left = new QWidget(bar);
    left->setObjectName(QStringLiteral("itemStatusLeft"));
    auto* leftLayout = new QHBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    linkIcon = new QLabel(left);
    linkIcon->setObjectName(QStringLiteral("linkIcon"));
    activityIcon = new QLabel(left);
    activityIcon->setObjectName(QStringLiteral("activityIcon"));
    leftLayout->addWidget(linkIcon);
    leftLayout->addWidget(activityIcon);
    setLinkImage(false);
    // The icon flashes with every frame: its pictures are loaded once and its
    // size is fixed, so a flash repaints the icon and lays out nothing.
    activityIdlePixmap = QPixmap(res.linkSending);
    activityBusyPixmap = QPixmap(res.linkReceiving);
    activityIcon->setPixmap(activityIdlePixmap);
    activityIcon->setFixedSize(activityIdlePixmap.size().expandedTo(activityBusyPixmap.size()).expandedTo(QSize(1, 1)));

    auto* mid = new QWidget(bar);
    mid->setObjectName(QStringLiteral("itemStatusMid"));
    auto* midLayout = new QHBoxLayout(mid);
    midLayout->setContentsMargins(0, 0, 0, 0);
    const QString white = QStringLiteral("color:white");
    modeCaption = new QLabel(tr("MODE:"), mid);
    modeValue = new QLabel(mid);
    outputCaption = new QLabel(tr("MC OUTPUT:"), mid);
    outputValue = new QLabel(mid);
    modeCaption->setObjectName(QStringLiteral("modeCaption"));
    modeValue->setObjectName(QStringLiteral("modeValue"));
    outputCaption->setObjectName(QStringLiteral("outputCaption"));
    outputValue->setObjectName(QStringLiteral("outputValue"));
    for (QLabel* l : {modeCaption, modeValue, outputCaption, outputValue}) {
        l->setStyleSheet(white);
        l->hide();
        midLayout->addWidget(l);
    }
    tipLabel = new QLabel(mid);
    tipLabel->setObjectName(QStringLiteral("tipLabel"));
    tipLabel->setStyleSheet(QStringLiteral("color:rgb(255, 193, 25)"));
    midLayout->addWidget(tipLabel, 1);

    auto* right = new QWidget(bar);
    right->setObjectName(QStringLiteral("itemStatusRight"));

    layout->addWidget(left);
    layout->addWidget(mid, 1);
    layout->addWidget(right);

    activityTimer = new QTimer(this);
    activityTimer->setSingleShot(true);
    activityTimer->setInterval(activityMs);
    connect(activityTimer, &QTimer::timeout, this, &qMainFrame::_shutCommunitcation);
    heartbeatTimer = new QTimer(this);
    heartbeatTimer->setInterval(heartbeatMs);
    connect(heartbeatTimer, &QTimer::timeout, this, &qMainFrame::_porcessheardbeat);
    heartbeatTimer->start();
    tipTimer = new QTimer(this);
    tipTimer->setSingleShot(true);
    tipTimer->setInterval(tipMs);
    connect(tipTimer, &QTimer::timeout, tipLabel, &QLabel::clear);
}

void qMainFrame::setLinkImage(bool connected)
{
    const qResources& res = qResources::get();
    linkIcon->setPixmap(QPixmap(connected ? res.linkConnected : res.linkDisconnected));
    linkIcon->setProperty("linked", connected);
}

void qMainFrame::setOutputState(bool motorsLocked)
{
    if (motorsLocked) {
        outputValue->setText(tr("OFF"));
        outputValue->setStyleSheet(QStringLiteral("color:rgb(0, 255, 64)"));
        outputCaption->setStyleSheet(QStringLiteral("color:rgb(0, 255, 64)"));
    } else {
        outputValue->setText(tr("ON"));
        outputValue->setStyleSheet(QStringLiteral("color:red;"));
        outputCaption->setStyleSheet(QStringLiteral("color:red"));
    }
}

void qMainFrame::showTipLine(const QString& text)
{
    tipLabel->setText(text);
    tipTimer->start();
}

QString qMainFrame::currentTip() const { return tipLabel->text(); }

void qMainFrame::_dataTransfer(bool)
{
    if (!activityIdle) {
        activityTimer->start(); // lit on while frames keep coming
        return;
    }
    activityIcon->setPixmap(activityBusyPixmap);
    activityIcon->setProperty("active", true);
    activityTimer->start();
    activityIdle = false;
}

void qMainFrame::_shutCommunitcation()
{
    activityIcon->setPixmap(activityIdlePixmap);
    activityIcon->setProperty("active", false);
    activityIdle = true;
}

// ---- pages -------------------------------------------------------------------

qPageTemplate* qMainFrame::page(int index) const { return index >= 0 && index < pages.size() ? pages[index] : nullptr; }

qPageButton* qMainFrame::pageButton(int index) const
{
    return index >= 0 && index < pageButtons.size() ? pageButtons[index] : nullptr;
}

void qMainFrame::addTabPage(qPageTemplate* container)
{
    if (!container)
        return;
    auto* button = new qPageButton(static_cast<int>(pages.size()), pageTabButton);
    auto* withImages = qobject_cast<qPageContainer*>(container);
    const qResources::StateImages images = withImages ? withImages->pageImages() : qResources::get().pageTabItem;
    button->setImages(images.normal, images.hover, images.pressed);
    button->setCaption(container->title());
    button->resize(buttonSize);
    button->setPressGate([this](const qPageButton& b) { return mayPress(b); });
    connect(button, &qPageButton::click, this, &qMainFrame::focusPage);
    connect(button, &qPageButton::pressRefused, this, &qMainFrame::s_navigator_disabled);

    container->setParent(pageCur);
    pageCur->layout()->addWidget(container);
    container->hide();
    pages.append(container);
    pageButtons.append(button);
}

bool qMainFrame::mayPress(const qPageButton& button)
{
    if (appModel().navigationBusy() == 1)
        return false;
    if (!navigationAllowed()) {
        const qResources& res = qResources::get();
        const QString caption = button.caption();
        return caption == res.titleUpgrade || caption == res.titleInternal;
    }
    return true;
}

void qMainFrame::layoutPageButtons()
{
    // Called before the first show, when the strip has no size yet: its width
    // is the window's less the body borders and the two scroll buttons.
    const int width = qMax(1, this->width() - 2 * bodyBorderWidth - 2 * scrollButtonWidth);
    buttonsPerView = qMax(1, width / buttonSize.width());
    buttonViewCount = (static_cast<int>(pageButtons.size()) + buttonsPerView - 1) / buttonsPerView;
    buttonView = 0;
    for (int k = 0; k < pageButtons.size(); ++k) {
        qPageButton* b = pageButtons[k];
        b->setGeometry(k * buttonSize.width(), 0, buttonSize.width(), buttonSize.height());
        b->show();
    }
    scrollUpButton->setEnabled(false);
    scrollDownButton->setEnabled(buttonViewCount > 1);
}

void qMainFrame::scrollPageUp()
{
    if (buttonView > 0)
        scrollTo(buttonView - 1);
}

void qMainFrame::scrollPageDown()
{
    if (buttonView + 1 < buttonViewCount)
        scrollTo(buttonView + 1);
}

void qMainFrame::scrollTo(int view)
{
    if (scrollGroup->state() == QAbstractAnimation::Running || buttonsPerView <= 0)
        return;
    const int step = buttonsPerView * buttonSize.width();
    const int direction = view > buttonView ? -1 : 1; // buttons move left to show a later view
    scrollUpButton->setEnabled(false);
    scrollDownButton->setEnabled(false);
    auto animate = [&](int first) {
        for (int k = first; k < qMin<int>(first + buttonsPerView, pageButtons.size()); ++k) {
            qPageButton* b = pageButtons[k];
            auto* a = new QPropertyAnimation(b, "geometry");
            a->setDuration(scrollMs);
            a->setStartValue(b->geometry());
            a->setEndValue(b->geometry().translated(direction * step, 0));
            scrollGroup->addAnimation(a);
        }
    };
    animate(buttonView * buttonsPerView);
    animate(view * buttonsPerView);
    buttonView = view;
    scrollGroup->start();
}

void qMainFrame::scrollFinished()
{
    scrollUpButton->setEnabled(buttonView > 0);
    scrollDownButton->setEnabled(buttonView + 1 < buttonViewCount);
    scrollGroup->clear();
}

void qMainFrame::focusPage(int index)
{
    if (index < 0 || index >= pages.size() || index == currentPage)
        return;
    for (int i = 0; i < pageButtons.size(); ++i)
        pageButtons[i]->setCurrent(i == index);
    showPage(index);
}

void qMainFrame::leaveAllPages()
{
    for (qPageTemplate* p : pages)
        p->PageLeave();
}

void qMainFrame::showPage(int index)
{
    index = qBound(0, index, static_cast<int>(pages.size()) - 1);
    if (qPageTemplate* old = page(currentPage)) {
        old->PageLeave();
        old->hide();
    }
    qPageTemplate* next = pages[index];
    next->show();
    next->PageEnter();
    next->setFocus();
    currentPage = index;
}

// ---- frame behaviour ------------------------------------------------------------

void qMainFrame::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    const bool onBar = barMenu->geometry().contains(p) || barStatus->geometry().contains(p);
    if (event->button() == Qt::LeftButton && onBar) {
        dragging = true;
        dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void qMainFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging) {
        move(event->globalPosition().toPoint() - dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void qMainFrame::mouseReleaseEvent(QMouseEvent* event)
{
    dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void qMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        update();
        fetchServerConfigOnce();
    }
    QWidget::changeEvent(event);
}

void qMainFrame::fetchServerConfigOnce()
{
    if (g_serverConfigPending.exchange(false)) {
        if (DataUploader* u = dataUploader())
            u->fetchServerConfig();
    }
}
