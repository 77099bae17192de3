// The engine in-process on the serial device I/O, against kzo-devsim: a
// device that falls silent mid-transfer, and one that is unplugged and
// plugged in again.
#include "support/SignalChild.h"
#include "support/LogCapture.h"
#include "SimProcess.h"

#include "app/config/GlobalCfg.h"
#include "commands/CommandCatalogue.h"
#include "link/DeviceFinder.h"
#include "link/SimpleDevIo.h"
#include "protocol/DevAckID.h"
#include "upgrade/DevUpgrade.h"

#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <csignal>

using kzo::test::LogCapture;

namespace {

class LinkWatch : public orb::DevListener {
public:
    void onDevEvent(const DevEvent* e) override
    {
        if (e->kind == EvConnected)
            connected = true;
        else if (e->kind == EvDisconnected)
            connected = false;
    }
    std::atomic<bool> connected{false};
};

std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>((i * 31) ^ (i >> 9));
    return v;
}

} // namespace

class TestUpgradeLink : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<GlobalCfg> cfg;
    std::unique_ptr<orb::DevAckID> acks;
    std::unique_ptr<orb::DevUpgrade> engine;
    LinkWatch link;

    QString silentLink() const { return dir.filePath("silent"); }
    QString plugLink() const { return dir.filePath("plug"); }

    void flash(const std::vector<uint8_t>& image)
    {
        engine->setTarget(orb::module::Mc, 0, 1);
        QVERIFY(engine->upgradeImage(image.data(), static_cast<int>(image.size()), 0));
    }

private slots:
    void initTestCase()
    {
        cfg = std::make_unique<GlobalCfg>();
        frameCrcSeed = cfg->crcSeed;
        frameCrcEnabled = cfg->crcEnabled;
        currentDevIo = &orb::simpleDevIo();
        acks = std::make_unique<orb::DevAckID>();
        engine = std::make_unique<orb::DevUpgrade>();
        currentDevIo->addListener(acks.get());
        currentDevIo->addListener(engine.get());
        currentDevIo->addListener(&link);
        setFinderOptions(FinderOptions{{silentLink().toStdString(), plugLink().toStdString()}, false});
        setDeviceListener(currentDevIo);
        startDeviceFinder();
    }
    void cleanupTestCase()
    {
        stopDeviceFinder();
        setDeviceListener(nullptr);
        currentDevIo->close();
        currentDevIo->removeListener(&link);
        currentDevIo->removeListener(engine.get());
        currentDevIo->removeListener(acks.get());
    }

    void silentDeviceFailsAfterRetries()
    {
        LogCapture log;
        SimProcess sim;
        QVERIFY(sim.start(silentLink(), {"--loader", "mc", "--latency-ms", "2"}));
        QTRY_VERIFY_WITH_TIMEOUT(link.connected, 10000);
        flash(pattern(128 * 1024));
        QTRY_VERIFY_WITH_TIMEOUT(engine->progress() >= 5, 30000);
        QVERIFY(kzo::test::signalChild(sim.pid(), SIGSTOP)); // no answer from now on
        QTRY_VERIFY_WITH_TIMEOUT(engine->isIdle(), 20000);
        QVERIFY(kzo::test::signalChild(sim.pid(), SIGCONT));
        QVERIFY(!engine->upgradeResult());
        QVERIFY(log.hasLine("Upgrade", "try 3 times!"));
        QVERIFY(log.hasLine("Upgrade", "failure !"));
        // The port is closed behind the outcome.
        QTRY_VERIFY_WITH_TIMEOUT(!link.connected, 5000);
    }

    void unplugDuringTransferThenPlugInAgain()
    {
        LogCapture log;
        const QString images = dir.filePath("images");
        QVERIFY(QDir().mkpath(images));
        {
            SimProcess sim;
            QVERIFY(sim.start(plugLink(), {"--loader", "mc", "--latency-ms", "3"}));
            QTRY_VERIFY_WITH_TIMEOUT(link.connected, 10000);
            flash(pattern(256 * 1024));
            QTRY_VERIFY_WITH_TIMEOUT(engine->progress() > 0, 30000);
            sim.stop(); // pulled out mid-transfer
            QTRY_VERIFY_WITH_TIMEOUT(!link.connected, 30000);
            QVERIFY(engine->progress() < 100);
            QTRY_VERIFY_WITH_TIMEOUT(engine->isIdle(), 20000);
            QVERIFY(!engine->upgradeResult());
            QVERIFY(log.hasLine("Upgrade", "failure !"));
            QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(plugLink()), 10000);
        }

        SimProcess again;
        QVERIFY(again.start(plugLink(), {"--image-dir", images}));
        QTRY_VERIFY_WITH_TIMEOUT(link.connected, 10000);
        const auto image = pattern(3000);
        flash(image);
        QTRY_VERIFY_WITH_TIMEOUT(engine->isIdle(), 30000);
        QVERIFY(engine->upgradeResult());
        QFile stored(images + "/mc.bin");
        QTRY_VERIFY_WITH_TIMEOUT(stored.exists(), 5000);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), QByteArray(reinterpret_cast<const char*>(image.data()), 3000));
    }
};

QTEST_GUILESS_MAIN(TestUpgradeLink)
#include "test_upgrade_link.moc"
