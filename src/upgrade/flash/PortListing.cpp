#include "upgrade/flash/PortListing.h"

#include "link/PathText.h"
#include "link/PortAccessAdvice.h"
#include "link/UdevPorts.h"

#include <climits>
#include <cstdlib>
#include <libudev.h>
#include <memory>
#include <sys/stat.h>

namespace kzo::flash {

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

std::string attr(udev_device* d, const char* name)
{
    const char* v = d ? udev_device_get_sysattr_value(d, name) : nullptr;
    return v ? v : "";
}

// The USB device above a tty: its product string and serial number.
void fillUsbFacts(udev* u, udev_device* tty, PortReport& r)
{
    if (!u || !tty)
        return;
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
    r.product = attr(usb, "product");
    r.serial = attr(usb, "serial");
}

std::string realPath(const std::string& path)
{
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

void probe(PortReport& r)
{
    const std::string real = realPath(r.path);
    if (!real.empty() && real != r.path)
        r.node = real;
    r.access = probeAccess(r.path);
    r.holders = holdersOf(r.path);
}

std::string orDash(const std::string& s) { return s.empty() ? "-" : s; }

std::string accessLine(const PortReport& r)
{
    switch (r.access.access) {
    case Access::Ok: return "yes";
    case Access::Denied: return "no (" + r.access.detail + ")";
    case Access::Missing: return "no (" + r.access.detail + ")";
    case Access::Busy: return "yes, but it is in use";
    case Access::NotSerial: return "yes, but " + r.access.detail;
    case Access::Error: return "no (" + r.access.detail + ")";
    }
    return "?";
}

std::string busyLine(const PortReport& r)
{
    std::string line;
    if (r.access.access == Access::Busy)
        line = "yes: " + r.access.detail;
    else if (r.holders.empty())
        return "no";
    else
        line = "open in another program";
    if (!r.holders.empty()) {
        line += "; held by";
        for (size_t i = 0; i < r.holders.size(); ++i)
            line += (i ? ", " : " ") + std::to_string(r.holders[i].pid) + " (" + orDash(r.holders[i].command) + ")";
    }
    return line;
}

} // namespace

std::vector<PortReport> listPorts(const std::vector<std::string>& named, bool useUdev)
{
    std::vector<PortReport> out;
    std::unique_ptr<udev, UdevUnref> u(udev_new());
    if (useUdev) {
        kzo::link::UdevPorts ports;
        for (const ComDevice& d : ports.enumerate()) {
            PortReport r;
            r.path = kzo::link::toPath(d.portName);
            std::unique_ptr<udev_device, UdevUnref> tty(
                u ? udev_device_new_from_syspath(u.get(), kzo::link::toPath(d.symbolicName).c_str()) : nullptr);
            fillUsbFacts(u.get(), tty.get(), r);
            probe(r);
            out.push_back(std::move(r));
        }
    }
    for (const std::string& path : named) {
        const std::string real = realPath(path);
        bool seen = false;
        for (const PortReport& r : out)
            seen = seen || r.path == path || (!real.empty() && realPath(r.path) == real);
        if (seen)
            continue;
        PortReport r;
        r.path = path;
        r.named = true;
        // A named USB tty still shows what it is.
        struct stat st {};
        if (u && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) {
            std::unique_ptr<udev_device, UdevUnref> tty(udev_device_new_from_devnum(u.get(), 'c', st.st_rdev));
            fillUsbFacts(u.get(), tty.get(), r);
        }
        probe(r);
        out.push_back(std::move(r));
    }
    return out;
}

std::string formatPortList(const std::vector<PortReport>& ports)
{
    if (ports.empty())
        return "No gimbal port found.\n";
    std::string text = std::to_string(ports.size()) + (ports.size() == 1 ? " port:\n" : " ports:\n");
    for (const PortReport& r : ports) {
        text += r.path;
        if (!r.node.empty())
            text += " -> " + r.node;
        if (r.named)
            text += " (named with --port)";
        text += "\n  product: " + orDash(r.product);
        text += "\n  serial:  " + orDash(r.serial);
        text += "\n  access:  " + accessLine(r);
        if (r.access.access == Access::Denied)
            text += "\n  advice:  "
                + kzo::link::portAccessAdvice(QString::fromLocal8Bit(r.path.c_str())).toLocal8Bit().toStdString();
        text += "\n  in use:  " + busyLine(r) + "\n";
    }
    return text;
}

} // namespace kzo::flash
