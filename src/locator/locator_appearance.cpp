#include "locator/locator_appearance.h"

namespace halomark {

LocatorAppearance makeLocatorAppearance(const AppearanceSettings& settings)
{
    const Color base = settings.color();
    LocatorAppearance appearance;
    appearance.foregroundColor = base.withAlpha(0.96);
    appearance.outlineColor = AppearanceSettings::contrastingOutlineColor(base).withAlpha(0.82);
    return appearance;
}

} // namespace halomark
