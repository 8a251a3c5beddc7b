// Keeps Qt's screens in the device pixels that the overlays are placed in. Qt 6 scales each
// screen by its own factor but keeps the screen's origin in device pixels, so at a scale other
// than 1 its logical coordinates are not one space across monitors, cannot name every device
// pixel, and do not follow a scale that changes while the program runs. The overlays are
// therefore placed and drawn in device pixels, scaled by the system adapter's own factor, and
// Qt runs without its scaling; text in menus and dialogs still grows with the display's
// resolution setting, which Qt reads as the screens' logical DPI.
#pragma once

#include <QByteArray>

#include <optional>
#include <string>
#include <vector>

namespace halomark::qt {

// Turns Qt's own scaling off, for every way the environment can ask for it, while it lives:
// make one before the application object and restore the environment once that exists (Qt
// reads it only then), so that programs started later scale as they would anyway.
class DevicePixelEnvironment
{
public:
    DevicePixelEnvironment();
    ~DevicePixelEnvironment() { restore(); }
    DevicePixelEnvironment(const DevicePixelEnvironment&) = delete;
    DevicePixelEnvironment& operator=(const DevicePixelEnvironment&) = delete;

    void restore();

private:
    struct Saved
    {
        const char* name;
        std::optional<QByteArray> value;
    };
    std::vector<Saved> saved;
};

// A description of the first of Qt's screens that Qt scales (a device pixel ratio other than
// 1); nothing when Qt works in device pixels on every screen, as the overlays need.
std::optional<std::string> scaledScreen();

} // namespace halomark::qt
