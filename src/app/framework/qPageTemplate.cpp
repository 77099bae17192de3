#include "app/framework/qPageTemplate.h"

#include "app/framework/HelpDocs.h"
#include "app/framework/HelpView.h"
#include "app/framework/qHtmlHelper.h"
#include "app/framework/qResources.h"
#include "app/logging/Log.h"
#include "commands/qAppModel.h"
#include "widgets/QTipLabel.h"
#include "widgets/StretchedBackground.h"

#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString tabStyle(const qResources::StateImages& img)
{
    return QStringLiteral("QPushButton{border-image:url(%1);color:white;font:normal 12px \"Arial\";}"
                          "QPushButton:hover{border-image:url(%2);}"
                          "QPushButton:checked{border-image:url(%3);color:rgb(11, 163, 212);}")
        .arg(img.normal, img.hover, img.pressed);
}

QString scrollStyle(const qResources::StateImages& img, const QString& disabled)
{
    return QStringLiteral("QPushButton{border-image:url(%1);}"
                          "QPushButton:hover{border-image:url(%2);}"
                          "QPushButton:pressed{border-image:url(%3);}"
                          "QPushButton:disabled{border-image:url(%4);}")
        .arg(img.normal, img.hover, img.pressed, disabled);
}

QLabel* border(const QString& image, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setStyleSheet(QStringLiteral("border-image:url(%1);").arg(image));
    return l;
}

} // namespace

qPageTemplate::qPageTemplate(QWidget* parent, int helpWidth, bool helpOnLeft, int layoutStyle)
    : qTabPage(parent), helpViewWidth(helpWidth), helpLeft(helpOnLeft), frameStyle(layoutStyle),
      helper(new qHtmlHelper(this))
{
    language = appModel().value("language");
    if (language.isEmpty())
        language = QStringLiteral("en_US");
    tickTimer.setInterval(tickMs);
    if (frameStyle != 0 || helpViewWidth != 0)
        buildLayout();
    connect(&scrollGroup, &QParallelAnimationGroup::finished, this, &qPageTemplate::scrollFinished);
    connect(&tickTimer, &QTimer::timeout, this, &qPageTemplate::signal_PageTick);
    connect(helper, &qHtmlHelper::helpChanged, this, &qPageTemplate::showHtmlHelp);
    connect(helper, &qHtmlHelper::signal_showToolTip, this, &qPageTemplate::showToolTip);
}

qPageTemplate::~qPageTemplate()
{
    scrollGroup.stop();
    scrollGroup.clear();
}

bool qPageTemplate::ensureFrame()
{
    if (pageCur)
        return true;
    if (layout()) {
        qWarning("qPageTemplate: a page with its own layout cannot hold sub-pages");
        return false;
    }
    buildLayout();
    return true;
}

void qPageTemplate::buildLayout()
{
    const qResources& res = qResources::get();
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    outer->addLayout(grid);

    // Tab row: [back] strip of sub-page tabs [forward]
    auto* tabRow = new QWidget(this);
    tabRow->setObjectName(QStringLiteral("tabRow"));
    tabRow->setFixedHeight(tabHeight);
    tabRow->setAttribute(Qt::WA_StyledBackground);
    tabRow->setStyleSheet(QStringLiteral("#tabRow{border-image:url(%1);}").arg(res.subTabBackground));
    auto* row = new QHBoxLayout(tabRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    tabStrip = new QWidget(tabRow);
    tabStrip->setObjectName(QStringLiteral("tabStrip"));
    tabStrip->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tabStrip->setFixedHeight(tabHeight);
    tabStrip->installEventFilter(this);
    if (frameStyle > 13 || helpViewWidth != 0) {
        scrollUpButton = new QPushButton(tabRow);
        scrollDownButton = new QPushButton(tabRow);
        scrollUpButton->setObjectName(QStringLiteral("tabScrollUp"));
        scrollDownButton->setObjectName(QStringLiteral("tabScrollDown"));
        scrollUpButton->setAccessibleName(tr("Previous tabs"));
        scrollDownButton->setAccessibleName(tr("Next tabs"));
        scrollUpButton->setStyleSheet(scrollStyle(res.subScrollUp, res.subScrollUpDisabled));
        scrollDownButton->setStyleSheet(scrollStyle(res.subScrollDown, res.subScrollDownDisabled));
        for (QPushButton* b : {scrollUpButton, scrollDownButton}) {
            b->setFixedSize(16, 28);
            b->setFocusPolicy(Qt::NoFocus);
            b->setEnabled(false);
        }
        connect(scrollUpButton, &QPushButton::clicked, this, &qPageTemplate::scrollPageUp);
        connect(scrollDownButton, &QPushButton::clicked, this, &qPageTemplate::scrollPageDown);
        row->addWidget(scrollUpButton);
        row->addWidget(tabStrip, 1);
        row->addWidget(scrollDownButton);
    } else {
        row->addWidget(tabStrip, 1);
    }

    // Content box with the page area, framed for the bordered styles.
    // Its picture is opaque: pages refreshed many times a second then repaint
    // nothing of the window beneath it.
    auto* content = new StretchedBackground(res.tabContentBackground, this);
    content->setObjectName(QStringLiteral("content"));
    auto* box = new QGridLayout(content);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    pageCur = new QWidget(content);
    pageCur->setObjectName(QStringLiteral("pageCur"));
    auto* pages = new QGridLayout(pageCur);
    pages->setContentsMargins(0, 0, 0, 0);
    if (frameStyle == 19 || frameStyle == 21) {
        QLabel* left = border(res.subBorderLeft, content);
        QLabel* right = border(res.subBorderRight, content);
        QLabel* bottom = border(res.subBorderBottom, content);
        left->setFixedWidth(6);
        right->setFixedWidth(6);
        bottom->setFixedHeight(6);
        box->addWidget(left, 0, 0);
        box->addWidget(pageCur, 0, 1);
        box->addWidget(right, 0, 2);
        box->addWidget(bottom, 1, 0, 1, 3);
    } else {
        box->addWidget(pageCur, 0, 0);
    }

    int helpColumn = -1;
    int contentColumn = 0;
    if (helpViewWidth > 0) {
        help = new HelpView(this);
        help->setObjectName(QStringLiteral("HelpView"));
        help->setFixedWidth(helpViewWidth);
        help->setFocusPolicy(Qt::NoFocus);
        connect(help, &HelpView::linkClicked, this, &qPageTemplate::onOpenUrl);
        helpColumn = helpLeft ? 0 : 1;
        contentColumn = helpLeft ? 1 : 0;
    }
    grid->addWidget(tabRow, 0, contentColumn);
    grid->addWidget(content, 1, contentColumn);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(contentColumn, 1);
    if (help)
        grid->addWidget(help, 0, helpColumn, 2, 1);
}

// ---------------------------------------------------------------- entering --

void qPageTemplate::startTick()
{
    if (!tickTimer.isActive())
        tickTimer.start();
}

void qPageTemplate::PageEnter()
{
    entered = true;
    startTick();
    // A page may connect its own enter signal to its PageEnter override and call
    // this base as well; the guard keeps that from looping.
    if (!emittingEnter) {
        emittingEnter = true;
        emit signal_EnterSubPage();
        emittingEnter = false;
    }
    if (qTabPage* sub = currentSubPage())
        enterPage(sub);
}

void qPageTemplate::PageLeave()
{
    entered = false;
    tickTimer.stop();
    if (!emittingLeave) {
        emittingLeave = true;
        emit signal_LeaveSubPage();
        emittingLeave = false;
    }
    if (qTabPage* sub = currentSubPage())
        leavePage(sub);
}

void qPageTemplate::enterPage(qTabPage* page)
{
    if (!page)
        return;
    auto* tpl = qobject_cast<qPageTemplate*>(page);
    // A template whose enter signal is connected gets its slots through the
    // signal; calling PageEnter as well would run an override twice.
    if (tpl && tpl->isSignalConnected(QMetaMethod::fromSignal(&qPageTemplate::signal_EnterSubPage))) {
        tpl->qPageTemplate::PageEnter();
        return;
    }
    page->PageEnter();
}

void qPageTemplate::leavePage(qTabPage* page)
{
    if (!page)
        return;
    auto* tpl = qobject_cast<qPageTemplate*>(page);
    if (tpl && tpl->isSignalConnected(QMetaMethod::fromSignal(&qPageTemplate::signal_LeaveSubPage))) {
        tpl->qPageTemplate::PageLeave();
        return;
    }
    page->PageLeave();
}

// ---------------------------------------------------------------- sub-pages --

void qPageTemplate::addTabPage(qTabPage* lpTabPage)
{
    addTabPage(lpTabPage, subPageCount());
}

void qPageTemplate::addTabPage(qTabPage* lpTabPage, int nIndex)
{
    if (!lpTabPage || lpTabPage == this || subPages.contains(lpTabPage) || !ensureFrame())
        return;
    const qResources& res = qResources::get();
    const int position = qBound(0, nIndex, qResources::subTabPositions - 1);
    auto* button = new QPushButton(lpTabPage->title(), tabStrip);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet(tabStyle(res.subTabItems[position]));
    button->resize(tabWidth, tabHeight);
    // Look the button up at click time: removing a page shifts the positions.
    connect(button, &QPushButton::clicked, this, [this, button] { focusPage(tabButtons.indexOf(button)); });
    button->show();

    lpTabPage->setParent(pageCur);
    static_cast<QGridLayout*>(pageCur->layout())->addWidget(lpTabPage, 0, 0);
    lpTabPage->hide();
    helper->registerHelp(lpTabPage);
    subPages.append(lpTabPage);
    tabButtons.append(button);
    layoutTabs(false, 0);
    emit signal_AddPage(subPageCount() - 1);
    // The first sub-page becomes the visible one.
    if (currentSub < 0)
        focusPage(0);
}

void qPageTemplate::removePage(int nIndex)
{
    if (subPages.size() < 2 || nIndex < 0 || nIndex >= subPages.size())
        return;
    scrollGroup.stop();
    scrollGroup.clear();
    QPushButton* button = tabButtons.takeAt(nIndex);
    button->hide();
    button->setParent(nullptr);
    button->deleteLater();
    qTabPage* page = subPages.takeAt(nIndex);
    if (nIndex == currentSub) {
        if (entered)
            leavePage(page);
        page->hide();
        currentSub = -1;
        focusPage(qMin(nIndex, subPageCount() - 1));
    } else if (nIndex < currentSub) {
        --currentSub;
    }
    layoutTabs(false, 0);
    emit signal_DelPage(nIndex);
}

void qPageTemplate::focusPage(int n)
{
    if (n < 0 || n >= subPageCount())
        return;
    for (int i = 0; i < tabButtons.size(); ++i)
        tabButtons[i]->setChecked(i == n);
    showPage(n);
    showHtmlHelp(subPages[n]->whatsThis());
}

void qPageTemplate::showPage(int n)
{
    if (subPages.isEmpty() || n == currentSub)
        return;
    n = qBound(0, n, subPageCount() - 1);
    if (n == currentSub)
        return;
    if (qTabPage* cur = currentSubPage()) {
        if (entered)
            leavePage(cur);
        cur->hide();
    }
    qTabPage* next = subPages[n];
    next->show();
    next->setFocus();
    currentSub = n;
    // Sub-pages run only while their container is entered.
    if (entered)
        enterPage(next);
}

// ---------------------------------------------------------------- tab scrolling --

int qPageTemplate::tabsPerView() const
{
    return tabStrip ? qMax(1, tabStrip->width() / tabWidth) : 1;
}

void qPageTemplate::layoutTabs(bool animate, int direction)
{
    const int per = tabsPerView();
    viewCount = qMax(1, (subPageCount() + per - 1) / per);
    tabView = qBound(0, tabView, viewCount - 1);
    for (int k = 0; k < tabButtons.size(); ++k) {
        QPushButton* b = tabButtons[k];
        const QRect target((k - tabView * per) * tabWidth, 0, tabWidth, tabHeight);
        if (animate) {
            auto* anim = new QPropertyAnimation(b, "geometry");
            anim->setDuration(scrollMs);
            anim->setStartValue(target.translated(direction * per * tabWidth, 0));
            anim->setEndValue(target);
            scrollGroup.addAnimation(anim);
        } else {
            b->setGeometry(target);
        }
    }
    if (animate && scrollGroup.animationCount() > 0) {
        if (scrollUpButton) {
            scrollUpButton->setEnabled(false);
            scrollDownButton->setEnabled(false);
        }
        scrollGroup.start();
    } else {
        updateScrollButtons();
    }
}

void qPageTemplate::updateScrollButtons()
{
    if (!scrollUpButton)
        return;
    scrollUpButton->setEnabled(tabView > 0);
    scrollDownButton->setEnabled(tabView < viewCount - 1);
}

void qPageTemplate::scrollPageUp()
{
    if (tabView <= 0 || scrollGroup.state() == QAbstractAnimation::Running)
        return;
    --tabView;
    layoutTabs(true, -1);
}

void qPageTemplate::scrollPageDown()
{
    if (tabView >= viewCount - 1 || scrollGroup.state() == QAbstractAnimation::Running)
        return;
    ++tabView;
    layoutTabs(true, +1);
}

void qPageTemplate::scrollFinished()
{
    updateScrollButtons();
    scrollGroup.clear();
}

bool qPageTemplate::eventFilter(QObject* watched, QEvent* event)
{
    // The number of tabs per view follows the strip's width.
    if (watched == tabStrip && event->type() == QEvent::Resize
        && scrollGroup.state() != QAbstractAnimation::Running)
        layoutTabs(false, 0);
    return qTabPage::eventFilter(watched, event);
}

// ---------------------------------------------------------------- help --

QString qPageTemplate::helpFolder() const
{
    const qTabPage* sub = currentSubPage();
    return sub ? sub->whatsThis() : QString();
}

QString qPageTemplate::findHelpPage(const QString& name) const
{
    const QString folder = helpFolder();
    QStringList languages{language};
    if (language != QLatin1String("en_US"))
        languages.append(QStringLiteral("en_US"));
    for (const QString& lang : languages) {
        const QString found = kzo::help::findDocument(folder + '/' + lang + '/' + name + QStringLiteral(".html"));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString qPageTemplate::missingHelpPath(const QString& name) const
{
    return QCoreApplication::applicationDirPath() + '/' + docDir + '/' + helpFolder() + QStringLiteral("/en_US/")
        + name + QStringLiteral(".html");
}

QString qPageTemplate::tipText(const QString& name) const
{
    if (!currentSubPage())
        return {};
    const QString tail = QStringLiteral("/tips/") + helpFolder() + '/' + name + QStringLiteral(".tips");
    QString path = kzo::help::findDocument(language + tail);
    if (path.isEmpty())
        path = kzo::help::findDocument(QStringLiteral("en_US") + tail);
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

void qPageTemplate::showHtmlHelp(QString name)
{
    if (!help)
        return; // no help view in this container
    const QString path = findHelpPage(name);
    if (!path.isEmpty()) {
        help->stop();
        shownUrl = QUrl::fromLocalFile(path);
        shownHtml.clear();
        help->load(shownUrl);
        return;
    }
    const QString missing = missingHelpPath(name);
    shownUrl = QUrl();
    shownHtml = QStringLiteral("<b>") + tr("Can't find help page :") + QStringLiteral("</b><br />") + missing;
    help->setHtml(shownHtml);
    logStdout("%s \n", missing.toLocal8Bit().constData());
}

void qPageTemplate::showToolTip(QString szWhat)
{
    const QString text = tipText(szWhat);
    if (!text.isEmpty())
        QTipLabel::showText(QCursor::pos(), text, this);
}

void qPageTemplate::onOpenUrl(QUrl url)
{
    QDesktopServices::openUrl(url);
}

// ---------------------------------------------------------------- spin boxes --

void qPageTemplate::connectSpinBoxes(QWidget* root)
{
    if (!root)
        return;
    for (QSpinBox* s : root->findChildren<QSpinBox*>())
        connect(s, &QSpinBox::valueChanged, this, &qPageTemplate::onKzoSpinBoxValueChanged, Qt::UniqueConnection);
    for (QDoubleSpinBox* d : root->findChildren<QDoubleSpinBox*>())
        connect(d, &QDoubleSpinBox::valueChanged, this, &qPageTemplate::onKzoDoubleSpinBoxValueChanged,
                Qt::UniqueConnection);
}

void qPageTemplate::setValueStyle(QWidget* widget, int state)
{
    const QString style = qResources::get().valueStyle(state);
    if (widget && !style.isEmpty())
        widget->setStyleSheet(style);
}

void qPageTemplate::setValueStyleAll(QWidget* root, int state)
{
    if (!root)
        return;
    for (QAbstractSpinBox* s : root->findChildren<QAbstractSpinBox*>())
        setValueStyle(s, state);
}
