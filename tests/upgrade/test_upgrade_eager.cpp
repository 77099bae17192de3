// A loader that answers before the engine's write has returned, on the
// writing thread or from another one: no answer may be lost, no packet sent
// twice or skipped, on every start path.
#include "support/EagerDevIo.h"
#include "support/LogCapture.h"

#include "commands/CommandCatalogue.h"
#include "upgrade/DevUpgrade.h"

#include <QSignalSpy>
#include <QTest>
#include <mutex>

using kzo::test::EagerDevIo;
using kzo::test::LogCapture;
using Bytes = EagerDevIo::Bytes;

Q_DECLARE_METATYPE(EagerDevIo::AnswerOn)

namespace {

std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 29 + 11);
    return v;
}

const uint8_t* payloadOf(const Bytes& frame) { return frame.data() + 30; }

// The IMU loader: ready on 0x02B0, then one answer per packet, "done" once
// the announced length has arrived.
class ImuLoader {
public:
    std::vector<Bytes> answer(const Bytes& f)
    {
        std::lock_guard g(lock);
        switch (EagerDevIo::idOf(f)) {
        case orb::cmdid::ImuStart:
            return {EagerDevIo::record(orb::cmdid::ImuLoaderReady)};
        case orb::cmdid::ImuLength:
            length = kzo::frame::readU32(payloadOf(f));
            return {EagerDevIo::record(orb::cmdid::ImuLengthAck)};
        case orb::cmdid::ImuBlock: {
            const size_t take = std::min<size_t>(128, length - image.size());
            image.insert(image.end(), payloadOf(f), payloadOf(f) + take);
            return {EagerDevIo::record(image.size() < length ? orb::cmdid::ImuBlockAck : orb::cmdid::ImuDone)};
        }
        default:
            return {};
        }
    }
    std::vector<uint8_t> received()
    {
        std::lock_guard g(lock);
        return image;
    }

private:
    std::mutex lock;
    uint32_t length = 0;
    std::vector<uint8_t> image;
};

// A 256-block loader, direct or behind the CAN relay: reports loader mode to
// the status request, acknowledges every packet and remembers its number.
class BlockLoader {
public:
    explicit BlockLoader(uint8_t loaderState) : state(loaderState) {}

    std::vector<Bytes> answer(const Bytes& f)
    {
        std::lock_guard g(lock);
        const uint16_t id = EagerDevIo::idOf(f);
        if (id == 0x0101)
            return {EagerDevIo::record(0x0102, {state})};
        if (id == orb::cmdid::CanVerify)
            return {EagerDevIo::record(orb::cmdid::CanVerifyResult, {0})};
        const bool data = id == 0x0235 || id == 0x0FA4;
        if (id == 0x0233 || data || id == 0x0240 || id == 0x0FA2 || id == 0x0FA6) {
            sequences.push_back(kzo::frame::readU16(f.data() + 4 + kzo::frame::offSequence));
            if (data) {
                const int skip = id == 0x0FA4 ? 3 : 1;
                image.insert(image.end(), payloadOf(f) + skip, payloadOf(f) + skip + 256);
            }
            return {EagerDevIo::record(static_cast<uint16_t>(id + 1), {0})};
        }
        return {};
    }

    std::mutex lock;
    const uint8_t state;
    std::vector<uint16_t> sequences;
    std::vector<uint8_t> image;
};

// The engine on an eager link whose peer is `Loader`.
template <class Loader>
struct EagerRig {
    template <class... LoaderArgs>
    explicit EagerRig(EagerDevIo::AnswerOn where, LoaderArgs... args) : io(where), loader(args...)
    {
        io.setPeer([this](const Bytes& f, int) { return loader.answer(f); });
        io.addListener(&engine);
    }
    LogCapture log;
    EagerDevIo io;
    Loader loader;
    orb::DevUpgrade engine;
};

} // namespace

class TestUpgradeEager : public QObject {
    Q_OBJECT

    static void bothThreads()
    {
        QTest::addColumn<EagerDevIo::AnswerOn>("where");
        QTest::newRow("answer on the writing thread") << EagerDevIo::AnswerOn::WritingThread;
        QTest::newRow("answer from another thread") << EagerDevIo::AnswerOn::OtherThread;
    }

private slots:
    void imuLoaderAnswersAtOnce_data() { bothThreads(); }
    void imuLoaderAnswersAtOnce()
    {
        QFETCH(EagerDevIo::AnswerOn, where);
        EagerRig<ImuLoader> rig(where);
        auto& [log, io, loader, engine] = rig;

        const auto image = pattern(300);
        engine.setTarget(orb::module::Imu, 0, 1);
        QVERIFY(engine.upgradeImu(image.data(), 300));
        QTRY_VERIFY_WITH_TIMEOUT(engine.isIdle(), 5000);
        QVERIFY(engine.upgradeResult());
        QCOMPARE(engine.progress(), 100);
        QCOMPARE(loader.received(), image);
        // 0x02B0, the length and three blocks, each written once.
        std::vector<uint16_t> ids;
        for (const Bytes& f : io.written())
            ids.push_back(EagerDevIo::idOf(f));
        QCOMPARE(ids, (std::vector<uint16_t>{0x02B0, 0x02B2, 0x02B7, 0x02B7, 0x02B7}));
        QVERIFY(log.hasLine("Upgrade", "success, re-power device !"));
    }

    void directLoaderAnswersAtOnce_data() { bothThreads(); }
    void directLoaderAnswersAtOnce()
    {
        QFETCH(EagerDevIo::AnswerOn, where);
        EagerRig<BlockLoader> rig(where, uint8_t(0xFE));
        auto& [log, io, loader, engine] = rig;

        const auto image = pattern(1000);
        engine.setTarget(orb::module::Mc, 0, 1);
        QVERIFY(engine.upgradeImage(image.data(), 1000, 0));
        QTRY_VERIFY_WITH_TIMEOUT(engine.isIdle(), 10000);
        QVERIFY(engine.upgradeResult());
        std::lock_guard g(loader.lock);
        QCOMPARE(loader.sequences, (std::vector<uint16_t>{1, 2, 3, 4, 5, 6}));
        loader.image.resize(1000);
        QCOMPARE(loader.image, image);
    }

    void canLoaderVerifiesAtOnce_data() { bothThreads(); }
    void canLoaderVerifiesAtOnce()
    {
        QFETCH(EagerDevIo::AnswerOn, where);
        EagerRig<BlockLoader> rig(where, uint8_t(0x40));
        auto& [log, io, loader, engine] = rig;
        QSignalSpy startCheck(&engine, &orb::DevUpgrade::upgradeStartCheck);
        QSignalSpy checkResult(&engine, &orb::DevUpgrade::upgradeCheckResult);

        const auto image = pattern(600);
        engine.setTarget(orb::module::Led, 0, 0);
        QVERIFY(engine.upgradeImage(image.data(), 600, 1));
        QTRY_VERIFY_WITH_TIMEOUT(engine.isIdle(), 10000);
        QVERIFY(engine.upgradeResult());
        QCOMPARE(startCheck.count(), 1);
        QCOMPARE(checkResult.count(), 1);
        // The outcome is not undone by what the end acknowledgement does after it.
        QVERIFY(!engine.hasResponse());
        QCOMPARE(engine.progress(), 100);
        int verifies = 0;
        for (const Bytes& f : io.written())
            verifies += EagerDevIo::idOf(f) == orb::cmdid::CanVerify;
        QCOMPARE(verifies, 1);
        std::lock_guard g(loader.lock);
        QCOMPARE(loader.sequences, (std::vector<uint16_t>{1, 2, 3, 4, 5}));
        loader.image.resize(600);
        QCOMPARE(loader.image, image);
        QVERIFY(log.hasLine("Upgrade", "Verify result:0x00"));
    }
};

QTEST_GUILESS_MAIN(TestUpgradeEager)
#include "test_upgrade_eager.moc"
