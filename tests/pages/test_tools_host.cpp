// The main window as the tools page's host: the tools container is found by
// identity wherever it sits in the page strip, the window's tip and the
// command queue's end of run reach the page, and a restore-defaults run
// started from the page holds the navigation until the queue has finished.
#include "app/mainframe/FrameFixture.h"
#include "pages/AckRecords.h"
#include "support/FakeDevIo.h"

#include "app/ToolsFrameHost.h"
#include "app/framework/PageContainers.h"
#include "commands/CommandCatalogue.h"
#include "commands/qAppModel.h"
#include "pages/qToolsPage.h"
#include "widgets/MessageBoxes.h"
#include "widgets/qPageButton.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using kzo::test::FakeDevIo;
using kzo::test::FrameFixture;
using kzo::test::payloadRecord;
using namespace orb::cmdid;

namespace {

// The fixture's window with two more containers after its three: the main
// parameter container and the tools container holding the page.
struct ToolsWindow {
    FrameFixture fixture;
    ToolsFrameHost* host;
    qToolsPage* page;
    qToolsPageBase* tools = new qToolsPageBase();

    explicit ToolsWindow(FakeDevIo& io) : fixture(io)
    {
        host = new ToolsFrameHost(*fixture.frame);
        page = new qToolsPage(host);
        tools->addTabPage(page);
        tools->focusPage(0);
        fixture.frame->addTabPage(new qMainPageBase());
        fixture.frame->addTabPage(tools);
        io.addListener(page);
    }
    ~ToolsWindow() { fixture.io.removeListener(page); }
    ToolsWindow(const ToolsWindow&) = delete;
    ToolsWindow& operator=(const ToolsWindow&) = delete;
};

} // namespace

class TestToolsHost : public QObject {
    Q_OBJECT
    FakeDevIo io;

    void connectDevice() { kzo::test::connectDevice(io); }

private slots:
    void initTestCase() { currentDevIo = &io; }
    void init() { kzo::test::resetFrameState(); }
    void cleanup() { io.dispatch(EvDisconnected, nullptr); }

    void focusesTheContainerThatHoldsThePage()
    {
        ToolsWindow w(io);
        QCOMPARE(w.fixture.frame->currentPageIndex(), 0);
        w.host->focusPageOf(w.page);
        QCOMPARE(w.fixture.frame->currentPageIndex(), 4);
        QCOMPARE(w.fixture.frame->page(4), static_cast<qPageTemplate*>(w.tools));
        QVERIFY(w.tools->isEntered());
        // A widget that no shown container holds changes nothing.
        w.fixture.frame->focusPage(2);
        QWidget stray;
        w.host->focusPageOf(&stray);
        w.host->focusPageOf(nullptr);
        QCOMPARE(w.fixture.frame->currentPageIndex(), 2);
        QCOMPARE(w.host->dialogParent(), static_cast<QWidget*>(w.fixture.frame.get()));
    }

    void relaysTipsAndTheQueuesEnd()
    {
        ToolsWindow w(io);
        QSignalSpy tips(w.host, &ToolsHost::signal_showTipText);
        QSignalSpy ends(w.host, &ToolsHost::queueFinished);
        w.host->showTip(QStringLiteral("hello"));
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.at(0).at(0).toString(), QStringLiteral("hello"));
        w.fixture.queue.finish(true);
        QTRY_COMPARE(ends.count(), 1);
        QCOMPARE(ends.at(0).at(0).toBool(), true);
    }

    // The restore run holds the page switches until the queue ends, also
    // after the user has left the tools page.
    void restoreHoldsNavigationUntilTheQueueEnds()
    {
        ToolsWindow w(io);
        std::vector<kzo::ui::BoxRequest> boxes;
        kzo::ui::ScopedBoxHandler answer([&](QWidget*, const kzo::ui::BoxRequest& box) {
            boxes.push_back(box);
            return QMessageBox::Yes;
        });
        connectDevice();
        QTRY_VERIFY(w.page->isConnected());
        QTRY_COMPARE(appModel().status(), int(AppLoadingAll));
        w.fixture.queue.finish(true);
        QTRY_COMPARE(appModel().status(), int(AppIdle));

        w.host->focusPageOf(w.page);
        w.page->widgets().pushButtonReset->click();
        QCOMPARE(appModel().status(), int(AppRestoring));
        QCOMPARE(appModel().navigationBusy(), 1);
        QTest::mouseClick(w.fixture.frame->pageButton(0), Qt::LeftButton);
        QCOMPARE(w.fixture.frame->currentPageIndex(), 4); // refused
        w.fixture.queue.finish(true);
        QTRY_COMPARE(appModel().navigationBusy(), 0);
        QVERIFY(w.page->widgets().pushButtonReset->isEnabled());
        QCOMPARE(appModel().status(), int(AppIdle));
    }
};

QTEST_MAIN(TestToolsHost)
#include "test_tools_host.moc"
