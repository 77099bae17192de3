// The gimbal page against the device simulator: polled channels reach the
// sliders and labels, a disconnected channel shows "Disc.", and an unplug
// blanks the channels and stops the poll until a device is back at the port.
#include "pages/DevSimProcess.h"
#include "pages/SimLink.h"
#include "pages/qPageGimbal.h"

#include "link/SimpleDevIo.h"
#include "protocol/FrameCodec.h"
#include "widgets/qStatusSlider.h"

#include <QGroupBox>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <memory>
#include <QTest>

using kzo::test::DevSimProcess;
using kzo::test::SimLink;

namespace {

// Every label carries a number within the bar's range and the bar shows it.
bool showsLiveNumbers(const qPageGimbal& page, const QList<int>& channels)
{
    const auto& ui = page.widgets();
    if (!ui.groupBox_3->isEnabled() || !ui.groupBox_4->isEnabled())
        return false;
    for (int i : channels) {
        bool ok = false;
        const int v = ui.values[i]->text().toInt(&ok);
        if (!ok || v < -1000 || v > 1000 || ui.sliders[i]->value() != v || !ui.sliders[i]->isEnabled())
            return false;
    }
    return true;
}

// Keeps the page registered with the serial device I/O for a scope, so a
// failed check never leaves a destroyed page behind as a listener.
struct Listening {
    explicit Listening(qPageGimbal& p) : page(p) { orb::simpleDevIo().addListener(&page); }
    ~Listening() { orb::simpleDevIo().removeListener(&page); }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;
    qPageGimbal& page;
};

bool showsNoLiveData(const qPageGimbal& page)
{
    const auto& ui = page.widgets();
    if (ui.groupBox_3->isEnabled() || ui.groupBox_4->isEnabled())
        return false;
    for (int i = 0; i < 8; ++i)
        if (ui.values[i]->text() != QLatin1String("--"))
            return false;
    return true;
}

} // namespace

class TestGimbalDevSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        kzo::test::talkLikeTheProgram();
    }

    void channelsMoveAndDisconnectedShowsDisc()
    {
        DevSimProcess sim({"--channel-disconnected", "3"});
        QVERIFY2(sim.ok(), sim.log().constData());
        qPageGimbal page;
        const Listening listening(page);
        {
            SimLink link(sim.port());
            QTRY_VERIFY_WITH_TIMEOUT(SimLink::open(), 10000);
            page.PageEnter();
            const auto& ui = page.widgets();
            QTRY_COMPARE_WITH_TIMEOUT(ui.values[2]->text(), QStringLiteral("Disc."), 10000);
            QCOMPARE(ui.sliders[2]->value(), 1000);
            // The other channels carry numbers that change over time.
            QSet<QString> seen;
            QTRY_VERIFY_WITH_TIMEOUT((seen.insert(ui.values[0]->text() + ui.values[3]->text()), seen.size() >= 3), 10000);
            QVERIFY(showsLiveNumbers(page, {0, 1, 3, 4, 5, 6, 7}));
            page.PageLeave();
        }
    }

    void unplugBlanksAndReplugResumes()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString port = dir.filePath(QStringLiteral("ttyGimbal"));
        qPageGimbal page;
        const Listening listening(page);
        {
            auto first = std::make_unique<DevSimProcess>(QStringList{"--link", port});
            QVERIFY2(first->ok(), first->log().constData());
            SimLink link(port);
            QTRY_VERIFY_WITH_TIMEOUT(SimLink::open(), 10000);
            page.PageEnter();
            QTRY_VERIFY_WITH_TIMEOUT(showsLiveNumbers(page, {0, 1, 2, 3, 4, 5, 6, 7}), 10000);
            QVERIFY(page.polling());

            // Pulled out while the page is shown.
            first->stop();
            QTRY_VERIFY_WITH_TIMEOUT(!SimLink::open(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(showsNoLiveData(page), 10000);
            QVERIFY(!page.polling());

            // Plugged in again at the same port: the page polls again by itself.
            DevSimProcess second({"--link", port});
            QVERIFY2(second.ok(), second.log().constData());
            QTRY_VERIFY_WITH_TIMEOUT(SimLink::open(), 15000);
            QTRY_VERIFY_WITH_TIMEOUT(page.polling(), 10000);
            QTRY_VERIFY_WITH_TIMEOUT(showsLiveNumbers(page, {0, 1, 2, 3, 4, 5, 6, 7}), 10000);
            page.PageLeave();
        }
    }
};

QTEST_MAIN(TestGimbalDevSim)
#include "test_gimbal_devsim.moc"
