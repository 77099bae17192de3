// Device model keys and listeners, the acknowledgement printer, the data
// cache layout, the singletons and the listener's send path.
#include "support/FakeDevIo.h"
#include "support/LogCapture.h"
#include "protocol/DevAckID.h"
#include "protocol/DevModel.h"
#include "protocol/GlobalDataCache.h"
#include "protocol/TestFrames.h"

#include <QTest>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

using namespace orb;
using namespace kzo::test;

namespace {

struct RecordingListener : DevModelListener {
    explicit RecordingListener(std::vector<std::pair<const void*, std::wstring>>* log) : log(log) {}
    void onModelChanged(const std::wstring& key, const DevValue& value) override
    {
        log->emplace_back(this, key);
        // The model already holds the new value when listeners run.
        const auto [group, name] = DevModel::splitKey(key);
        DevValue stored;
        devModel().get(group, name, stored);
        seenStored = std::memcmp(stored.raw, value.raw, 8) == 0 && stored.type == value.type;
    }
    std::vector<std::pair<const void*, std::wstring>>* log;
    bool seenStored = false;
};

DevValue u32(uint32_t v)
{
    DevValue d;
    d.type = TypeInt32u;
    std::memcpy(d.raw, &v, 4);
    return d;
}

struct CountingCommand {
    explicit CountingCommand(int* alive) : alive(alive) { ++*alive; }
    ~CountingCommand() { --*alive; }
    uint8_t* frame() { return bytes.data(); }
    int frameSize() const { return static_cast<int>(bytes.size()); }
    Bytes bytes = makeFrame(0x02A3, {0});
    int* alive;
};

struct PlainListener : DevListener {
    void onDevEvent(const DevEvent*) override {}
};

} // namespace

class TestDevModel : public QObject {
    Q_OBJECT
private slots:
    void init();

    void setEmptyNameStoresNothing();
    void setTwiceKeepsPointerAndSecondValue();
    void getAndRemove();
    void splitAndJoinKeys();
    void listenersCalledInSetOrderAfterStore();
    void iterationInKeyOrder();

    void ackPrinterLine();
    void ackPrinterSilentIds();
    void ackPrinterIgnoresConnectEvents();
    void ackPrinterSwitchedOff();
    void singletonExPublishesCompleteObject();

    void dataCacheLayout();
    void dataCacheStartsZeroFilled();

    void listenerStartsOnCurrentDevIo();
    void sendWritesAndOptionallyDeletes();
};

void TestDevModel::init()
{
    devModel().clear();
}

void TestDevModel::setEmptyNameStoresNothing()
{
    // The model keeps its listeners for the whole process: so must the test.
    static std::vector<std::pair<const void*, std::wstring>> calls;
    static RecordingListener listener(&calls);
    calls.clear();
    devModel().addModelListener(&listener);
    devModel().set(L"", L"name", u32(1));
    devModel().set(L"group", L"", u32(1));
    QVERIFY(devModel().all().empty());
    QVERIFY(calls.empty());
    QVERIFY(devModel().find(L"", L"") == nullptr);
    devModel().set(L"g", L"n", u32(1));
    QCOMPARE(calls.size(), size_t(1));
}

void TestDevModel::setTwiceKeepsPointerAndSecondValue()
{
    devModel().set(L"MC", L"version", u32(1));
    DevValue* first = devModel().find(L"MC", L"version");
    QVERIFY(first);
    devModel().set(L"MC", L"version", u32(2));
    DevValue* second = devModel().find(L"MC", L"version");
    QCOMPARE(second, first);
    uint32_t v = 0;
    std::memcpy(&v, second->raw, 4);
    QCOMPARE(v, uint32_t(2));
    QCOMPARE(devModel().all().size(), size_t(1));
    // Other keys do not move the stored value.
    for (int i = 0; i < 100; ++i)
        devModel().set(L"G" + std::to_wstring(i), L"x", u32(static_cast<uint32_t>(i)));
    QCOMPARE(devModel().find(L"MC", L"version"), first);
}

void TestDevModel::getAndRemove()
{
    DevValue out = u32(77);
    devModel().get(L"none", L"here", out);
    QCOMPARE(out.type, 0);
    QCOMPARE(out.raw[0], uint8_t(0));

    DevValue stored = u32(5);
    stored.bytes = {9, 8};
    devModel().set(L"a", L"b", stored);
    devModel().get(L"a", L"b", out);
    QCOMPARE(out.type, TypeInt32u);
    QCOMPARE(out.raw[0], uint8_t(5));
    QCOMPARE(out.bytes, stored.bytes);

    devModel().remove(L"a", L"b");
    QVERIFY(devModel().find(L"a", L"b") == nullptr);
    devModel().remove(L"", L"b"); // nothing, no crash
}

void TestDevModel::splitAndJoinKeys()
{
    QVERIFY(DevModel::joinKey(L"MC", L"hw") == L"MC/hw");
    auto [g, n] = DevModel::splitKey(L"header");
    QVERIFY(g == L"header" && n == L"header");
    std::tie(g, n) = DevModel::splitKey(L"a/b/c");
    QVERIFY(g == L"a" && n == L"b/c");
    std::tie(g, n) = DevModel::splitKey(L"/x");
    QVERIFY(g.empty() && n == L"x");
    // A stored key splits back into what set() was given.
    devModel().set(L"grp", L"na/me", u32(3));
    const auto& key = devModel().all().begin()->first;
    std::tie(g, n) = DevModel::splitKey(key);
    QVERIFY(devModel().find(g, n) != nullptr);
}

void TestDevModel::listenersCalledInSetOrderAfterStore()
{
    static std::vector<std::pair<const void*, std::wstring>> calls;
    calls.clear();
    static RecordingListener pair[2] = {RecordingListener(nullptr), RecordingListener(nullptr)};
    for (auto& l : pair) {
        l.log = &calls;
        l.seenStored = false;
    }
    // Registered in reverse address order, registered twice: called once
    // each, in the set's (address) order.
    devModel().addModelListener(&pair[1]);
    devModel().addModelListener(&pair[0]);
    devModel().addModelListener(&pair[1]);
    devModel().addModelListener(nullptr);
    devModel().set(L"grp", L"val", u32(42));
    std::vector<std::pair<const void*, std::wstring>> ours;
    for (const auto& c : calls)
        if (c.first == &pair[0] || c.first == &pair[1])
            ours.push_back(c);
    QCOMPARE(ours.size(), size_t(2));
    QCOMPARE(ours[0].first, static_cast<const void*>(&pair[0]));
    QCOMPARE(ours[1].first, static_cast<const void*>(&pair[1]));
    QVERIFY(ours[0].second == L"grp/val");
    QVERIFY(pair[0].seenStored && pair[1].seenStored);
}

void TestDevModel::iterationInKeyOrder()
{
    devModel().set(L"b", L"x", u32(1));
    devModel().set(L"a", L"y", u32(2));
    devModel().set(L"B", L"z", u32(3));
    std::vector<std::wstring> keys;
    for (const auto& [k, v] : devModel().all())
        keys.push_back(k);
    QCOMPARE(keys.size(), size_t(3));
    QVERIFY(keys[0] == L"B/z" && keys[1] == L"a/y" && keys[2] == L"b/x"); // code-unit order
}

void TestDevModel::ackPrinterLine()
{
    DevAckID printer;
    const Bytes ack = record(makeAck(0x0101, 0x00, {}));
    const Bytes report = record(makeAck(0x02a4, 0xAB, Bytes(16, 0)));
    DevEvent ev{EvFrame, ack.data()};
    DevEvent ev2{EvFrame, report.data()};
    LogCapture cap;
    const int n = kzo::log::sequence();
    printer.onDevEvent(&ev);
    printer.onDevEvent(&ev2);
    QCOMPARE(cap.bytes(), "[RECV     @ " + QByteArray::number(n).rightJustified(4, ' ') + "] ID : 0x0101  result 0x00\n"
            + logHeader("RECV", n + 1) + "ID : 0x02A4  result 0xAB\n");
}

void TestDevModel::ackPrinterSilentIds()
{
    DevAckID printer;
    LogCapture cap;
    for (uint16_t id : {0x0222, 0x021D, 0x0245, 0x0281, 0x0284, 0x0602, 0x0FA5}) {
        const Bytes rec = record(makeAck(id, 0, Bytes(4, 0)));
        DevEvent ev{EvFrame, rec.data()};
        printer.onDevEvent(&ev);
    }
    QVERIFY(cap.bytes().isEmpty());
    const Bytes rec = record(makeAck(0x0246, 1, {}));
    DevEvent ev{EvFrame, rec.data()};
    printer.onDevEvent(&ev);
    QVERIFY(cap.bytes().endsWith("ID : 0x0246  result 0x01\n"));
}

void TestDevModel::ackPrinterIgnoresConnectEvents()
{
    DevAckID printer;
    LogCapture cap;
    const int n = kzo::log::sequence();
    DevEvent connected{EvConnected, nullptr};
    DevEvent disconnected{EvDisconnected, nullptr};
    printer.onDevEvent(&connected);
    printer.onDevEvent(&disconnected);
    printer.onDevEvent(nullptr);
    QVERIFY(cap.bytes().isEmpty());
    QCOMPARE(kzo::log::sequence(), n);
}

void TestDevModel::ackPrinterSwitchedOff()
{
    DevAckID printer;
    QVERIFY(printer.printAcks.load());
    printer.printAcks = false;
    const Bytes rec = record(makeAck(0x0101, 0, {}));
    DevEvent ev{EvFrame, rec.data()};
    LogCapture cap;
    printer.onDevEvent(&ev);
    QVERIFY(cap.bytes().isEmpty());
    printer.printAcks = true;
    printer.onDevEvent(&ev);
    QVERIFY(cap.bytes().contains("ID : 0x0101  result 0x00"));
}

void TestDevModel::singletonExPublishesCompleteObject()
{
    // DevAckID's SingletonEx base is its second base: the published pointer
    // must be the complete object, not the base sub-object.
    auto first = std::make_unique<DevAckID>();
    QCOMPARE(SingletonEx<DevAckID>::instance(), first.get());
    QCOMPARE(static_cast<DevListener*>(SingletonEx<DevAckID>::instance()), static_cast<DevListener*>(first.get()));
    const DevAckID* gone = nullptr;
    {
        DevAckID local;
        gone = &local;
        QCOMPARE(SingletonEx<DevAckID>::instance(), &local);
        SingletonEx<DevAckID>::instance()->printAcks = false;
        QVERIFY(!local.printAcks.load());
    }
    // An instance that went away is never handed out afterwards.
    QVERIFY(SingletonEx<DevAckID>::instance() != gone);
    first.reset();
    QVERIFY(SingletonEx<DevAckID>::instance() == nullptr);
}

void TestDevModel::dataCacheLayout()
{
    // Block sizes in order, as the device sends them (block 1 is separate).
    const int sizes[] = {8, 2, 99, 28, 35, 6, 33, 20, 29, 2, 42, 4, 2, 4, 100, 14, 3, 54, 48, 32, 12, 20, 8, 40, 23,
        11, 23, 20, 66, 5, 6, 8, 1, 6, 8};
#define KZO_BLOCK(n) std::pair<size_t, size_t>(offsetof(DataBlocks, block##n), sizeof(DataBlocks::block##n))
    const std::pair<size_t, size_t> actual[] = {KZO_BLOCK(2), KZO_BLOCK(3), KZO_BLOCK(4), KZO_BLOCK(5), KZO_BLOCK(6),
        KZO_BLOCK(7), KZO_BLOCK(8), KZO_BLOCK(9), KZO_BLOCK(10), KZO_BLOCK(11), KZO_BLOCK(12), KZO_BLOCK(13),
        KZO_BLOCK(14), KZO_BLOCK(15), KZO_BLOCK(16), KZO_BLOCK(17), KZO_BLOCK(18), KZO_BLOCK(19), KZO_BLOCK(20),
        KZO_BLOCK(21), KZO_BLOCK(22), KZO_BLOCK(23), KZO_BLOCK(24), KZO_BLOCK(25), KZO_BLOCK(26), KZO_BLOCK(27),
        KZO_BLOCK(28), KZO_BLOCK(29), KZO_BLOCK(30), KZO_BLOCK(31), KZO_BLOCK(32), KZO_BLOCK(33), KZO_BLOCK(34),
        KZO_BLOCK(35), KZO_BLOCK(36)};
#undef KZO_BLOCK
    size_t offset = 0;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        QCOMPARE(actual[i].first, offset);
        QCOMPARE(actual[i].second, size_t(sizes[i]));
        offset += static_cast<size_t>(sizes[i]);
    }
    QCOMPARE(offsetof(DataBlocks, startupDone), offset);
    QCOMPARE(sizeof(DataBlocks), offset + 4);
    QCOMPARE(sizeof(FirstBlock::head) + sizeof(FirstBlock::tail), size_t(31));
}

void TestDevModel::dataCacheStartsZeroFilled()
{
    // Built over memory full of 0xA5, as a heap or stack copy would find it.
    alignas(GlobalDataCache) unsigned char storage[sizeof(GlobalDataCache)];
    std::memset(storage, 0xA5, sizeof storage);
    auto* fresh = new (storage) GlobalDataCache;
    const auto* p = reinterpret_cast<const uint8_t*>(&fresh->blocks);
    for (size_t i = 0; i < sizeof(DataBlocks); ++i)
        QVERIFY2(p[i] == 0, qPrintable(QString::number(i)));
    for (uint8_t b : fresh->first.head)
        QCOMPARE(b, uint8_t(0));
    for (uint8_t b : fresh->first.tail)
        QCOMPARE(b, uint8_t(0));
    QVERIFY(fresh->first.text.empty());
    fresh->~GlobalDataCache();
}

void TestDevModel::listenerStartsOnCurrentDevIo()
{
    QCOMPARE(currentDevIo, static_cast<DevIo*>(&nullDevIo()));
    PlainListener onNull;
    QCOMPARE(onNull.io, currentDevIo);
    // Writing through the null device sends nothing and fails.
    int alive = 0;
    CountingCommand cmd(&alive);
    QVERIFY(!onNull.send(cmd));
    QVERIFY(!nullDevIo().reconnect());

    FakeDevIo rec;
    DevIo* saved = currentDevIo;
    currentDevIo = &rec;
    PlainListener onRec;
    currentDevIo = saved;
    QCOMPARE(onRec.io, static_cast<DevIo*>(&rec));
    QCOMPARE(onNull.io, static_cast<DevIo*>(&nullDevIo())); // earlier listeners keep theirs
}

void TestDevModel::sendWritesAndOptionallyDeletes()
{
    FakeDevIo rec;
    PlainListener l;
    l.io = &rec;
    int alive = 0;
    auto cmd = std::make_unique<CountingCommand>(&alive);
    const Bytes frame = cmd->bytes;
    QVERIFY(l.send(cmd, false));
    QVERIFY(cmd != nullptr);
    QCOMPARE(alive, 1);
    rec.writeResult = false;
    QVERIFY(!l.send(cmd, true)); // the write's result is returned ...
    QVERIFY(cmd == nullptr);     // ... and the command is gone anyway
    QCOMPARE(alive, 0);
    QCOMPARE(rec.written().size(), size_t(2));
    QCOMPARE(rec.written()[0], frame);
    QCOMPARE(rec.written()[1], frame);
    QVERIFY(!l.send(cmd, true)); // nothing to send
    QCOMPARE(rec.written().size(), size_t(2));
    l.io = nullptr;
    auto another = std::make_unique<CountingCommand>(&alive);
    QVERIFY(!l.send(another, true));
    QCOMPARE(alive, 0);
}

QTEST_APPLESS_MAIN(TestDevModel)
#include "test_dev_model.moc"
