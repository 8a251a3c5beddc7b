// The view that plays the pointer locator's ring: an outline ring under a coloured ring,
// centred on a point, that shrink from full size onto the point and fade within the ring
// duration. A view plays once; 0.08 s after the last ring ends it removes its layers and calls
// the completion. Own it through a shared_ptr: the deferred clean-up holds it weakly, and the
// completion is called even if the view has gone.
#pragma once

#include "locator/appearance_settings.h"
#include "locator/locator_appearance.h"
#include "platform/animation.h"
#include "platform/main_loop.h"
#include "platform/overlay_view.h"
#include "platform/shape_layer.h"

#include <functional>
#include <memory>
#include <vector>

namespace halomark {

class RingAnimationView final : public OverlayView,
                                public std::enable_shared_from_this<RingAnimationView>
{
public:
    static constexpr const char* animationKey = "halomark-ring";
    // How long the final state stays after the last ring before the layers go.
    static constexpr double cleanUpDelay = 0.08;

    // Turns layer backing on and takes the appearance from the settings as they are now.
    RingAnimationView(const Rect& frame, MainLoop& mainLoop, const AppearanceSettings& settings);

    const LocatorAppearance locatorAppearance;

    // The layers added for the rings, in the order added (outline before foreground).
    const std::vector<std::shared_ptr<ShapeLayer>>& generatedLayers() const { return generated; }

    // Plays the rings centred on the point (view coordinates) from now. The completion is
    // called exactly once: at once when the view has no backing layer, otherwise from the
    // main loop after the clean-up.
    void animate(Point point, std::function<void()> completion);

    // The shrink-and-fade group starting at the media time, kept at its final state.
    AnimationGroup makeRingAnimation(double beginTime) const;

    void removeGeneratedLayers();

private:
    MainLoop& mainLoop;
    std::vector<std::shared_ptr<ShapeLayer>> generated;
};

} // namespace halomark
