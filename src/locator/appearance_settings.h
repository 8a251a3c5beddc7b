// The cue colour shared by the ring and the range-selection rectangle: one of eight fixed
// colours or a custom colour, kept in the settings store, plus a black or white outline
// colour that contrasts with it. One process-wide instance is shared; tests make their own.
#pragma once

#include "platform/color.h"
#include "platform/settings_store.h"

#include <array>
#include <memory>
#include <optional>
#include <string_view>

namespace halomark {

class AppearanceSettings
{
public:
    enum class ColorChoice
    {
        defaultWhite,
        red,
        orange,
        yellow,
        green,
        cyan,
        blue,
        purple,
        custom
    };

    static constexpr std::array<ColorChoice, 9> allColorChoices{
        ColorChoice::defaultWhite, ColorChoice::red,    ColorChoice::orange,
        ColorChoice::yellow,       ColorChoice::green,  ColorChoice::cyan,
        ColorChoice::blue,         ColorChoice::purple, ColorChoice::custom};

    static constexpr const char* colorChoiceKey = "Halomark.colorChoice";
    static constexpr const char* customRedKey = "Halomark.customColor.red";
    static constexpr const char* customGreenKey = "Halomark.customColor.green";
    static constexpr const char* customBlueKey = "Halomark.customColor.blue";

    static std::string_view rawValue(ColorChoice choice);
    static std::optional<ColorChoice> colorChoiceFromRawValue(std::string_view text);

    // The process-wide instance, created on first use with the store given then; later calls
    // return the same instance whatever store they pass.
    static std::shared_ptr<AppearanceSettings> shared(SettingsStore& store);

    // Reads the stored choice; a missing or unknown one reads as defaultWhite and is left as
    // it is in the store.
    explicit AppearanceSettings(SettingsStore& store);

    ColorChoice selectedChoice() const { return selected; }
    void setSelectedChoice(ColorChoice choice);

    // Stores the colour's device RGB components and selects `custom`. A colour with no device
    // RGB form (a pattern) changes and writes nothing.
    void setCustomColor(const Color& color);

    // The colour of the given choice, or of the selected one.
    Color color(std::optional<ColorChoice> choice = std::nullopt) const;

    // The stored custom colour when all three components are present, else the system blue.
    // Components go through unclamped, as stored.
    Color storedCustomColor() const;

    // Black for a light colour (luma above 0.58 on the unlinearised device RGB components),
    // white otherwise, including a luma of exactly 0.58. Black for a colour with no device
    // RGB form.
    static Color contrastingOutlineColor(const Color& color);

private:
    SettingsStore& store;
    ColorChoice selected = ColorChoice::defaultWhite;
};

} // namespace halomark
