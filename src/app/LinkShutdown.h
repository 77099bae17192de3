#pragma once
// The end of the device link at shut-down, once the device finder has
// stopped and before the listeners go away.
#include <initializer_list>

namespace orb {
class DevListener;
class SimpleDevIo;
} // namespace orb

namespace kzo::app {

// Closes the port if it is still open and then unregisters the listeners.
// Closing the window closes the port already, and a device may have gone
// before; either way every listener hears of the disconnection once.
void shutDownLink(orb::SimpleDevIo& io, std::initializer_list<orb::DevListener*> listeners);

} // namespace kzo::app
