#include "qt/qt_coordinates.h"

namespace halomark::qt {

QtCoordinates QtCoordinates::global(const std::vector<Screen>& screens)
{
    return QtCoordinates(screens.empty() ? 0.0 : screens.front().frame.maxY());
}

} // namespace halomark::qt
