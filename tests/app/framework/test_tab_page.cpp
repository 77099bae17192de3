// Coalesced refresh of pages: frames picked on the listener thread, one redraw per event-loop pass.
#include "app/framework/FrameworkFixtures.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>
#include <thread>

using kzo::test::CountingPage;
using kzo::test::record;

namespace {

void deliver(CountingPage& page, uint16_t id, int count)
{
    const auto r = record(id);
    const DevEvent ev{EvFrame, r.data()};
    for (int i = 0; i < count; ++i)
        page.onDevEvent(&ev);
}

} // namespace

class TestTabPage : public QObject {
    Q_OBJECT
private slots:
    void defaults()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        QCOMPARE(page.pageId(), 0);
        QCOMPARE(page.focusPolicy(), Qt::NoFocus);
        QVERIFY(!page.isRefreshPending());
        QCOMPARE(page.qTabPage::wantsFrame(nullptr), false);
    }

    void burstFromListenerThreadRefreshesOnce()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        // 50 wanted frames arrive on another thread while the GUI thread is blocked.
        std::thread listener([&] { deliver(page, kzo::test::wantedId, 50); });
        listener.join();
        QCOMPARE(page.framesSeen.load(), 50);
        QVERIFY(page.isRefreshPending());
        QCOMPARE(page.refreshes, 0); // nothing is drawn on the listener thread
        QTRY_COMPARE_WITH_TIMEOUT(page.refreshes, 1, 5000);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(page.refreshes, 1);
        QVERIFY(!page.isRefreshPending());

        // The next burst gets its own refresh.
        std::thread again([&] { deliver(page, kzo::test::wantedId, 50); });
        again.join();
        QTRY_COMPARE_WITH_TIMEOUT(page.refreshes, 2, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(page.refreshes, 2);
    }

    void burstOnGuiThreadIsQueuedToo()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        deliver(page, kzo::test::wantedId, 50);
        QCOMPARE(page.refreshes, 0);
        QCoreApplication::processEvents();
        QCOMPARE(page.refreshes, 1);
    }

    void unwantedFramesAndOtherEventsAreIgnored()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        QSignalSpy changed(&page, &qTabPage::devValueChanged);
        deliver(page, 0x0222, 20);
        const DevEvent connected{EvConnected, nullptr};
        const DevEvent disconnected{EvDisconnected, nullptr};
        page.onDevEvent(&connected);
        page.onDevEvent(&disconnected);
        page.onDevEvent(nullptr);
        QCoreApplication::processEvents();
        QCOMPARE(page.framesSeen.load(), 20); // only frames are offered to the filter
        QCOMPARE(page.refreshes, 0);
        QCOMPARE(changed.count(), 0);
    }

    void frameDuringRefreshIsNotLost()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        // A frame stored while the refresh runs must get a refresh of its own.
        page.onRefresh = [&] {
            if (page.refreshes == 1)
                deliver(page, kzo::test::wantedId, 1);
        };
        deliver(page, kzo::test::wantedId, 1);
        QTRY_COMPARE_WITH_TIMEOUT(page.refreshes, 2, 5000);
        QCoreApplication::processEvents();
        QCOMPARE(page.refreshes, 2);
    }

    void concurrentBurstsStayCoalesced()
    {
        CountingPage page(QStringLiteral("Gimbal"));
        std::thread a([&] { deliver(page, kzo::test::wantedId, 500); });
        std::thread b([&] { deliver(page, kzo::test::wantedId, 500); });
        a.join();
        b.join();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(page.framesSeen.load(), 1000);
        QCOMPARE(page.refreshes, 1);
    }
};

QTEST_MAIN(TestTabPage)
#include "test_tab_page.moc"
