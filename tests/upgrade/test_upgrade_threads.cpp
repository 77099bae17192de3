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
// answered are dropped, as a loader that tracks packet numbers would. Every
// sixteenth packet is answered only once its re-sent copy has arrived, so
// re-sends and acknowledgements are sure to cross on every run.
class DeviceThread {
public:
    explicit DeviceThread(FakeDevIo& io) : io(io)
    {
        io.onWrite = [this](const WrittenFrame& f) {
            // Written in the same step in which the engine took the previous
            // packet's answer: from here on its re-send count starts afresh.
            if (f.id() != orb::cmdid::DeviceStatus && f.sequence() > newest)
                newest = f.sequence();
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
    std::atomic<int> accepted{0};      // packets answered
    std::atomic<int> newest{0};        // highest packet number the engine has written
    std::atomic<int> crossed{0};       // held answers released by a re-sent copy

    static bool heldBack(uint16_t seq) { return seq % 16 == 5; }

private:
    void run()
    {
        uint16_t expected = 1;
        uint16_t held = 0; // packet whose answer waits for its re-sent copy
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
                if (seq == held) {
                    // The engine gave up waiting and sent it again: the
                    // answer to the first copy now meets that re-send.
                    held = 0;
                    ++crossed;
                    answer(f);
                }
                continue;
            }
            if (seq > expected)
                ++outOfOrder;
            firstCopies.push_back(f.bytes);
            expected = static_cast<uint16_t>(seq + 1);
            if (f.id() == orb::cmdid::LoadData)
                image.insert(image.end(), f.payload() + 1, f.payload() + 257);
            if (heldBack(seq)) {
                held = seq;
                continue;
            }
            // A loader needs a moment per block, so expiries also cross by chance.
            std::this_thread::sleep_for(std::chrono::microseconds(50 + (seq * 7919) % 600));
            answer(f);
        }
    }
    void answer(const WrittenFrame& f)
    {
        ++accepted;
        io.deliverId(static_cast<uint16_t>(f.id() + 1), {0});
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
        int lastNewest = -1;
        int expiriesForThisPacket = 0;
        QElapsedTimer clock;
        clock.start();
        while (!engine.isIdle() && clock.elapsed() < 60000) {
            QCoreApplication::processEvents();
            const int n = device.newest.load();
            if (n != lastNewest) {
                lastNewest = n;
                expiriesForThisPacket = 0;
            }
            // Until the loader is reached an expiry only asks for the status
            // again. After that, five expiries re-send a packet twice; the
            // start packet, whose first send is already a timer's, fails at
            // the sixth, every other packet at the eighth.
            if (!engine.hasResponse()) {
                engine.handleTimeout();
            } else if (expiriesForThisPacket < 5) {
                engine.handleTimeout();
                ++expiriesForThisPacket;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const int packets = 2 + static_cast<int>((image.size() + 255) / 256);
        int heldPackets = 0;
        for (int seq = 1; seq <= packets; ++seq)
            heldPackets += DeviceThread::heldBack(static_cast<uint16_t>(seq));
        qInfo("%d re-sent packets crossed acknowledgements", device.copies.load());
        QVERIFY(engine.isIdle());
        QVERIFY(engine.upgradeResult());
        QVERIFY(heldPackets > 10);
        QCOMPARE(device.crossed.load(), heldPackets);
        QVERIFY(device.copies.load() >= heldPackets);
        QCOMPARE(device.accepted.load(), packets);
        QCOMPARE(device.outOfOrder.load(), 0);
        QCOMPARE(device.changedCopies.load(), 0);
        image.resize((image.size() + 255) / 256 * 256, 0);
        QCOMPARE(device.image.size(), image.size());
        QVERIFY(device.image == image);
    }
};

QTEST_GUILESS_MAIN(TestUpgradeThreads)
#include "test_upgrade_threads.moc"
