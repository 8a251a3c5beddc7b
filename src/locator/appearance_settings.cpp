#include "locator/appearance_settings.h"

#include <mutex>

namespace halomark {

using ColorChoice = AppearanceSettings::ColorChoice;

std::string_view AppearanceSettings::rawValue(ColorChoice choice)
{
    switch (choice) {
    case ColorChoice::defaultWhite:
        return "defaultWhite";
    case ColorChoice::red:
        return "red";
    case ColorChoice::orange:
        return "orange";
    case ColorChoice::yellow:
        return "yellow";
    case ColorChoice::green:
        return "green";
    case ColorChoice::cyan:
        return "cyan";
    case ColorChoice::blue:
        return "blue";
    case ColorChoice::purple:
        return "purple";
    case ColorChoice::custom:
        return "custom";
    }
    return "defaultWhite";
}

std::optional<ColorChoice> AppearanceSettings::colorChoiceFromRawValue(std::string_view text)
{
    for (ColorChoice choice : allColorChoices) {
        if (rawValue(choice) == text) {
            return choice;
        }
    }
    return std::nullopt;
}

std::shared_ptr<AppearanceSettings> AppearanceSettings::shared(SettingsStore& store)
{
    static std::once_flag once;
    static std::shared_ptr<AppearanceSettings> instance;
    std::call_once(once, [&] { instance = std::make_shared<AppearanceSettings>(store); });
    return instance;
}

AppearanceSettings::AppearanceSettings(SettingsStore& store) : store(store)
{
    if (const auto text = store.stringForKey(colorChoiceKey)) {
        selected = colorChoiceFromRawValue(*text).value_or(ColorChoice::defaultWhite);
    }
}

void AppearanceSettings::setSelectedChoice(ColorChoice choice)
{
    selected = choice;
    store.setString(colorChoiceKey, std::string(rawValue(choice)));
}

void AppearanceSettings::setCustomColor(const Color& color)
{
    const auto device = color.usingDeviceRGB();
    if (!device) {
        return;
    }
    store.setDouble(customRedKey, device->red);
    store.setDouble(customGreenKey, device->green);
    store.setDouble(customBlueKey, device->blue);
    selected = ColorChoice::custom;
    store.setString(colorChoiceKey, std::string(rawValue(ColorChoice::custom)));
}

Color AppearanceSettings::color(std::optional<ColorChoice> choice) const
{
    switch (choice.value_or(selected)) {
    case ColorChoice::defaultWhite:
        return Color::whiteColor();
    case ColorChoice::red:
        return system_colors::red();
    case ColorChoice::orange:
        return system_colors::orange();
    case ColorChoice::yellow:
        return system_colors::yellow();
    case ColorChoice::green:
        return system_colors::green();
    case ColorChoice::cyan:
        return system_colors::cyan();
    case ColorChoice::blue:
        return system_colors::blue();
    case ColorChoice::purple:
        return system_colors::purple();
    case ColorChoice::custom:
        return storedCustomColor();
    }
    return Color::whiteColor();
}

Color AppearanceSettings::storedCustomColor() const
{
    if (!store.hasValue(customRedKey) || !store.hasValue(customGreenKey) ||
        !store.hasValue(customBlueKey)) {
        return system_colors::blue();
    }
    return Color::calibratedRGB(store.doubleForKey(customRedKey),
                                store.doubleForKey(customGreenKey),
                                store.doubleForKey(customBlueKey), 1.0);
}

Color AppearanceSettings::contrastingOutlineColor(const Color& color)
{
    const auto device = color.usingDeviceRGB();
    if (!device) {
        return Color::blackColor();
    }
    const double luma = 0.2126 * device->red + 0.7152 * device->green + 0.0722 * device->blue;
    return luma > 0.58 ? Color::blackColor() : Color::whiteColor();
}

} // namespace halomark
