// Acknowledgements arrive on a device thread while the engine's thread runs
// the timer: no packet may be skipped, reordered or changed by the race.
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"

#include "commands/CommandCatalogue.h"
#include "upgrade/DevUpgrade.h"

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <thread>

using kzo::test::FakeDevIo;
using kzo::test::LogCapture;
using kzo::test::WrittenFrame;

namespace {

// Answers every first copy of a packet at once; copies it has already
// answered are dropped, as a loader that tracks packet numbers would.
class DeviceThread {
public:
    explicit DeviceThread(FakeDevIo& io) : io(io)
    {
        io.onWrite = [this](const WrittenFrame& f) {
            std::lock_guard g(lock);
            inbox.push_back(f);
            wake.notify_one();
        };
        worker = std::thread([this] { run(); });
    }
    ~DeviceThread()
    {
        {
            std::lock_guard g(lock);
            stop = true;
            wake.notify_one();
        }
        worker.join();
        io.onWrite = nullptr;
    }

    std::vector<uint8_t> image;        // reassembled from the data packets, in order
    std::atomic<int> outOfOrder{0};    // packets numbered beyond the one expected
    std::atomic<int> changedCopies{0}; // a copy whose bytes differ from the first one
    std::atomic<int> copies{0};        // re-sent packets seen

private:
    void run()
    {
        uint16_t expected = 1;
        std::vector<std::vector<uint8_t>> firstCopies;
        for (;;) {
            WrittenFrame f;
            {
                std::unique_lock g(lock);
                wake.wait(g, [this] { return stop || !inbox.empty(); });
                if (stop)
                    return;
                f = std::move(inbox.front());
                inbox.pop_front();
            }
            if (f.id() == orb::cmdid::DeviceStatus) {
                io.deliverId(orb::cmdid::StatusReport, {0xFE});
                continue;
            }
            const uint16_t seq = f.sequence();
            if (seq < expected) {
                ++copies;
                if (f.bytes != firstCopies.at(seq - 1))
                    ++changedCopies;
                continue;
            }
            if (seq > expected)
                ++outOfOrder;
            firstCopies.push_back(f.bytes);
            expected = static_cast<uint16_t>(seq + 1);
            // A loader needs a moment per block; long enough for expiries to cross.
            std::this_thread::sleep_for(std::chrono::microseconds(50 + (seq * 7919) % 600));
            if (f.id() == orb::cmdid::LoadData)
                image.insert(image.end(), f.payload() + 1, f.payload() + 257);
            io.deliverId(static_cast<uint16_t>(f.id() + 1), {0});
        }
    }

    FakeDevIo& io;
    std::mutex lock;
    std::condition_variable wake;
    std::deque<WrittenFrame> inbox;
    bool stop = false;
    std::thread worker;
};

} // namespace

class TestUpgradeThreads : public QObject {
    Q_OBJECT
private slots:
    void acknowledgementsRaceTheTimer()
    {
        LogCapture log;
        FakeDevIo io;
        io.sendCommandWrites = false; // the device answers written frames only
        orb::DevUpgrade engine;
        io.addListener(&engine);
        DeviceThread device(io);

        std::vector<uint8_t> image(64 * 1024 + 77);
        for (size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<uint8_t>(i ^ (i >> 8));
        engine.setTarget(orb::module::Mc, 0, 1);
        QVERIFY(engine.upgradeImage(image.data(), static_cast<int>(image.size()), 0));

        // Expiries far faster than 600 ms so re-sends overlap acknowledgements,
        // but never so many for one packet that its tries run out.
        int lastProgress = -1;
        int expiriesAtThisProgress = 0;
        QElapsedTimer clock;
        clock.start();
        while (!engine.isIdle() && clock.elapsed() < 60000) {
            QCoreApplication::processEvents();
            const int p = engine.progress();
            if (p != lastProgress) {
                lastProgress = p;
                expiriesAtThisProgress = 0;
            }
            if (expiriesAtThisProgress < 7) {
                engine.handleTimeout();
                ++expiriesAtThisProgress;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        qInfo("%d re-sent packets crossed acknowledgements", device.copies.load());
        QVERIFY(engine.isIdle());
        QVERIFY(engine.upgradeResult());
        QCOMPARE(device.outOfOrder.load(), 0);
        QCOMPARE(device.changedCopies.load(), 0);
        image.resize((image.size() + 255) / 256 * 256, 0);
        QCOMPARE(device.image.size(), image.size());
        QVERIFY(device.image == image);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeThreads)
#include "test_upgrade_threads.moc"
