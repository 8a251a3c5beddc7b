// Screens for tests: displays are plugged, unplugged and rearranged by the test, which can
// also choose the main screen (by default the first one).
#pragma once

#include "platform/screen_list.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimScreenList final : public ScreenList
{
public:
    // Control surface. A changed arrangement notifies the handler at once, as a display
    // reconfiguration would.
    void setScreens(std::vector<Screen> value)
    {
        all = std::move(value);
        notify();
    }
    void plug(const Screen& screen)
    {
        all.push_back(screen);
        notify();
    }
    void unplug(DisplayIdentifier identifier)
    {
        std::erase_if(all, [&](const Screen& s) { return displayIdentifier(s) == identifier; });
        notify();
    }
    // Chooses the main screen by identifier; nothing means "the first screen, if any".
    void setMainScreen(std::optional<DisplayIdentifier> identifier) { mainIdentifier = identifier; }
    // Makes mainScreen() answer nothing, as a system with no key screen does.
    void setNoMainScreen(bool value) { noMainScreen = value; }

    // A plain display at the given frame; the usable frame is the frame less a 24-point bar
    // at the top unless given.
    static Screen makeScreen(std::uint32_t number, Rect frame, double scale = 1.0,
                             std::optional<Rect> visible = std::nullopt)
    {
        Screen screen;
        screen.frame = frame;
        screen.visibleFrame =
            visible.value_or(Rect{frame.minX(), frame.minY(), frame.width(), frame.height() - 24});
        screen.screenNumber = number;
        screen.objectIdentity = 0x1000u + number;
        screen.backingScaleFactor = scale;
        return screen;
    }

    int changeNotificationCount() const { return notifications; }

    // ScreenList.
    std::vector<Screen> screens() override { return all; }
    std::optional<Screen> mainScreen() override
    {
        if (noMainScreen) {
            return std::nullopt;
        }
        for (const Screen& screen : all) {
            if (!mainIdentifier || displayIdentifier(screen) == *mainIdentifier) {
                return screen;
            }
        }
        return std::nullopt;
    }
    void setChangeHandler(std::function<void()> handler) override
    {
        changeHandler = std::move(handler);
    }

private:
    void notify()
    {
        ++notifications;
        if (changeHandler) {
            changeHandler();
        }
    }

    std::vector<Screen> all;
    std::optional<DisplayIdentifier> mainIdentifier;
    bool noMainScreen = false;
    std::function<void()> changeHandler;
    int notifications = 0;
};

} // namespace halomark::sim
