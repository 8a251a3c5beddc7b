// The pointer locator ring's geometry, timing and colours. Each ring view takes its own copy
// when it is made, so a colour chosen later shows from the next ring on.
#pragma once

#include "locator/appearance_settings.h"
#include "platform/color.h"

#include <cstdint>

namespace halomark {

struct LocatorAppearance
{
    double maximumRadius = 52.0; // radius in points of the ring's circle at scale 1
    std::int64_t ringCount = 1;  // rings per tap
    double ringDelay = 0.0;      // seconds between the starts of successive rings
    double ringDuration = 0.78;  // seconds one ring animates
    double minimumScale = 0.18;  // scale at the end of the animation
    double outlineLineWidth = 4.4;
    double foregroundLineWidth = 2.6;
    Color outlineColor;
    Color foregroundColor;

    friend bool operator==(const LocatorAppearance&, const LocatorAppearance&) = default;
};

// The fixed values with the colours of the selected choice: the cue colour at alpha 0.96
// over its contrasting black or white outline at alpha 0.82.
LocatorAppearance makeLocatorAppearance(const AppearanceSettings& settings);

} // namespace halomark
