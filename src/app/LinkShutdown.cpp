#include "app/LinkShutdown.h"

#include "link/SimpleDevIo.h"

namespace kzo::app {

void shutDownLink(orb::SimpleDevIo& io, std::initializer_list<orb::DevListener*> listeners)
{
    // Closing reports a disconnection to every listener: only a link that is
    // still up may have one more.
    if (!io.connectedPort().empty())
        io.close();
    for (orb::DevListener* l : listeners)
        io.removeListener(l);
}

} // namespace kzo::app
