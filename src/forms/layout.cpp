#include "forms/layout.h"

#include "core/product.h"

namespace lumiroka::layout {

std::string versionText()
{
    return std::string(kProductName) + " Ver." + kVersion;
}

} // namespace lumiroka::layout
