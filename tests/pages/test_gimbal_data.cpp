// The gimbal page's device logic: reply filtering, record writes, the
// held-back second write with its re-sends, and what a lost link drops.
#include "pages/AckRecords.h"
#include "pages/GimbalData.h"
#include "support/LogCapture.h"

#include "app/logging/Log.h"
#include "commands/CommandCatalogue.h"

#include <QTest>
#include <vector>

using kzo::pages::blankRecord;
using kzo::pages::GimbalData;
using kzo::pages::GimbalRecord;
using kzo::test::ackRecord;
using kzo::test::channelData;
using namespace orb::cmdid;

namespace {

struct Sent {
    uint16_t id;
    std::vector<uint8_t> payload;
    bool operator==(const Sent&) const = default;
};

struct Harness {
    explicit Harness(bool linked = true)
    {
        if (linked)
            data.setLinkUp(true);
    }
    std::vector<Sent> sent;
    int retryStarts = 0;
    GimbalData data{[this](uint16_t id, std::span<const uint8_t> p) { sent.push_back({id, {p.begin(), p.end()}}); },
                    [this] { ++retryStarts; }};
};

std::vector<uint8_t> bytes(const GimbalRecord& r) { return {r.begin(), r.end()}; }

// Two records that differ from each other and from a blank one in every byte.
const GimbalRecord recA = {1, 2, 3, 4, 5, 6, 7, 8};
const GimbalRecord recB = {11, 12, 13, 14, 15, 16, 17, 18};

} // namespace

class TestGimbalData : public QObject {
    Q_OBJECT
private slots:
    void channelsAreSigned16BitLittleEndian()
    {
        Harness h;
        const auto rec = ackRecord(GimbalChannelsAck, channelData({-1000, 1000, 0, 1001, -1, 300, -300, 12345}));
        QVERIFY(h.data.acceptFrame(rec.data()));
        const auto ch = h.data.takeChannels();
        QVERIFY(ch.has_value());
        const kzo::pages::GimbalChannels expected = {-1000, 1000, 0, 1001, -1, 300, -300, 12345};
        QCOMPARE(*ch, expected);
        // Taken once: the flag is cleared.
        QVERIFY(!h.data.takeChannels().has_value());
    }

    void filterReportsPendingDataUntilTaken()
    {
        Harness h;
        const auto r1 = ackRecord(GimbalRecord1Ack, {1, 2, 3, 4, 5, 6, 7, 8});
        const auto cam = ackRecord(CameraStateAck, {2, 0, 0, 0});
        const auto other = ackRecord(0x0222, {0, 0, 0, 0});
        QVERIFY(!h.data.acceptFrame(other.data()));
        QVERIFY(h.data.acceptFrame(r1.data()));
        // Still true for an unrelated frame while record 1 waits for a refresh.
        QVERIFY(h.data.acceptFrame(other.data()));
        QVERIFY(h.data.acceptFrame(cam.data()));
        QCOMPARE(*h.data.takeRecord1(), (GimbalRecord{1, 2, 3, 4, 5, 6, 7, 8}));
        QCOMPARE(*h.data.takeCameraState(), 2u);
        QVERIFY(!h.data.takeRecord2().has_value());
        QVERIFY(!h.data.acceptFrame(other.data()));
    }

    void wrongLengthIsLoggedAndDropped()
    {
        kzo::test::LogCapture log;
        QVERIFY(log.isOpen());
        Harness h;
        const auto bad = ackRecord(GimbalChannelsAck, channelData({1, 2, 3, 4, 5, 6, 7}), 1); // 46 bytes
        QCOMPARE(bad[0], uint8_t(46));
        QVERIFY(!h.data.acceptFrame(bad.data()));
        QVERIFY(!h.data.takeChannels().has_value());
        const QByteArray text = log.bytes();
        QVERIFY2(text.contains("Ack Len:46,desire Len:47 ,ID = 0x02a4"), text.constData());
    }

    void writeSendsOnlyWhatChanged()
    {
        Harness h;
        const GimbalRecord a = {1, 1, 1, 1, 1, 1, 1, 1};
        QCOMPARE(h.data.write(a, blankRecord), GimbalData::WriteOutcome::Record1);
        QCOMPARE(h.sent, (std::vector<Sent>{{GimbalRecord1Write, bytes(a)}}));
        // Pressing Write again without a change sends nothing.
        QCOMPARE(h.data.write(a, blankRecord), GimbalData::WriteOutcome::Nothing);
        QCOMPARE(h.sent.size(), size_t(1));
        const GimbalRecord b = {9, 8, 7, 6, 5, 4, 3, 2};
        QCOMPARE(h.data.write(a, b), GimbalData::WriteOutcome::Record2);
        QCOMPARE(h.sent.back(), (Sent{GimbalRecord2Write, bytes(b)}));
        QCOMPARE(h.retryStarts, 0);
    }

    void twoRecordWriteWaitsForFirstAcknowledgement()
    {
        Harness h;
        QCOMPARE(h.data.write(recA, recB), GimbalData::WriteOutcome::Both);
        QCOMPARE(h.sent, (std::vector<Sent>{{GimbalRecord1Write, bytes(recA)}}));
        QVERIFY(h.data.secondWritePending());

        // An unrelated reply does not release it.
        const auto ch = ackRecord(GimbalChannelsAck, channelData({0, 0, 0, 0, 0, 0, 0, 0}));
        h.data.acceptFrame(ch.data());
        QCOMPARE(h.sent.size(), size_t(1));

        const auto ack = ackRecord(GimbalRecord1Ack, {1, 2, 3, 4, 5, 6, 7, 8});
        QVERIFY(h.data.acceptFrame(ack.data()));
        QCOMPARE(h.sent.size(), size_t(2));
        QCOMPARE(h.sent[1], (Sent{GimbalRecord2Write, bytes(recB)}));
        QCOMPARE(h.retryStarts, 1);
        QVERIFY(!h.data.secondWritePending());
        QCOMPARE(h.data.written1(), blankRecord);
        QCOMPARE(h.data.written2(), blankRecord);

        // Three re-sends at the retry timer, then it stops.
        QVERIFY(h.data.retryTick());
        QVERIFY(h.data.retryTick());
        QVERIFY(h.data.retryTick());
        QVERIFY(!h.data.retryTick());
        QCOMPARE(h.sent.size(), size_t(5));
        for (size_t i = 2; i < 5; ++i)
            QCOMPARE(h.sent[i], (Sent{GimbalRecord2Write, bytes(recB)}));

        // A second acknowledgement does not send record 2 again.
        h.data.acceptFrame(ack.data());
        QCOMPARE(h.sent.size(), size_t(5));

        // The written records were reset, so the same Write sends both again.
        QCOMPARE(h.data.write(recA, recB), GimbalData::WriteOutcome::Both);
        QCOMPARE(h.sent.back(), (Sent{GimbalRecord1Write, bytes(recA)}));
    }

    void newWriteStopsResendsOfOlderRecord()
    {
        Harness h;
        h.data.write(recA, recB);
        const auto ack = ackRecord(GimbalRecord1Ack, {0, 0, 0, 0, 0, 0, 0, 0});
        h.data.acceptFrame(ack.data());
        QVERIFY(h.data.retryTick()); // one re-send of recB
        const GimbalRecord c = {21, 22, 23, 24, 25, 26, 27, 28};
        QCOMPARE(h.data.write(blankRecord, c), GimbalData::WriteOutcome::Record2);
        const size_t before = h.sent.size();
        QVERIFY(!h.data.retryTick());
        QCOMPARE(h.sent.size(), before);
        QCOMPARE(h.sent.back(), (Sent{GimbalRecord2Write, bytes(c)}));
    }

    void nothingIsSentWithoutALink()
    {
        Harness h(false);
        h.data.requestAll();
        h.data.requestChannels();
        h.data.requestRecords();
        h.data.setCameraCharging(true);
        QCOMPARE(h.data.write(recA, recB), GimbalData::WriteOutcome::Offline);
        QVERIFY(h.sent.empty());
        // An offline Write is not remembered as written: it goes once linked.
        QCOMPARE(h.data.written1(), blankRecord);
        h.data.setLinkUp(true);
        QCOMPARE(h.data.write(recA, recB), GimbalData::WriteOutcome::Both);
        QCOMPARE(h.sent, (std::vector<Sent>{{GimbalRecord1Write, bytes(recA)}}));
        h.data.setLinkUp(false);
        h.data.requestChannels();
        QCOMPARE(h.sent.size(), size_t(1));
    }

    void linkLossDropsTheHeldBackWrite()
    {
        Harness h;
        h.data.write(recA, recB);
        QVERIFY(h.data.secondWritePending());
        h.data.setLinkUp(false);
        QVERIFY(!h.data.secondWritePending());
        // The next device's record-1 reply releases nothing.
        h.data.setLinkUp(true);
        const auto ack = ackRecord(GimbalRecord1Ack, {0, 0, 0, 0, 0, 0, 0, 0});
        QVERIFY(h.data.acceptFrame(ack.data()));
        QCOMPARE(h.sent, (std::vector<Sent>{{GimbalRecord1Write, bytes(recA)}}));
        QCOMPARE(h.retryStarts, 0);
        QVERIFY(!h.data.retryTick());
        QCOMPARE(h.sent.size(), size_t(1));
        // What the old device was given no longer counts: the same Write goes again.
        QCOMPARE(h.data.written1(), blankRecord);
        QCOMPARE(h.data.written2(), blankRecord);
        QCOMPARE(h.data.write(recA, recB), GimbalData::WriteOutcome::Both);
    }

    void linkLossEndsResends()
    {
        Harness h;
        h.data.write(recA, recB);
        const auto ack = ackRecord(GimbalRecord1Ack, {1, 2, 3, 4, 5, 6, 7, 8});
        h.data.acceptFrame(ack.data());
        QVERIFY(h.data.retryTick());
        const size_t sent = h.sent.size();
        h.data.setLinkUp(false);
        QVERIFY(!h.data.retryTick());
        // Nor does a tick still due after the device came back re-send.
        h.data.setLinkUp(true);
        QVERIFY(!h.data.retryTick());
        QCOMPARE(h.sent.size(), sent);
    }

    void linkLossDropsChannelsNotYetShown()
    {
        Harness h;
        const auto ch = ackRecord(GimbalChannelsAck, channelData({1, 2, 3, 4, 5, 6, 7, 8}));
        const auto r1 = ackRecord(GimbalRecord1Ack, {1, 2, 3, 4, 5, 6, 7, 8});
        h.data.acceptFrame(ch.data());
        h.data.acceptFrame(r1.data());
        h.data.setLinkUp(false);
        QVERIFY(!h.data.takeChannels().has_value());
        // A record read is what the device held; it is still shown.
        QCOMPARE(*h.data.takeRecord1(), (GimbalRecord{1, 2, 3, 4, 5, 6, 7, 8}));
    }

    void requestsUseTheCatalogueIdentifiers()
    {
        Harness h;
        h.data.requestAll();
        h.data.requestChannels();
        h.data.setCameraCharging(true);
        h.data.setCameraCharging(false);
        std::vector<uint16_t> ids;
        for (const Sent& s : h.sent) {
            ids.push_back(s.id);
            QVERIFY(s.payload.empty());
        }
        QCOMPARE(ids, (std::vector<uint16_t>{0x02A2, 0x02A7, 0x02A3, 0x1253, 0x02A3, 0x1250, 0x1251}));
    }
};

QTEST_GUILESS_MAIN(TestGimbalData)
#include "test_gimbal_data.moc"
