// The device finder: matching rule, set comparison, explicit ports watched
// through the finder thread, and the command-line options.
#include "app/logging/Log.h"
#include "link/DeviceFinder.h"
#include "link/FinderArgs.h"
#include "link/PathText.h"
#include "link/PortMatch.h"
#include "link/UdevPorts.h"
#include "support/LogCapture.h"

#include <QtTest>

#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Report {
    char kind; // 'A' arrival, 'R' removal
    std::wstring port;
    std::thread::id thread;
};

class RecordingListener : public CommDeviceChangeListener {
public:
    void onCommDeviceArrival(const std::wstring& p) override { add('A', p); }
    void onCommDeviceRemoval(const std::wstring& p) override { add('R', p); }
    std::vector<Report> reports()
    {
        std::lock_guard lock(m);
        return list;
    }
    size_t count()
    {
        std::lock_guard lock(m);
        return list.size();
    }

private:
    void add(char k, const std::wstring& p)
    {
        std::lock_guard lock(m);
        list.push_back({k, p, std::this_thread::get_id()});
    }
    std::mutex m;
    std::vector<Report> list;
};

void touch(const std::string& path)
{
    std::ofstream(path).put('x');
}

std::wstring wide(const std::string& s)
{
    return kzo::link::fromPath(s);
}

// Starts the finder on these ports, reporting to `listener`.
void watch(RecordingListener& listener, std::vector<std::string> ports, bool useUdev = false)
{
    setFinderOptions(FinderOptions{std::move(ports), useUdev});
    setDeviceListener(&listener);
    startDeviceFinder();
}

} // namespace

class FinderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void matchingRule_data();
    void matchingRule();
    void changesAreComparedAsSets();
    void explicitPortsComeAndGo();
    void swapBetweenTwoRescansReportsBoth();
    void nullListenerHearsNothingButFinderKeepsWatching();
    void portOptionsFromTheCommandLine();
    void udevPortsAreDeviceNodes();
    void udevAndExplicitPortsTogether();
    void aNodeReplacedAtTheSamePathIsReportedAgain();
    void aLostPortIsReportedAgainWhileItIsThere();
    void pathsSurviveWideConversion();

private:
    std::string readOutput() const { return log_->text().toStdString(); }
    // A path in this test's folder, created first when `present`.
    std::string port(const char* name, bool present = false) const;
    QTemporaryDir dir_;
    std::unique_ptr<kzo::test::LogCapture> log_;
};

void FinderTest::init()
{
    log_ = std::make_unique<kzo::test::LogCapture>();
    QVERIFY(log_->isOpen());
}

void FinderTest::cleanup()
{
    stopDeviceFinder();
    setDeviceListener(nullptr);
    log_.reset();
    // Forget this test's ports: an empty run with no sources clears the lists.
    setFinderOptions(FinderOptions{{}, false});
    startDeviceFinder();
    QTRY_VERIFY_WITH_TIMEOUT(currentComDevices().empty(), 5000);
    stopDeviceFinder();
}

std::string FinderTest::port(const char* name, bool present) const
{
    const std::string path = dir_.filePath(QString::fromLatin1(name)).toStdString();
    if (present)
        touch(path);
    return path;
}

void FinderTest::matchingRule_data()
{
    QTest::addColumn<QString>("node");
    QTest::addColumn<QString>("product");
    QTest::addColumn<bool>("matches");
    QTest::newRow("maker text") << "/dev/ttyACM0" << "KZO USB Virtual COM" << true;
    QTest::newRow("generic text") << "/dev/ttyACM3" << "USB Virtual COM" << true;
    QTest::newRow("trailing space") << "/dev/ttyACM0" << "USB Virtual COM " << false;
    QTest::newRow("lower case") << "/dev/ttyACM0" << "usb virtual com" << false;
    QTest::newRow("maker lower case") << "/dev/ttyACM0" << "kzo usb virtual com" << false;
    QTest::newRow("leading space") << "/dev/ttyACM0" << " KZO USB Virtual COM" << false;
    QTest::newRow("other device") << "/dev/ttyUSB0" << "FT232R USB UART" << false;
    QTest::newRow("longer text") << "/dev/ttyACM0" << "KZO USB Virtual COM Port" << false;
    QTest::newRow("empty product") << "/dev/ttyACM0" << "" << false;
    QTest::newRow("no device node") << "" << "KZO USB Virtual COM" << false;
}

void FinderTest::matchingRule()
{
    QFETCH(QString, node);
    QFETCH(QString, product);
    QFETCH(bool, matches);
    const std::string sys = "/sys/devices/pci0000:00/usb1/1-1/1-1:1.0/tty/ttyACM0";
    const auto port = kzo::link::matchVirtualComPort(node.toStdString(), sys, product.toStdString());
    QCOMPARE(port.has_value(), matches);
    if (port) {
        QCOMPARE(port->portName, wide(node.toStdString()));
        QCOMPARE(port->symbolicName, wide(sys));
    }
}

void FinderTest::changesAreComparedAsSets()
{
    const ComDevice a{L"sa", L"/dev/ttyACM0"}, b{L"sb", L"/dev/ttyACM1"}, c{L"sc", L"/dev/ttyACM2"};
    // One went, another came: same length, both reported.
    auto swap = diffDevices({a, b}, {a, c});
    QCOMPARE(swap.arrivals, std::vector<ComDevice>{c});
    QCOMPARE(swap.removals, std::vector<ComDevice>{b});
    // Reordering is no change.
    auto same = diffDevices({a, b}, {b, a});
    QVERIFY(same.arrivals.empty() && same.removals.empty());
    // Arrivals keep the new enumeration's order, removals the old one's.
    auto all = diffDevices({b, a}, {c});
    QCOMPARE(all.arrivals, std::vector<ComDevice>{c});
    QCOMPARE(all.removals, (std::vector<ComDevice>{b, a}));
    // Same port name under another symbolic name is another port.
    const ComDevice a2{L"other", L"/dev/ttyACM0"};
    auto renamed = diffDevices({a}, {a2});
    QCOMPARE(renamed.arrivals.size(), size_t(1));
    QCOMPARE(renamed.removals.size(), size_t(1));
}

void FinderTest::explicitPortsComeAndGo()
{
    const std::string p1 = port("portA", true);
    const std::string p2 = port("portB", true);
    RecordingListener listener;
    setFinderOptions(FinderOptions{{p1, p2}, false});
    setDeviceListener(&listener);
    QCOMPARE(listener.count(), size_t(0)); // nothing known before the first rescan
    startDeviceFinder();
    QVERIFY(deviceFinderRunning());

    // Ports present at start: reported at once, in enumeration order, on the finder thread.
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(2), 5000);
    auto r = listener.reports();
    QCOMPARE(r[0].kind, 'A');
    QCOMPARE(r[0].port, wide(p1));
    QCOMPARE(r[1].port, wide(p2));
    QVERIFY(r[0].thread != std::this_thread::get_id());

    ::unlink(p1.c_str());
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(3), 5000);
    r = listener.reports();
    QCOMPARE(r[2].kind, 'R');
    QCOMPARE(r[2].port, wide(p1));

    touch(p1);
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(4), 5000);
    QCOMPARE(listener.reports()[3].kind, 'A');

    // Standard output carries one line per report, exactly.
    const std::string expected = "Comm device arrival :" + p1 + "\n" + "Comm device arrival :" + p2 + "\n"
        + "Comm device remove complete :" + p1 + "\n" + "Comm device arrival :" + p1 + "\n";
    QTRY_COMPARE_WITH_TIMEOUT(readOutput(), expected, 5000);

    // A restarted finder keeps its lists: of the ports present, only the one
    // it was not watching before is new.
    stopDeviceFinder();
    QVERIFY(!deviceFinderRunning());
    const std::string p3 = port("portC", true);
    setFinderOptions(FinderOptions{{p1, p2, p3}, false});
    startDeviceFinder();
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(5), 5000);
    QCOMPARE(listener.reports()[4].kind, 'A');
    QCOMPARE(listener.reports()[4].port, wide(p3));

    // A new listener hears about the present ports at once, on the caller's thread.
    RecordingListener late;
    setDeviceListener(&late);
    const auto lr = late.reports();
    QCOMPARE(lr.size(), size_t(3));
    QCOMPARE(lr[0].kind, 'A');
    QCOMPARE(lr[0].thread, std::this_thread::get_id());
}

void FinderTest::swapBetweenTwoRescansReportsBoth()
{
    const std::string p1 = port("swapA", true);
    const std::string p2 = port("swapB");
    RecordingListener listener;
    watch(listener, {p1, p2});
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(1), 5000);
    // rename() is atomic: every rescan sees exactly one of the two, so the
    // one that went and the one that came always fall between two rescans.
    QCOMPARE(::rename(p1.c_str(), p2.c_str()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(3), 5000);
    const auto r = listener.reports();
    QCOMPARE(r[1].kind, 'A'); // arrivals before removals
    QCOMPARE(r[1].port, wide(p2));
    QCOMPARE(r[2].kind, 'R');
    QCOMPARE(r[2].port, wide(p1));
}

void FinderTest::nullListenerHearsNothingButFinderKeepsWatching()
{
    const std::string p1 = port("quiet");
    RecordingListener listener;
    watch(listener, {p1});
    setDeviceListener(nullptr);
    touch(p1);
    // The finder still notices (its report line appears) but calls nobody.
    QTRY_VERIFY_WITH_TIMEOUT(readOutput().find("Comm device arrival :" + p1) != std::string::npos, 5000);
    QCOMPARE(listener.count(), size_t(0));
    setDeviceListener(&listener);
    QCOMPARE(listener.count(), size_t(1));
    QCOMPARE(listener.reports()[0].port, wide(p1));
}

void FinderTest::udevPortsAreDeviceNodes()
{
    kzo::link::UdevPorts udev;
    const std::vector<ComDevice> ports = udev.enumerate();
    if (ports.empty())
        QSKIP("no USB virtual COM port known to udev on this machine");
    for (const ComDevice& d : ports) {
        struct stat st{};
        QVERIFY(d.portName.starts_with(L"/dev/"));
        QCOMPARE(::stat(kzo::link::toPath(d.portName).c_str(), &st), 0);
        QVERIFY(S_ISCHR(st.st_mode));
        QVERIFY(d.symbolicName.starts_with(L"/sys/"));
    }
}

void FinderTest::udevAndExplicitPortsTogether()
{
    kzo::link::UdevPorts udev;
    // Without a udev daemon there is nothing to listen to: the finder polls.
    if (::access("/run/udev/control", F_OK) != 0)
        QCOMPARE(udev.monitorFd(), -1);

    const std::string p1 = port("withUdev");
    RecordingListener listener;
    watch(listener, {p1}, true);
    touch(p1);
    auto seen = [&] {
        for (const Report& r : listener.reports())
            if (r.kind == 'A' && r.port == wide(p1))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(seen(), 5000);
}

void FinderTest::aNodeReplacedAtTheSamePathIsReportedAgain()
{
    const std::string p1 = port("replaced", true);
    const std::string staged = p1 + ".new";
    RecordingListener listener;
    watch(listener, {p1});
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(1), 5000);
    // Another node takes the path in one step: no rescan can see it missing.
    touch(staged);
    QCOMPARE(::rename(staged.c_str(), p1.c_str()), 0);
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(3), 5000);
    const auto r = listener.reports();
    // The old one goes before the new one comes, so a listener connected to
    // the path is not taken down after it moved to the new node.
    QCOMPARE(r[1].kind, 'R');
    QCOMPARE(r[1].port, wide(p1));
    QCOMPARE(r[2].kind, 'A');
    QCOMPARE(r[2].port, wide(p1));
    const std::string expected = "Comm device arrival :" + p1 + "\n" + "Comm device remove complete :" + p1 + "\n"
        + "Comm device arrival :" + p1 + "\n";
    QTRY_COMPARE_WITH_TIMEOUT(readOutput(), expected, 5000);
}

void FinderTest::aLostPortIsReportedAgainWhileItIsThere()
{
    const std::string p1 = port("lost", true);
    const std::string p2 = port("kept", true);
    RecordingListener listener;
    watch(listener, {p1, p2});
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(2), 5000);
    // The link on p1 hung up although the path is unchanged (a device that
    // reset): the next scan reports it as an arrival again, and only it.
    ComDevice lost{wide(p1), wide(p1)};
    QVERIFY(stampNode(lost, p1));
    // Not the node listed now (the finder saw it replaced already): kept.
    ComDevice stale = lost;
    ++stale.nodeInode;
    comDeviceLost(stale);
    QCOMPARE(currentComDevices().size(), size_t(2));
    comDeviceLost(lost);
    QTRY_COMPARE_WITH_TIMEOUT(listener.count(), size_t(3), 5000);
    QCOMPARE(listener.reports()[2].kind, 'A');
    QCOMPARE(listener.reports()[2].port, wide(p1));
    QCOMPARE(currentComDevices().size(), size_t(2));
}

void FinderTest::portOptionsFromTheCommandLine()
{
    {
        const char* argv[] = {"kzo-console", "--port", "/dev/pts/3", "-v", "--no-udev", "--port=/tmp/x y", "file.txt"};
        const FinderArgs a = parseFinderArgs(7, argv);
        QVERIFY(a.error.empty());
        QCOMPARE(a.options.ports, (std::vector<std::string>{"/dev/pts/3", "/tmp/x y"}));
        QCOMPARE(a.options.useUdev, false);
        QCOMPARE(a.rest, (std::vector<std::string>{"kzo-console", "-v", "file.txt"}));
    }
    {
        const char* argv[] = {"kzo-flash"};
        const FinderArgs a = parseFinderArgs(1, argv);
        QVERIFY(a.error.empty());
        QVERIFY(a.options.ports.empty());
        QCOMPARE(a.options.useUdev, true);
        QCOMPARE(a.rest.size(), size_t(1));
    }
    {
        const char* argv[] = {"kzo-flash", "--port"};
        QVERIFY(!parseFinderArgs(2, argv).error.empty());
        const char* argv2[] = {"kzo-flash", "--port="};
        QVERIFY(!parseFinderArgs(2, argv2).error.empty());
    }
}

void FinderTest::pathsSurviveWideConversion()
{
    const std::string samples[] = {"/dev/ttyACM0", "/tmp/\xE7\xAB\xAF\xE5\x8F\xA3", "/tmp/bad\xFF\xC3", ""};
    for (const std::string& s : samples)
        QCOMPARE(kzo::link::toPath(kzo::link::fromPath(s)), s);
    QCOMPARE(kzo::link::fromPath("/tmp/\xE7\xAB\xAF"), std::wstring(L"/tmp/\u7AEF"));
}

QTEST_GUILESS_MAIN(FinderTest)
#include "FinderTest.moc"
