// The main parameter page's device logic: which replies are taken and with
// which length, how values read, the value tables, and the write payloads
// built over the device's own records.
#include "pages/MainPageRecords.h"
#include "pages/MainPageData.h"
#include "support/LogCapture.h"

#include "commands/CommandCatalogue.h"

#include <QTest>

using namespace kzo::pages;
using namespace kzo::test;
using namespace orb::cmdid;

namespace {

template <size_t N>
std::vector<uint8_t> bytes(const std::array<uint8_t, N>& a)
{
    return {a.begin(), a.end()};
}

} // namespace

class TestMainPageData : public QObject {
    Q_OBJECT
private slots:
    void requestsAndRepliesInEntryOrder()
    {
        const std::vector<std::pair<uint16_t, uint16_t>> expected = {
            {0x0283, 0x0284}, {0x0280, 0x0281}, {0x021C, 0x021D}, {0x0244, 0x0245}, {0x0246, 0x0247}, {0x0298, 0x0297},
            {0x020D, 0x020E}, {0x0209, 0x020A}, {0x029B, 0x029A}, {0x0262, 0x0264}, {0x024C, 0x024D}};
        const std::vector<int> lengths = {45, 66, 130, 35, 51, 33, 59, 64, 39, 71, 54};
        QCOMPARE(mainReads.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(mainReads[i].request, expected[i].first);
            QCOMPARE(mainReads[i].ack, expected[i].second);
            QCOMPARE(31 + static_cast<int>(mainReads[i].size), lengths[i]);
        }
    }

    void everyReplyIsTakenOnce()
    {
        MainPageData d;
        QVERIFY(!d.acceptFrame(ackRecord(0x0101, {0}).data()));
        for (const MainRead& s : mainReads) {
            std::vector<uint8_t> data(s.size);
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = static_cast<uint8_t>(i + 1);
            QVERIFY(d.acceptFrame(ackRecord(s.ack, data).data()));
        }
        const auto v = d.take<MainAck::Voltage>();
        QVERIFY(v);
        QCOMPARE(bytes(*v), (std::vector<uint8_t>{1, 2, 3, 4}));
        QVERIFY(!d.take<MainAck::Voltage>());
        const auto ch = d.take<MainAck::Channels>();
        QVERIFY(ch);
        QCOMPARE((*ch)[98], uint8_t(99));
        QVERIFY(d.take<MainAck::Jit>() && d.take<MainAck::Fbl>() && d.take<MainAck::Protection>()
                && d.take<MainAck::Receiver>() && d.take<MainAck::Mounting>() && d.take<MainAck::Mixer>()
                && d.take<MainAck::IdleSpeed>() && d.take<MainAck::Switch>() && d.take<MainAck::Failsafe>());
        // All consumed: nothing is left to refresh.
        QVERIFY(!d.acceptFrame(ackRecord(0x0101, {0}).data()));
    }

    void wrongLengthIsLoggedAndIgnored()
    {
        MainPageData d;
        LogCapture log;
        QVERIFY(!d.acceptFrame(ackRecord(FcVoltageAck, {1, 2, 3, 4, 5}).data()));
        QVERIFY(!d.acceptFrame(ackRecord(FcFblAck, std::vector<uint8_t>(34)).data()));
        QVERIFY(!d.acceptFrame(ackRecord(FcChannelsAck, std::vector<uint8_t>(100)).data()));
        QVERIFY(!d.take<MainAck::Voltage>());
        QVERIFY(!d.lastFbl());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:36,desire Len:35 ,ID = 0x0245"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:65,desire Len:66 ,ID = 0x0281"), log.bytes().constData());
        QVERIFY2(log.hasLine("Protocol", "Ack Len:131,desire Len:130 ,ID = 0x021d"), log.bytes().constData());
        // A later reply of the right length is taken.
        QVERIFY(d.acceptFrame(ackRecord(FcVoltageAck, voltageData(12000)).data()));
        QCOMPARE(decodeVoltageMv(*d.take<MainAck::Voltage>()), 12000);
    }

    void modeGroupsDecode()
    {
        std::array<uint8_t, 14> jit{};
        const auto j = jitData(0x8000 | 3 | (2 << 2) | (1 << 4), 100, 200, 0xFFFFFFF0u);
        std::copy(j.begin(), j.end(), jit.begin());
        const ModeGroup g = decodeJit(jit);
        QCOMPARE(g.fields, (std::array<int, 3>{3, 2, 1}));
        QVERIFY(g.enabled);
        QCOMPARE(g.gains, (std::array<uint32_t, 3>{100, 200, 0xFFFFFFF0u}));

        std::array<uint8_t, 35> fbl{};
        // Bits 0-1 are not a selection in this record.
        const auto f = fblData(3 | (1 << 2) | (3 << 4) | (2 << 6), 7, 8, 9);
        std::copy(f.begin(), f.end(), fbl.begin());
        const ModeGroup h = decodeFbl(fbl);
        QCOMPARE(h.fields, (std::array<int, 3>{1, 3, 2}));
        QVERIFY(!h.enabled);
        QCOMPARE(h.gains, (std::array<uint32_t, 3>{7, 8, 9}));
    }

    // The writes start from the device's records: only the mode word and
    // the three gains change, every other byte goes back as it came.
    void writesOverlayTheDeviceRecords()
    {
        MainPageData d;
        const ModeGroup jitPage{{1, 2, 3}, true, {11, 22, 33}};
        const ModeGroup fblPage{{3, 0, 1}, true, {44, 55, 0x01020304}};
        QVERIFY(!d.writes(jitPage, fblPage));
        d.acceptFrame(ackRecord(FcJitAck, jitData(0xFFFF, 1, 2, 3)).data());
        // One record is not enough.
        QVERIFY(!d.writes(jitPage, fblPage));
        const auto fbl = fblData(0xFFFF, 4, 5, 6);
        d.acceptFrame(ackRecord(FcFblAck, fbl).data());
        const auto w = d.writes(jitPage, fblPage);
        QVERIFY(w);
        QCOMPARE(bytes(w->jit), jitData(1 | (2 << 2) | (3 << 4), 11, 22, 33));
        std::vector<uint8_t> expected = fbl;
        kzo::frame::writeU16(expected.data(), (3 << 2) | (0 << 4) | (1 << 6)); // bits 0-1 and 15 zero
        kzo::frame::writeU32(expected.data() + 7, 44);
        kzo::frame::writeU32(expected.data() + 11, 55);
        kzo::frame::writeU32(expected.data() + 15, 0x01020304);
        QCOMPARE(bytes(w->fbl), expected);

        // A lost link forgets them: nothing to write to the next device.
        d.forgetRecords();
        QVERIFY(!d.writes(jitPage, fblPage));
        QVERIFY(!d.lastJit());
    }

    void channels()
    {
        std::array<uint8_t, 99> r{};
        const auto e = channelEntries({{1, 1500}, {8, -1200}, {9, 5}, {0, 7}, {3, -32768}});
        std::copy(e.begin(), e.end(), r.begin());
        const auto c = decodeChannels(r);
        QCOMPARE(c[0].channel, 1);
        QCOMPARE(c[0].value, 1500);
        QCOMPARE(c[1].value, -1200);
        QCOMPARE(c[2].channel, 9);
        QCOMPARE(c[4].value, -32768);
        QCOMPARE(channelLabelValue(1500), 1000);
        QCOMPARE(channelLabelValue(-1200), -1000);
        QCOMPARE(channelLabelValue(999), 999);
    }

    void voltages()
    {
        QCOMPARE(voltageText(3999), QStringLiteral("DISCONNECTED"));
        QCOMPARE(voltageText(0), QStringLiteral("DISCONNECTED"));
        QCOMPARE(voltageText(4000), QStringLiteral("4.00 V"));
        // Millivolts count: 4.5 V is not 4 V.
        QCOMPARE(voltageText(4500), QStringLiteral("4.50 V"));
        QCOMPARE(voltageText(12340), QStringLiteral("12.34 V"));
        QCOMPARE(protectionLevelText(10500), QStringLiteral("10.50V"));
        QCOMPARE(protectionLevelText(3650), QStringLiteral("3.65V"));

        std::array<uint8_t, 20> p{};
        const auto d = protectionData(10500, 3, 9900, 1);
        std::copy(d.begin(), d.end(), p.begin());
        const ProtectionSettings s = decodeProtection(p);
        QVERIFY(s.on);
        QCOMPARE(s.cells, 3);
        QCOMPARE(s.firstMv, 10500);
        QCOMPARE(s.secondMv, 9900);
    }

    void mounting()
    {
        std::array<uint8_t, 28> r{};
        const auto d = mountingData({0.12f, -0.035f, 0.0f, 1.2345678f, -1.0f, 0.5f}, 2);
        std::copy(d.begin(), d.end(), r.begin());
        const MountingSettings m = decodeMounting(r);
        QCOMPARE(locationText(m.imu[0]), QStringLiteral("12cm"));
        QCOMPARE(locationText(m.imu[1]), QStringLiteral("-3.5cm"));
        QCOMPARE(locationText(m.imu[2]), QStringLiteral("0cm"));
        QCOMPARE(locationText(m.gps[0]), QStringLiteral("123.457cm"));
        QCOMPARE(locationText(m.gps[1]), QStringLiteral("-100cm"));
        QCOMPARE(m.orientation, 2u);
    }

    void valueTables()
    {
        const std::vector<std::pair<int, const char*>> mixers = {
            {1, "Quad-rotor I"}, {2, "Quad-rotor X"}, {4, "Hexa-rotor IY"}, {8, "Hexa-rotor Y"},
            {16, "Hexa-rotor I"}, {17, "8M_UD"}, {18, "Octo-rotor X"}, {20, "Customize"},
            {32, "Hexa-rotor V"}, {64, "Octo-rotor I"}, {128, "Octo-rotor V"}, {3, "NONE"}, {0, "NONE"}, {255, "NONE"}};
        for (const auto& [v, text] : mixers)
            QCOMPARE(mixerText(v), QString::fromLatin1(text));
        QCOMPARE(mixerPicture(3), MixerPicture::None);
        QCOMPARE(mixerPicture(2), MixerPicture::Cross);
        QCOMPARE(mixerPicture(1), MixerPicture::Plus);

        QCOMPARE(receiverText(1), QStringLiteral("Tradition"));
        QCOMPARE(receiverText(2), QStringLiteral("D-Bus"));
        QCOMPARE(receiverText(3), QStringLiteral("PPM"));
        QCOMPARE(receiverText(0), QStringLiteral("NONE"));
        QCOMPARE(receiverText(4), QStringLiteral("NONE"));

        QCOMPARE(cutOffText(0), QStringLiteral("Immediately"));
        QCOMPARE(cutOffText(1), QStringLiteral("Intelligent"));
        QCOMPARE(cutOffText(2), QStringLiteral("NONE"));

        QCOMPARE(idleSpeedText(10), std::optional<QString>(QStringLiteral("Highest")));
        QCOMPARE(idleSpeedText(9), std::optional<QString>(QStringLiteral("Higher")));
        QCOMPARE(idleSpeedText(8), std::optional<QString>(QStringLiteral("Recommended")));
        QCOMPARE(idleSpeedText(7), std::optional<QString>(QStringLiteral("Lower")));
        QCOMPARE(idleSpeedText(6), std::optional<QString>(QStringLiteral("Lowest")));
        QVERIFY(!idleSpeedText(5));
        QVERIFY(!idleSpeedText(11));

        QCOMPARE(orientationText(0), QStringLiteral("Forward"));
        QCOMPARE(orientationText(1), QStringLiteral("Right"));
        QCOMPARE(orientationText(2), QStringLiteral("Backward"));
        QCOMPARE(orientationText(3), QStringLiteral("Left"));
        QCOMPARE(orientationText(4), QStringLiteral("NONE"));

        QCOMPARE(failsafeText(0), QStringLiteral("Landing"));
        QCOMPARE(failsafeText(1), QStringLiteral("Go-Home and Landing"));
        QCOMPARE(failsafeText(2), QStringLiteral("NONE"));

        QCOMPARE(goHomeText(0), QStringLiteral("OFF"));
        for (int v : {1, 2, 3})
            QCOMPARE(goHomeText(v), QStringLiteral("ON"));
        QCOMPARE(goHomeText(4), QStringLiteral("OFF"));

        QCOMPARE(batteryTypeText(1), QStringLiteral("NONE"));
        for (int c = 2; c <= 6; ++c)
            QCOMPARE(batteryTypeText(c), QStringLiteral("%1S LiPo").arg(c));
        QCOMPARE(batteryTypeText(7), QStringLiteral("NONE"));

        QCOMPARE(onOffText(0), QStringLiteral("OFF"));
        QCOMPARE(onOffText(1), QStringLiteral("ON"));
        QCOMPARE(onOffText(0x8000), QStringLiteral("ON"));
    }
};

QTEST_GUILESS_MAIN(TestMainPageData)
#include "test_main_page_data.moc"
