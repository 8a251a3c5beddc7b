// Colours with the colour space they are expressed in. Device RGB is the space stored
// settings use; a pattern colour has no RGB components and cannot be converted.
#pragma once

#include <optional>

namespace halomark {

enum class ColorSpace
{
    sRGB,
    deviceRGB,
    calibratedRGB,
    gray,   // one white component in red, green and blue alike
    pattern // an image pattern: no components
};

struct Color
{
    ColorSpace space = ColorSpace::sRGB;
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color sRGB(double r, double g, double b, double a = 1.0)
    {
        return {ColorSpace::sRGB, r, g, b, a};
    }
    static Color sRGB255(int r, int g, int b) { return sRGB(r / 255.0, g / 255.0, b / 255.0); }
    static Color deviceRGB(double r, double g, double b, double a = 1.0)
    {
        return {ColorSpace::deviceRGB, r, g, b, a};
    }
    static Color calibratedRGB(double r, double g, double b, double a = 1.0)
    {
        return {ColorSpace::calibratedRGB, r, g, b, a};
    }
    static Color white(double w, double a = 1.0) { return {ColorSpace::gray, w, w, w, a}; }
    static Color patternColor() { return {ColorSpace::pattern, 0, 0, 0, 1}; }

    static Color whiteColor() { return white(1.0); }
    static Color blackColor() { return white(0.0); }
    static Color clearColor() { return white(0.0, 0.0); }

    // The same colour in device RGB, or nothing for a pattern. The display is taken as an
    // sRGB device, so RGB and gray components carry over unchanged.
    std::optional<Color> usingDeviceRGB() const;

    Color withAlpha(double a) const
    {
        Color copy = *this;
        copy.alpha = a;
        return copy;
    }

    friend bool operator==(const Color&, const Color&) = default;
};

// The standard colours of the light appearance, in sRGB.
namespace system_colors {
inline Color red()
{
    return Color::sRGB255(255, 59, 48);
}
inline Color orange()
{
    return Color::sRGB255(255, 149, 0);
}
inline Color yellow()
{
    return Color::sRGB255(255, 204, 0);
}
inline Color green()
{
    return Color::sRGB255(52, 199, 89);
}
inline Color cyan()
{
    return Color::sRGB255(50, 173, 230);
}
inline Color blue()
{
    return Color::sRGB255(0, 122, 255);
}
inline Color purple()
{
    return Color::sRGB255(175, 82, 222);
}
} // namespace system_colors

} // namespace halomark
