// Whether the screens the core works with lie where Qt places windows. The core's screens come
// from the system adapter, scaled uniformly by one factor; Qt 6 scales each screen's size but
// keeps its origin in device pixels. Both agree with one monitor, or at a scale of 1, and
// then overlays land where the core puts them; otherwise overlays on the other monitors would
// be misplaced, which the program says in its log.
#pragma once

#include "platform/screen_list.h"

#include <QRect>

#include <optional>
#include <string>
#include <vector>

namespace halomark::qt {

// A description of the first of the core's screens that has no Qt screen of the same frame
// (in Qt's top-left logical coordinates, to within a point); nothing when all agree.
std::optional<std::string> screenDisagreement(const std::vector<Screen>& coreScreens,
                                              const std::vector<QRect>& qtScreens);

// The same for the screens Qt knows now.
std::optional<std::string> screenDisagreement(const std::vector<Screen>& coreScreens);

} // namespace halomark::qt
