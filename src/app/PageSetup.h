#pragma once
// The page containers of this configuration and the pages inside them.
#include <memory>
#include <vector>

class QWidget;
class qMainFrame;
namespace orb {
class DevIo;
class DevListener;
} // namespace orb

namespace kzo::app {

// Builds every container (basic, main parameter, info, tools, upgrade,
// internal, where they exist in this build), adds basic, upgrade and info to
// the window as page tabs and keeps the rest; with `allPages` the rest become
// tabs too, after those three.
class PageSetup {
public:
    explicit PageSetup(qMainFrame& frame, bool allPages = false);
    ~PageSetup();
    PageSetup(const PageSetup&) = delete;
    PageSetup& operator=(const PageSetup&) = delete;

    // Unregisters the pages from the device I/O before they are destroyed.
    void detach(orb::DevIo& io);

private:
    std::vector<orb::DevListener*> listeners;
    // Containers built but not shown in this configuration; the window owns
    // the ones it shows.
    std::vector<std::unique_ptr<QWidget>> unshown;
};

} // namespace kzo::app
