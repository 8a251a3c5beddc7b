#include "xdg/system_error.h"

#include <cstring>

namespace halomark::xdg {

std::string describeError(int errorNumber)
{
    if (const char* description = ::strerrordesc_np(errorNumber)) {
        return description;
    }
    return "error " + std::to_string(errorNumber);
}

} // namespace halomark::xdg
