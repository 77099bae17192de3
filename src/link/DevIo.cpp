#include "link/DevIo.h"

namespace orb {

NullDevIo& nullDevIo()
{
    static NullDevIo instance;
    return instance;
}

} // namespace orb

orb::DevIo* currentDevIo = &orb::nullDevIo();
