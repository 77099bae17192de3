// The main window as host of the firmware update dialog and the upgrade
// pages: the login-or-error route, the heartbeat's dialog refresh, what the
// host interface reaches, and the page sets with and without --all-pages.
#include "app/mainframe/FrameFixture.h"
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include "app/Language.h"
#include "app/PageSetup.h"
#include "app/framework/qResources.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "online/ui/qLogin.h"
#include "pages/qMainPage.h"
#include "pages/qPageGimbal.h"
#include "pages/qToolsPage.h"
#include "upgrade/pages/qExampleTovan.h"
#include "upgrade/pages/qInternalPage.h"
#include "upgrade/pages/qUpgradePage.h"
#include "upgrade/updater/UpgradeHost.h"
#include "upgrade/updater/qUpdater.h"
#include "widgets/qPageButton.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using kzo::test::FakeDevIo;
using kzo::test::FrameFixture;
using kzo::test::payloadRecord;
using namespace orb::cmdid;

namespace {

// Closes the first modal window that shows and remembers it.
class ModalCatcher : public QObject {
public:
    QPointer<QWidget> seen;
    ModalCatcher()
    {
        auto* poll = new QTimer(this);
        poll->setInterval(10);
        connect(poll, &QTimer::timeout, this, [this, poll] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            seen = w;
            poll->stop();
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        });
        poll->start();
    }
};

QStringList titles(const qMainFrame& f)
{
    QStringList out;
    for (int i = 0; i < f.pageCount(); ++i)
        out << f.page(i)->title();
    return out;
}

} // namespace

class TestMainFrameHost : public QObject {
    Q_OBJECT
    FakeDevIo io;

    void connectDevice() { kzo::test::connectDevice(io); }

private slots:
    void initTestCase() { currentDevIo = &io; }

    void init()
    {
        kzo::test::resetFrameState();
    }

    void cleanup()
    {
        io.dispatch(EvDisconnected, nullptr);
        appModel().setStatus(AppIdle);
    }

    // Without the server configuration there is nothing to sign in to: the
    // network-error tip. With it, the login dialog runs.
    void loginOrErrorRoutes()
    {
        FrameFixture fx(io);
        qMainFrame& f = *fx.frame;
        QVERIFY(f.loginDialog());
        QCOMPARE(f.loginDialog()->service(), f.loginService());

        f.setServerConfigTest([] { return false; });
        f.showLoginOrError();
        QCOMPARE(f.currentTip(), qResources::get().networkError);
        QVERIFY(!f.loginDialog()->isVisible());

        f.setServerConfigTest([] { return true; });
        ModalCatcher catcher;
        f.showLoginOrError();
        QTRY_VERIFY(catcher.seen);
        QCOMPARE(catcher.seen.data(), static_cast<QWidget*>(f.loginDialog()));

        // The dialog and the pages reach the same route through the host.
        f.setServerConfigTest([] { return false; });
        f.showTip(QString());
        f.upgradeHost()->showLoginOrError();
        QCOMPARE(f.currentTip(), qResources::get().networkError);
    }

    // The heartbeat refreshes the update dialog only while the device is
    // connected, the dialog is shown and no upgrade runs.
    void heartbeatRefreshesDialog()
    {
        FrameFixture fx(io);
        qMainFrame& f = *fx.frame;
        QVERIFY(f.firmwareDialog());
        int refreshes = 0;
        f.setDialogRefresher([&] { ++refreshes; });

        f.firmwareDialog()->show();
        f._porcessheardbeat(); // shown, not connected
        QCOMPARE(refreshes, 0);

        connectDevice();
        QTRY_VERIFY(qConnector::instance()->isConnected());
        f.firmwareDialog()->hide();
        f._porcessheardbeat(); // connected, hidden
        QCOMPARE(refreshes, 0);

        f.firmwareDialog()->show();
        appModel().setStatus(AppUpgrading);
        f._porcessheardbeat(); // connected, shown, upgrading
        QCOMPARE(refreshes, 0);

        appModel().setStatus(AppIdle);
        f._porcessheardbeat();
        QCOMPARE(refreshes, 1);
        // And the 500 ms timer is what drives it.
        QTRY_VERIFY_WITH_TIMEOUT(refreshes >= 3, 5000);
        f.firmwareDialog()->hide();
    }

    // What the dialog and the pages reach through the host interface.
    void hostReachesTheWindow()
    {
        FrameFixture fx(io);
        qMainFrame& f = *fx.frame;
        UpgradeHost* host = f.upgradeHost();
        QVERIFY(host);

        QSignalSpy tips(host, &UpgradeHost::signal_showTipText);
        host->showTip(QStringLiteral("hello"));
        QCOMPARE(f.currentTip(), QStringLiteral("hello"));
        f.showTip(QStringLiteral("from the window"));
        QCOMPARE(tips.count(), 2);
        QCOMPARE(tips.last().at(0).toString(), QStringLiteral("from the window"));

        host->focusPage(2);
        QCOMPARE(f.currentPageIndex(), 2);
        QVERIFY(f.page(2)->isEntered());
        host->leaveAllPages();
        for (int i = 0; i < f.pageCount(); ++i)
            QVERIFY(!f.page(i)->isEntered());

        // A refused page switch reaches the host's listeners.
        QSignalSpy refused(host, &UpgradeHost::s_navigator_disabled);
        qMainFrame::setNavigationAllowed(false);
        QTest::mouseClick(f.pageButton(0), Qt::LeftButton);
        QCOMPARE(refused.count(), 1);
        QCOMPARE(f.currentPageIndex(), 2);
        host->markFirmwareMatches();
        QVERIFY(qMainFrame::navigationAllowed());
        QTest::mouseClick(f.pageButton(0), Qt::LeftButton);
        QCOMPARE(f.currentPageIndex(), 0);
    }

    // Three tabs by default; --all-pages adds the containers built but not
    // shown, after them, with the internal pages inside the last one.
    void pageSets()
    {
        const qResources& res = qResources::get();
        {
            auto frame = std::make_unique<qMainFrame>();
            auto pages = std::make_unique<kzo::app::PageSetup>(*frame, false);
            QCOMPARE(titles(*frame), (QStringList{res.titleBasic, res.titleUpgrade, res.titleInfo}));
            QVERIFY(frame->page(1)->findChild<qUpgradePage*>());
            QVERIFY(!frame->findChild<qInternalPage*>());
            // The flight-controller pages exist but stay deaf to the device.
            QVERIFY(!frame->findChild<qMainPage*>());
            QVERIFY(!frame->findChild<qToolsPage*>());
            QVERIFY(io.listensHere(frame->page(0)->findChild<qPageGimbal*>()));
            pages->detach(io);
            pages.reset();
        }
        {
            auto frame = std::make_unique<qMainFrame>();
            auto pages = std::make_unique<kzo::app::PageSetup>(*frame, true);
            QCOMPARE(titles(*frame), (QStringList{res.titleBasic, res.titleUpgrade, res.titleInfo, res.titleView,
                                                  res.titleTools, res.titleInternal}));
            QVERIFY(frame->page(5)->findChild<qInternalPage*>());
            QVERIFY(frame->page(5)->findChild<qExampleTovan*>());
            // View and Tools hold the flight-controller pages, which now listen.
            auto* mainPage = frame->page(3)->findChild<qMainPage*>();
            auto* toolsPage = frame->page(4)->findChild<qToolsPage*>();
            QVERIFY(mainPage && toolsPage);
            QVERIFY(io.listensHere(mainPage));
            QVERIFY(io.listensHere(toolsPage));
            // Every control a person clicks, on every page, is named for
            // assistive technology.
            for (QAbstractButton* b : frame->findChildren<QAbstractButton*>()) {
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
                QVERIFY(a);
                QVERIFY2(!a->text(QAccessible::Name).trimmed().isEmpty(),
                         qPrintable(b->objectName() + QLatin1Char(' ') + b->metaObject()->className() + QLatin1Char(' ')
                                    + (b->parentWidget() ? b->parentWidget()->objectName() : QString())));
            }
            frame->layoutPageButtons();
            frame->focusPage(0);
            // The internal pages stay reachable while navigation is locked.
            qMainFrame::setNavigationAllowed(false);
            static_cast<QAbstractButton*>(frame->pageButton(5))->click();
            QCOMPARE(frame->currentPageIndex(), 5);
            frame->show();
            QDir().mkpath(QStringLiteral(KZO_TEST_OUTPUT_DIR));
            frame->grab().save(QStringLiteral(KZO_TEST_OUTPUT_DIR "/mainframe-all-pages-internal.png"));
            static_cast<QAbstractButton*>(frame->pageButton(3))->click();
            QCOMPARE(frame->currentPageIndex(), 5);
            qMainFrame::setNavigationAllowed(true);
            pages->detach(io);
            pages.reset();
        }
    }
};

QTEST_MAIN(TestMainFrameHost)
#include "test_mainframe_host.moc"
