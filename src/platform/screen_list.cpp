#include "platform/screen_list.h"

namespace halomark {

std::optional<Screen> screenContaining(ScreenList& screens, Point point)
{
    for (const Screen& screen : screens.screens()) {
        if (mouseInRect(point, screen.frame)) {
            return screen;
        }
    }
    return screens.mainScreen();
}

Rect flipToBottomLeft(const Rect& topLeftRect, const std::vector<Screen>& screens)
{
    const double top = screens.empty() ? 0.0 : screens.front().frame.maxY();
    return Rect{topLeftRect.minX(), top - (topLeftRect.minY() + topLeftRect.height()),
                topLeftRect.width(), topLeftRect.height()};
}

} // namespace halomark
