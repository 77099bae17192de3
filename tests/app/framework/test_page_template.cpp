// Page containers: sub-pages, enter/leave and the tick, tab scrolling, spin-box
// hooks, the help model and the resource catalogue.
#include "app/framework/FrameworkFixtures.h"
#include "app/framework/HelpDocs.h"
#include "app/framework/PageContainers.h"
#include "app/framework/WidgetCenter.h"
#include "app/framework/qHtmlHelper.h"
#include "app/framework/qResources.h"
#include "support/LogCapture.h"
#include "widgets/KzoDoubleSpinBox.h"
#include "widgets/KzoSpinBox.h"
#include "widgets/KzoSwitchBox.h"
#include "support/HoverEvents.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyleFactory>
#include <QTimer>
#include <QtTest>

using kzo::test::CountingPage;
using kzo::test::SelfWiredPage;
using kzo::test::sendEnter;
using kzo::test::sendLeave;

namespace {

struct ToolsWithPages {
    qToolsPageBase container;
    QList<CountingPage*> pages;
    explicit ToolsWithPages(int n)
    {
        for (int i = 0; i < n; ++i) {
            pages.append(new CountingPage(QStringLiteral("Page%1").arg(i)));
            container.addTabPage(pages.last());
        }
    }
};

} // namespace

class TestPageTemplate : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void containersCarryTheirSettings()
    {
        qMainPageBase view;
        qInfoPageBase info;
        qToolsPageBase tools;
        qUpgradePageBase upgrade;
        qInternalPageBase internal;
        const qResources& res = qResources::get();
        QCOMPARE(view.title(), QStringLiteral("View"));
        QCOMPARE(view.layoutStyle(), 17);
        QCOMPARE(info.title(), QStringLiteral("Info"));
        QCOMPARE(info.layoutStyle(), 25);
        QCOMPARE(tools.title(), QStringLiteral("Tools"));
        QCOMPARE(tools.layoutStyle(), 23);
        QCOMPARE(tools.pageImages().pressed, QStringLiteral(":/Utility/res/page_tools_focus_t.png"));
        QCOMPARE(upgrade.title(), QStringLiteral("Upgrade"));
        QCOMPARE(upgrade.layoutStyle(), 25);
        QCOMPARE(internal.title(), QStringLiteral("Internal"));
        QCOMPARE(internal.layoutStyle(), 27);
        QCOMPARE(internal.pageImages().normal, res.pageInternal.normal);
        for (qPageTemplate* c : std::initializer_list<qPageTemplate*>{&view, &info, &tools, &upgrade, &internal}) {
            QCOMPARE(c->helpWidth(), 0);
            QVERIFY(!c->helpView());
            QCOMPARE(c->currentIndex(), -1);
            QVERIFY(c->tabScrollUpButton()); // styles above 13 have scroll buttons
            QCOMPARE(c->contentArea()->objectName(), QStringLiteral("pageCur"));
            QVERIFY(c->findChild<QWidget*>(QStringLiteral("content")));
        }
        qPageTemplate framed(nullptr, 0, false, 13);
        QVERIFY(!framed.tabScrollUpButton());
        QVERIFY(framed.contentArea());
    }

    void plainPageKeepsItsOwnLayout()
    {
        // A sub-page lays out its own widgets; the template adds no frame to it.
        CountingPage page(QStringLiteral("Gimbal"));
        QVERIFY(!page.contentArea());
        QVERIFY(page.layout());
        QCOMPARE(page.layout()->count(), 1);
        QTest::ignoreMessage(QtWarningMsg, "qPageTemplate: a page with its own layout cannot hold sub-pages");
        auto* orphan = new CountingPage(QStringLiteral("Orphan"));
        page.addTabPage(orphan);
        QCOMPARE(page.subPageCount(), 0);
        delete orphan;
        // Without a layout of its own, the frame is built when the first sub-page arrives.
        qPageTemplate bare;
        bare.addTabPage(new CountingPage(QStringLiteral("Sub")));
        QVERIFY(bare.contentArea());
        QCOMPARE(bare.currentIndex(), 0);
    }

    void firstSubPageIsFocused()
    {
        ToolsWithPages t(3);
        QCOMPARE(t.container.subPageCount(), 3);
        QCOMPARE(t.container.currentIndex(), 0);
        QVERIFY(t.container.tabButton(0)->isChecked());
        QVERIFY(!t.container.tabButton(1)->isChecked());
        QCOMPARE(t.container.tabButton(1)->text(), QStringLiteral("Page1"));
        QCOMPARE(t.pages[0]->parentWidget(), t.container.contentArea());
        // A container not yet entered does not enter its sub-pages.
        QCOMPARE(t.pages[0]->enters, 0);
    }

    void tabClickFocusesPage()
    {
        ToolsWithPages t(3);
        t.container.resize(600, 400);
        t.container.show();
        QTest::mouseClick(t.container.tabButton(2), Qt::LeftButton);
        QCOMPARE(t.container.currentIndex(), 2);
        QVERIFY(t.pages[2]->isVisible());
        QVERIFY(!t.pages[0]->isVisible());
        QVERIFY(t.container.tabButton(2)->isChecked());
        QVERIFY(!t.container.tabButton(0)->isChecked());
        t.container.focusPage(3); // past the end: nothing
        t.container.focusPage(-1);
        QCOMPARE(t.container.currentIndex(), 2);
    }

    void enterLeaveForwardAndTick()
    {
        ToolsWithPages t(2);
        QSignalSpy entered(&t.container, &qPageTemplate::signal_EnterSubPage);
        QSignalSpy left(&t.container, &qPageTemplate::signal_LeaveSubPage);
        QSignalSpy ticks(&t.container, &qPageTemplate::signal_PageTick);
        t.container.PageEnter();
        QVERIFY(t.container.isTicking());
        const int timerId = t.container.tickTimerId();
        t.container.PageEnter(); // a second enter keeps the one timer
        QCOMPARE(t.container.tickTimerId(), timerId);
        QCOMPARE(entered.count(), 2);
        QCOMPARE(t.pages[0]->enters, 2);
        QCOMPARE(t.pages[1]->enters, 0);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 1, 5000);

        // Switching sub-pages while entered leaves one and enters the other.
        t.container.focusPage(1);
        QCOMPARE(t.pages[0]->leaves, 1);
        QCOMPARE(t.pages[1]->enters, 1);

        t.container.PageLeave();
        QVERIFY(!t.container.isTicking());
        QCOMPARE(left.count(), 1);
        QCOMPARE(t.pages[1]->leaves, 1);
        // A timer of the tick's own interval fires twice: a tick timer still
        // running would have fired in that time as well.
        const int after = static_cast<int>(ticks.count());
        QTimer reference;
        reference.setInterval(qPageTemplate::tickMs);
        QSignalSpy periods(&reference, &QTimer::timeout);
        reference.start();
        QTRY_VERIFY_WITH_TIMEOUT(periods.count() >= 2, 5000);
        QCOMPARE(ticks.count(), after);

        // Left: switching sub-pages enters nothing.
        t.container.focusPage(0);
        QCOMPARE(t.pages[0]->enters, 2);
    }

    void selfWiredSubPageEntersOnce()
    {
        qToolsPageBase c;
        auto* page = new SelfWiredPage;
        c.addTabPage(page);
        c.PageEnter();
        QCOMPARE(page->enters, 1);
        QVERIFY(page->isTicking());
        c.PageLeave();
        QCOMPARE(page->leaves, 1);
    }

    void broadcastHooksReachEverySubPage()
    {
        ToolsWithPages t(3);
        t.container.broadcastHook1();
        t.container.broadcastHook2();
        t.container.broadcastHook2();
        for (CountingPage* p : t.pages) {
            QCOMPARE(p->hook1, 1);
            QCOMPARE(p->hook2, 2);
        }
    }

    void removePage()
    {
        ToolsWithPages one(1);
        QSignalSpy removed(&one.container, &qPageTemplate::signal_DelPage);
        one.container.removePage(0);
        QCOMPARE(one.container.subPageCount(), 1);
        QCOMPARE(removed.count(), 0);

        ToolsWithPages t(3);
        t.container.removePage(3);
        t.container.removePage(-1);
        QCOMPARE(t.container.subPageCount(), 3);
        t.container.PageEnter();
        t.container.focusPage(2);
        t.container.removePage(0); // before the current one: the index follows
        QCOMPARE(t.container.subPageCount(), 2);
        QCOMPARE(t.container.currentIndex(), 1);
        QCOMPARE(t.container.currentSubPage(), t.pages[2]);
        t.container.removePage(1); // the current one: its neighbour takes over
        QCOMPARE(t.container.currentSubPage(), t.pages[1]);
        QCOMPARE(t.pages[2]->leaves, 1);
        QCOMPARE(t.pages[1]->enters, 1);
        QVERIFY(t.container.tabButton(0)->isChecked());
        // The remaining tab still focuses its own page after the shift.
        t.container.addTabPage(new CountingPage(QStringLiteral("Late")));
        QTest::mouseClick(t.container.tabButton(0), Qt::LeftButton);
        QCOMPARE(t.container.currentSubPage(), t.pages[1]);
        t.container.PageLeave();
        delete t.pages[0];
        delete t.pages[2];
    }

    void tabRowScrollsByViews()
    {
        ToolsWithPages t(5);
        // Strip width: 2 tabs of 110 pixels fit after the two scroll buttons.
        t.container.resize(2 * qPageTemplate::tabWidth + 32 + 20, 300);
        t.container.show();
        QTRY_COMPARE_WITH_TIMEOUT(t.container.tabViewCount(), 3, 3000);
        QVERIFY(!t.container.tabScrollUpButton()->isEnabled());
        QVERIFY(t.container.tabScrollDownButton()->isEnabled());
        t.container.scrollPageDown();
        QCOMPARE(t.container.tabViewIndex(), 1);
        QVERIFY(!t.container.tabScrollDownButton()->isEnabled()); // disabled while animating
        QTRY_VERIFY_WITH_TIMEOUT(t.container.tabScrollUpButton()->isEnabled(), 3000);
        QVERIFY(t.container.tabScrollDownButton()->isEnabled());
        QCOMPARE(t.container.tabButton(2)->x(), 0);
        t.container.scrollPageDown();
        QTRY_VERIFY_WITH_TIMEOUT(t.container.tabScrollUpButton()->isEnabled(), 3000);
        QCOMPARE(t.container.tabViewIndex(), 2);
        QVERIFY(!t.container.tabScrollDownButton()->isEnabled());
        QCOMPARE(t.container.tabButton(4)->x(), 0);
        t.container.scrollPageDown(); // no later view
        QCOMPARE(t.container.tabViewIndex(), 2);
        t.container.scrollPageUp();
        QTRY_VERIFY_WITH_TIMEOUT(t.container.tabScrollDownButton()->isEnabled(), 3000);
        QCOMPARE(t.container.tabViewIndex(), 1);
    }

    void spinBoxHooksAndValueStyles()
    {
        struct Page : qPageTemplate {
            int ints = 0;
            int doubles = 0;
            void onKzoSpinBoxValueChanged(int) override { ++ints; }
            void onKzoDoubleSpinBoxValueChanged(double) override { ++doubles; }
        } page;
        auto* group = new QGroupBox(&page);
        auto* a = new KzoSpinBox(group);
        auto* b = new QSpinBox(group);
        auto* d = new KzoDoubleSpinBox(group);
        page.connectSpinBoxes(&page);
        page.connectSpinBoxes(&page); // connecting twice must not double the calls
        a->setValue(5);
        b->setValue(6);
        d->setValue(1.5);
        QCOMPARE(page.ints, 2);
        QCOMPARE(page.doubles, 1);

        qPageTemplate::setValueStyle(a, 0);
        QCOMPARE(a->styleSheet(), QStringLiteral("font : normal  \"Arial\";color: rgb(11, 163, 212);"));
        qPageTemplate::setValueStyle(a, 1);
        QCOMPARE(a->styleSheet(), QStringLiteral("font : normal \"Arial\"; color : black;"));
        qPageTemplate::setValueStyle(a, 0);
        qPageTemplate::setValueStyle(a, 2);
        QCOMPARE(a->styleSheet(), QStringLiteral("font : normal \"Arial\"; color : black;"));
        qPageTemplate::setValueStyle(a, 3); // unknown state: unchanged
        QCOMPARE(a->styleSheet(), QStringLiteral("font : normal \"Arial\"; color : black;"));
        qPageTemplate::setValueStyleAll(&page, 0);
        for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(d)})
            QCOMPARE(w->styleSheet(), QStringLiteral("font : normal  \"Arial\";color: rgb(11, 163, 212);"));
        QVERIFY(group->styleSheet().isEmpty());
    }

    void helpModelFollowsTheMouse()
    {
        kzo::test::LogCapture log;
        QVERIFY(log.isOpen());
        const int first = kzo::log::sequence();
        QWidget root;
        auto* outer = new QWidget(&root);
        outer->setWhatsThis(QStringLiteral("A"));
        auto* inner = new QWidget(outer);
        inner->setWhatsThis(QStringLiteral("B"));
        auto* same = new QWidget(outer);
        same->setWhatsThis(QStringLiteral("A"));
        new QWidget(outer); // no help name: not registered
        qHtmlHelper helper;
        helper.registerHelp(&root);
        helper.registerHelp(&root); // twice: still one filter per widget
        QVERIFY(helper.isKnown(QStringLiteral("A")));
        QVERIFY(helper.isKnown(QStringLiteral("B")));
        QSignalSpy help(&helper, &qHtmlHelper::helpChanged);
        QSignalSpy tips(&helper, &qHtmlHelper::signal_showToolTip);

        sendEnter(outer);
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.last().at(0).toString(), QStringLiteral("A"));
        sendEnter(inner);
        QCOMPARE(help.count(), 2);
        QCOMPARE(help.last().at(0).toString(), QStringLiteral("B"));
        sendLeave(inner);
        QCOMPARE(help.count(), 3);
        QCOMPARE(help.last().at(0).toString(), QStringLiteral("A"));
        QCOMPARE(tips.count(), 3);
        QCOMPARE(tips.last().at(0).toString(), QStringLiteral("A"));

        // Into and out of a widget with the same name: nothing new to show.
        sendEnter(same);
        sendLeave(same);
        QCOMPARE(help.count(), 3);
        QCOMPARE(helper.stack().size(), 1);
        sendLeave(outer);
        QVERIFY(helper.stack().isEmpty());
        QCOMPARE(help.count(), 3);

        const QByteArray expected = kzo::test::logHeader("UIEX", first) + "helpChanged,enter2::B\n"
            + kzo::test::logHeader("UIEX", first + 1) + "helpChanged,leave2::A\n";
        QCOMPARE(log.bytes(), expected);
    }

    void resourceCatalogue()
    {
        qResources res;
        QCOMPARE(qResources::instance(), &res);
        QCOMPARE(&qResources::get(), &res);
        QCOMPARE(res.logo, QStringLiteral(":/Utility/res/logo_KG1.png"));
        QCOMPARE(res.windowTitle, QStringLiteral("KG1"));
        QCOMPARE(res.pageTabBorderTop, QStringLiteral(":/Utility/res/page_tab_border_top_vortima.png"));
        QCOMPARE(res.pageScrollUp.hover, QStringLiteral(":/Utility/res/scroll_up_hover.png"));
        QCOMPARE(res.linkConnected, QStringLiteral(":/Utility/res/connect_vortima.png"));
        QCOMPARE(res.labelWhite, QStringLiteral("QLabel {font:normal 12px \"Arial\";color:white}"));
        QCOMPARE(res.labelAccent, QStringLiteral("QLabel {font:normal 12px \"Arial\";color: rgb(11, 163, 212)}"));
        QCOMPARE(res.labelAccentBold, QStringLiteral("QLabel {font:bold 12px \"Arial\";color: rgb(11, 163, 212)}"));
        QCOMPARE(res.labelTitle, QStringLiteral("QLabel {font:bold 13px \"Arial\";color:white}"));
        QCOMPARE(res.alreadyRunning, QStringLiteral("Assistant is already running!"));
        QCOMPARE(res.restoreQuestion,
                 QStringLiteral("<font color=red><b>Do you really want to restore the default settings? Before you "
                                "select Yes, please disconnect the power to all motors or remove all "
                                "propellers.</b></font>"));
        QCOMPARE(res.upgradeQuestion,
                 QStringLiteral("<font color=red><b>Do you really want to upgrade the Firmware? Before you select "
                                "Yes, please disconnect the power to all motors or remove all propellers.</b></font>"));
        QCOMPARE(res.pressEnterToWrite, QStringLiteral("Press Enter to Write. "));
        QCOMPARE(res.networkError, QStringLiteral("Network error,please check you connection to the internet and "
                                                  "restart the application! "));
        QCOMPARE(res.titleAdvanced, QStringLiteral("Advanced"));
        res.fill(true, 31);
        QVERIFY(res.debugMode);
        QCOMPARE(res.languageId, 31);
        QCOMPARE(res.valueStyle(3), QString());

        // Every picture the catalogue names is compiled in.
        QStringList paths{res.pageTabBorderTop, res.pageTabBorderBottom, res.pageTabBorderLeft,
                          res.pageTabBorderRight, res.tabContentBackground, res.subTabBackground,
                          res.pageScrollUpDisabled, res.pageScrollDownDisabled, res.subScrollUpDisabled,
                          res.subScrollDownDisabled, res.subBorderLeft, res.subBorderRight, res.subBorderBottom,
                          res.bodyLeft, res.bodyRight, res.titleBar, res.statusBar, res.linkConnected,
                          res.linkDisconnected, res.linkReceiving, res.linkSending, res.buttonNormal,
                          res.buttonFocus, res.buttonPress, res.buttonChecked, res.buttonDisabled,
                          res.switchOnIcon, res.switchOffIcon, res.logo, res.appIcon, res.splash,
                          res.mountForward, res.mountForwardChecked, res.mountBackward, res.mountBackwardChecked,
                          res.failsafeLanding, res.failsafeLandingChecked, res.failsafeGoHome,
                          res.failsafeGoHomeChecked, res.mixerX1, res.mixerX2, res.okImage, res.failureImage};
        std::vector<qResources::StateImages> sets{res.pageScrollUp, res.pageScrollDown, res.subScrollUp,
                                                  res.subScrollDown, res.minimizeButton, res.exitButton,
                                                  res.pageSetup, res.pageParameters, res.pageAdvanced,
                                                  res.pageTools, res.pageUpgrade, res.pageInfo,
                                                  res.pageInternal, res.pageTabItem};
        sets.insert(sets.end(), res.subTabItems.begin(), res.subTabItems.end());
        for (const auto& s : sets)
            paths << s.normal << s.hover << s.pressed;
        for (const QString& p : paths)
            QVERIFY2(!QPixmap(p).isNull(), qPrintable(p));
        for (const char* other : {":/Utility/res/firmware_dlg_bg.png", ":/Utility/res/login_dlg_bg.png",
                                  ":/Utility/res/software_dlg_bg.png", ":/Utility/res/newsletter_bg.png",
                                  ":/Utility/res/parameter_background.png", ":/res/close_button.png",
                                  ":/res/message_win_bg.png"})
            QVERIFY2(!QPixmap(QString::fromLatin1(other)).isNull(), other);
    }

    void helpRootsInLookupOrder()
    {
        const QStringList roots = kzo::help::docRoots();
        QVERIFY(roots.size() >= 2);
        QCOMPARE(roots.at(0),
                 QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/doc"));
        QCOMPARE(roots.at(1), QDir::cleanPath(QCoreApplication::applicationDirPath() + "/doc"));
        QCOMPARE(QSet<QString>(roots.begin(), roots.end()).size(), roots.size());
        // The user's copy wins over the one beside the executable.
        QDir().mkpath(roots.at(0) + "/basic/en_US");
        QFile f(roots.at(0) + "/basic/en_US/x.html");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(kzo::help::findDocument(QStringLiteral("basic/en_US/x.html")), roots.at(0) + "/basic/en_US/x.html");
        QVERIFY(kzo::help::findDocument(QStringLiteral("basic/en_US/none.html")).isEmpty());
    }

    void renderSamplePage()
    {
        qResources res;
        ToolsWithPages t(4);
        auto* page = t.pages[0];
        auto* sw = new KzoSwitchBox(page);
        sw->setTexts(tr("ON"), tr("OFF"));
        sw->setStatus(true);
        page->layout()->addWidget(sw);
        auto* spin = new KzoSpinBox(page);
        spin->setRange(0, 1000);
        spin->setValue(120);
        qPageTemplate::setValueStyle(spin, 0);
        page->layout()->addWidget(spin);
        t.container.resize(640, 360);
        t.container.show();
        const QString dir = QStringLiteral(KZO_TEST_OUTPUT_DIR) + QStringLiteral("/widgets");
        QDir().mkpath(dir);
        QVERIFY(t.container.grab().save(dir + QStringLiteral("/page_tools_sample.png")));
    }

    void widgetCenterIsTheClientPositionOnScreen()
    {
        QCOMPARE(widgetCenter(nullptr), QPoint(-1, -1));
        QWidget top;
        top.resize(400, 300);
        top.move(120, 80);
        auto* middle = new QWidget(&top);
        middle->setGeometry(10, 20, 200, 200);
        auto* inner = new QWidget(middle);
        inner->setGeometry(7, 9, 50, 50);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        // Every parent's position counts, the frame's borders too.
        QCOMPARE(widgetCenter(inner), inner->mapToGlobal(QPoint(0, 0)));
        QCOMPARE(widgetCenter(middle), middle->mapToGlobal(QPoint(0, 0)));
        QCOMPARE(widgetCenter(&top), top.mapToGlobal(QPoint(0, 0)));
        top.move(300, 200);
        QTRY_COMPARE(widgetCenter(inner), inner->mapToGlobal(QPoint(0, 0)));
        QCOMPARE(widgetCenter(inner), QPoint(317, 229) + (top.geometry().topLeft() - top.frameGeometry().topLeft()));
    }
};

QTEST_MAIN(TestPageTemplate)
#include "test_page_template.moc"
