#include "link/PortMatch.h"

#include "link/PathText.h"

#include <algorithm>

namespace kzo::link {

bool isVirtualComProduct(std::string_view product)
{
    return std::find(std::begin(acceptedProducts), std::end(acceptedProducts), product) != std::end(acceptedProducts);
}

std::optional<ComDevice> matchVirtualComPort(std::string_view devNode, std::string_view sysPath, std::string_view product)
{
    if (devNode.empty() || !isVirtualComProduct(product))
        return std::nullopt;
    return ComDevice{fromPath(std::string(sysPath)), fromPath(std::string(devNode))};
}

} // namespace kzo::link
