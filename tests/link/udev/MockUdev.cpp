#include "MockUdev.h"

#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kzo::test {

namespace {

constexpr const char* usbBus = "/devices/pci0000:00/0000:00:14.0/usb1";
constexpr const char* platformSerial = "/devices/platform/serial8250";

std::string major(const std::string& tty)
{
    if (tty.rfind("ttyACM", 0) == 0)
        return "166";
    if (tty.rfind("ttyUSB", 0) == 0)
        return "188";
    return "4";
}

std::string minor(const std::string& tty)
{
    size_t i = tty.size();
    while (i > 0 && tty[i - 1] >= '0' && tty[i - 1] <= '9')
        --i;
    return i < tty.size() ? tty.substr(i) : "0";
}

// Runs every request on the node for real, on the pty behind it.
gboolean passThrough(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer)
{
    int err = 0;
    GError* failure = nullptr;
    long result = umockdev_ioctl_client_execute(client, &err, &failure);
    if (failure) {
        g_error_free(failure);
        result = -1;
        err = EIO;
    }
    umockdev_ioctl_client_complete(client, result, err);
    return TRUE;
}

} // namespace

std::string UsbSerial::usbPath() const
{
    return usbPort > 0 ? std::string(usbBus) + "/1-" + std::to_string(usbPort) : std::string();
}

std::string UsbSerial::ttyPath() const
{
    if (usbPort <= 0)
        return std::string(platformSerial) + "/tty/" + tty;
    return usbPath() + "/1-" + std::to_string(usbPort) + ":1.0/tty/" + tty;
}

MockUdev::MockUdev()
{
    bed_ = umockdev_testbed_new();
    if (!bed_)
        return;
    gchar* root = umockdev_testbed_get_root_dir(bed_);
    root_ = root ? root : "";
    g_free(root);
    ttyIoctls_ = umockdev_ioctl_base_new();
    g_signal_connect(ttyIoctls_, "handle-ioctl", G_CALLBACK(passThrough), nullptr);
}

MockUdev::~MockUdev()
{
    for (auto& [node, fd] : ownMasters_)
        if (fd >= 0)
            ::close(fd);
    for (int fd : retired_)
        ::close(fd);
    // The test bed closes the masters it made and removes its folder.
    if (bed_)
        g_object_unref(bed_);
    if (ttyIoctls_)
        g_object_unref(ttyIoctls_);
}

bool MockUdev::active() const
{
    struct stat mocked{};
    struct stat seen{};
    return bed_ && ::stat((root_ + "/sys").c_str(), &mocked) == 0 && ::stat("/sys", &seen) == 0
        && mocked.st_ino == seen.st_ino && mocked.st_dev == seen.st_dev;
}

bool MockUdev::plug(const UsbSerial& d, std::string* error)
{
    // A node name seen before keeps the test bed's first pty: a second one is
    // made here and linked in its place.
    const bool reused = namesUsed_.count(d.tty) != 0;
    std::string text;
    if (d.usbPort > 0) {
        text += "P: " + d.usbPath() + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n"
            + "A: idVendor=" + d.vendorId + "\nA: idProduct=" + d.productId + "\nA: product=" + d.product
            + "\nA: busnum=1\nA: devnum=" + std::to_string(d.usbPort + 1) + "\n\n";
        const std::string iface = d.usbPath() + "/1-" + std::to_string(d.usbPort) + ":1.0";
        text += "P: " + iface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nE: DRIVER=cdc_acm\n"
            + "A: bInterfaceClass=02\nA: bInterfaceNumber=00\n\n";
    }
    text += "P: " + d.ttyPath() + "\n";
    if (!reused)
        text += "N: " + d.tty + "\n";
    text += "E: SUBSYSTEM=tty\nE: DEVNAME=" + d.node() + "\nE: MAJOR=" + major(d.tty) + "\nE: MINOR=" + minor(d.tty)
        + "\nA: dev=" + major(d.tty) + ":" + minor(d.tty) + "\n";

    // The requests go to the pty from the first open on, and a finder that
    // is running may open the node as soon as it exists.
    GError* attachFailure = nullptr;
    if (!umockdev_testbed_attach_ioctl(bed_, d.node().c_str(), ttyIoctls_, &attachFailure)) {
        if (error)
            *error = attachFailure ? attachFailure->message : "attach_ioctl failed";
        if (attachFailure)
            g_error_free(attachFailure);
        return false;
    }
    attached_[d.node()] = true;
    GError* err = nullptr;
    if (!umockdev_testbed_add_from_string(bed_, text.c_str(), &err)) {
        if (error)
            *error = err ? err->message : "add_from_string failed";
        if (err)
            g_error_free(err);
        return false;
    }
    namesUsed_[d.tty] = true;
    if (!reused) {
        const int master = umockdev_testbed_get_dev_fd(bed_, d.node().c_str());
        bedMasters_[d.node()] = master;
        char target[256] = {};
        if (master >= 0 && ::readlink((root_ + "/dev/" + d.tty).c_str(), target, sizeof target - 1) > 0) {
            ptys_[master] = target;
            ptysUsed_.insert(target);
        }
        return master >= 0;
    }

    // A node made anew is another file: a pty whose number was used here
    // before would give it the old node's identity, so such ones are kept
    // out of the way (open, unused) until the test bed goes.
    int master = -1;
    char name[128] = {};
    for (;;) {
        int slave = -1;
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
            if (error)
                *error = "openpty failed";
            return false;
        }
        ::close(slave);
        if (ptysUsed_.insert(name).second)
            break;
        retired_.push_back(master);
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    const std::string link = root_ + "/dev/" + d.tty;
    ::unlink(link.c_str());
    if (::symlink(name, link.c_str()) != 0) {
        ::close(master);
        if (error)
            *error = "cannot link " + link;
        return false;
    }
    // A master still open from the node's last life stays open (its tty
    // side may still be held) until the test bed goes.
    if (auto old = ownMasters_.find(d.node()); old != ownMasters_.end())
        retired_.push_back(old->second);
    bedMasters_.erase(d.node());
    ownMasters_[d.node()] = master;
    ptys_[master] = name;
    return true;
}

void MockUdev::announce(const UsbSerial& d, const char* action)
{
    umockdev_testbed_uevent(bed_, ("/sys" + d.ttyPath()).c_str(), action);
}

int MockUdev::master(const UsbSerial& d) const
{
    if (auto own = ownMasters_.find(d.node()); own != ownMasters_.end())
        return own->second;
    auto bed = bedMasters_.find(d.node());
    return bed != bedMasters_.end() ? bed->second : -1;
}

void MockUdev::closeMaster(const std::string& node)
{
    if (auto own = ownMasters_.find(node); own != ownMasters_.end()) {
        hangUpFd(own->second);
        retired_.push_back(own->second);
        ownMasters_.erase(own);
        return;
    }
    auto bed = bedMasters_.find(node);
    if (bed == bedMasters_.end() || bed->second < 0)
        return;
    hangUpFd(bed->second);
    bedMasters_.erase(bed);
}

void MockUdev::hangUpFd(int fd)
{
    // The test bed closes its masters itself when it goes: the descriptor
    // number stays valid (now on /dev/null) while the pty's last master
    // reference goes, which hangs the tty up.
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, fd);
        ::close(null);
    }
    // The test bed notes which pty stands for which device number and never
    // forgets it; the pty's number is free again now and the next node may
    // get it.
    if (auto pty = ptys_.find(fd); pty != ptys_.end()) {
        std::string key = pty->second;
        std::replace(key.begin(), key.end(), '/', '_');
        ::unlink((root_ + "/dev/.ptymap/" + key).c_str());
        ptys_.erase(pty);
    }
}

bool MockUdev::replugQuietly(const UsbSerial& d, std::string* error)
{
    const int old = master(d);
    // Set aside, so the unplug and plug below leave it open; one made here
    // is closed at the end, the test bed's by the test bed.
    if (ownMasters_.erase(d.node()) != 0)
        retired_.push_back(old);
    bedMasters_.erase(d.node());
    unplug(d, false, false);
    const bool ok = plug(d, error);
    if (old >= 0)
        hangUpFd(old);
    return ok;
}

void MockUdev::unplug(const UsbSerial& d, bool hangUp, bool announce)
{
    if (hangUp)
        closeMaster(d.node());
    // Enumeration walks the class folder: without its entry the tty is gone
    // for a scan, while its own folder still describes it for the uevent.
    ::unlink((root_ + "/sys/class/tty/" + d.tty).c_str());
    if (announce)
        this->announce(d, "remove");
    umockdev_testbed_remove_device(bed_, ("/sys" + d.ttyPath()).c_str());
    if (d.usbPort > 0) {
        umockdev_testbed_remove_device(bed_, ("/sys" + d.usbPath() + "/1-" + std::to_string(d.usbPort) + ":1.0").c_str());
        umockdev_testbed_remove_device(bed_, ("/sys" + d.usbPath()).c_str());
    }
    ::unlink((root_ + "/dev/" + d.tty).c_str());
    if (attached_.erase(d.node()) != 0)
        umockdev_testbed_detach_ioctl(bed_, d.node().c_str(), nullptr);
}

bool MockUdev::setNodeMode(const UsbSerial& d, mode_t mode)
{
    // The node is a link to the pty; chmod follows it.
    return ::chmod((root_ + "/dev/" + d.tty).c_str(), mode) == 0;
}

} // namespace kzo::test
