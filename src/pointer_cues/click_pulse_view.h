// The view of one click pulse: a ring centred in the view that grows from 6 to 28 points and
// fades out over 0.35 s, a coloured stroke over a contrasting outline. It plays once and then
// calls its completion from the main loop, even if the view has gone by then.
#pragma once

#include "platform/animation.h"
#include "platform/color.h"
#include "platform/main_loop.h"
#include "platform/overlay_view.h"
#include "platform/shape_layer.h"

#include <functional>
#include <memory>

namespace halomark {

class ClickPulseView final : public OverlayView
{
public:
    static constexpr const char* animationKey = "halomark-click-pulse";
    static constexpr double startRadius = 6;
    static constexpr double endRadius = 28;
    static constexpr double duration = 0.35;
    static constexpr double lineWidth = 3;
    static constexpr double outlineWidth = 5;
    // The side of the square view that holds the ring at its largest with its outline.
    static constexpr double side = 2 * (endRadius + outlineWidth);

    ClickPulseView(const Rect& frame, MainLoop& mainLoop, const Color& color);

    // Plays the pulse from now; the completion runs once, after the pulse has faded.
    void play(std::function<void()> completion);

    const Color color;

private:
    MainLoop& mainLoop;
};

} // namespace halomark
