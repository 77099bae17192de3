#pragma once
// A mocked sysfs, udev and /dev (umockdev) holding USB serial adapters as
// the kernel shows them: a USB device with its product string, its interface
// and a tty whose device node is backed by a pseudo-terminal. The test plays
// the device on the pty's master side. The node answers the tty requests
// (queued-byte count, exclusive mode, line settings, flushes) as the pty
// behind it does, as a real tty would; left to itself the test bed answers
// only the line settings. Needs the process to run under
// umockdev-wrapper. glib stays out of this header, so Qt code can include it.
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;

namespace kzo::test {

struct UsbSerial {
    int usbPort = 1; // the adapter sits at /sys/devices/.../usb1/1-<usbPort>
    std::string product; // the USB product string
    std::string vendorId = "0483";
    std::string productId = "5740";
    std::string tty = "ttyACM0"; // kernel name, and the node under /dev

    std::string node() const { return "/dev/" + tty; }
    std::string usbPath() const;
    std::string ttyPath() const;
};

class MockUdev {
public:
    MockUdev();
    ~MockUdev();
    MockUdev(const MockUdev&) = delete;
    MockUdev& operator=(const MockUdev&) = delete;

    // Whether the process sees the mocked sysfs (it runs under the preload).
    bool active() const;

    // Adds the adapter to sysfs with a pty behind its node. No uevent: the
    // adapter is there as if it had been plugged in before anyone looked.
    bool plug(const UsbSerial& d, std::string* error = nullptr);
    // Tells udev listeners about the adapter's tty ("add", "remove", "change").
    void announce(const UsbSerial& d, const char* action);
    // The device side of the adapter's node; −1 when it has none.
    int master(const UsbSerial& d) const;

    // An unplug: with hangUp the tty hangs up first, as the USB serial driver
    // does; the adapter then leaves sysfs, and with announce its tty's
    // "remove" uevent follows (sent while the node is still described, as the
    // kernel's is, but after enumeration no longer lists it).
    void unplug(const UsbSerial& d, bool hangUp, bool announce);
    // Out and in again at the same node, without uevents: the adapter leaves
    // sysfs and comes back with a new node and pty, and only then does the
    // old tty hang up.
    bool replugQuietly(const UsbSerial& d, std::string* error = nullptr);

    // Changes the mode of the pty behind the node.
    bool setNodeMode(const UsbSerial& d, mode_t mode);

private:
    void closeMaster(const std::string& node);
    void hangUpFd(int fd);

    _UMockdevTestbed* bed_ = nullptr;
    _UMockdevIoctlBase* ttyIoctls_ = nullptr;
    std::map<std::string, bool> attached_;
    std::string root_;
    // Nodes the test bed made (it keeps their masters) and nodes made here
    // when a node name comes back (the test bed makes one pty per name).
    std::map<std::string, int> bedMasters_;
    std::map<std::string, int> ownMasters_;
    std::map<std::string, bool> namesUsed_;
    std::vector<int> retired_;
    std::map<int, std::string> ptys_; // master → its tty side's path
    std::set<std::string> ptysUsed_;
};

} // namespace kzo::test
