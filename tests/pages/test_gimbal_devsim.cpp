// The gimbal page against the device simulator: polled channels reach the
// sliders and labels, a disconnected channel shows "Disc.".
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "pages/qPageGimbal.h"

#include "link/SimpleDevIo.h"
#include "protocol/FrameCodec.h"
#include "widgets/qStatusSlider.h"

#include <QLabel>
#include <QSet>
#include <QTest>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;

class TestGimbalDevSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        currentDevIo = &orb::simpleDevIo();
        frameCrcSeed = 0x0013;
        frameCrcEnabled = true;
    }

    void channelsMoveAndDisconnectedShowsDisc()
    {
        DevSimProcess sim({"--channel-disconnected", "3"});
        QVERIFY2(sim.ok(), sim.log().constData());
        qPageGimbal page;
        orb::simpleDevIo().addListener(&page);
        {
            SimLink link(sim.port());
            QTRY_VERIFY_WITH_TIMEOUT(SimLink::open(), 10000);
            page.PageEnter();
            const auto& ui = page.widgets();
            QTRY_COMPARE_WITH_TIMEOUT(ui.values[2]->text(), QStringLiteral("Disc."), 10000);
            QCOMPARE(ui.sliders[2]->value(), ui.sliders[2]->maximum());
            // The other channels carry numbers that change over time.
            QSet<QString> seen;
            QTRY_VERIFY_WITH_TIMEOUT((seen.insert(ui.values[0]->text() + ui.values[3]->text()), seen.size() >= 3), 10000);
            for (int i : {0, 1, 3, 4, 5, 6, 7}) {
                bool ok = false;
                const int v = ui.values[i]->text().toInt(&ok);
                QVERIFY2(ok, qPrintable(ui.values[i]->text()));
                QCOMPARE(ui.sliders[i]->value(), qBound(-1000, v, 1000));
            }
            page.PageLeave();
        }
        orb::simpleDevIo().removeListener(&page);
    }
};

QTEST_MAIN(TestGimbalDevSim)
#include "test_gimbal_devsim.moc"
