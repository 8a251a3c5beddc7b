#include "platform/color.h"

namespace halomark {

std::optional<Color> Color::usingDeviceRGB() const
{
    if (space == ColorSpace::pattern) {
        return std::nullopt;
    }
    return Color{ColorSpace::deviceRGB, red, green, blue, alpha};
}

} // namespace halomark
