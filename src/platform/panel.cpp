#include "platform/panel.h"

namespace halomark {

void Panel::animateAlphaValue(double alpha, double, const TimingFunction&,
                              std::function<void()> completion)
{
    setAlphaValue(alpha);
    if (completion) {
        completion();
    }
}

void applyPanelSettings(Panel& panel, const PanelConfiguration& configuration)
{
    panel.setLevel(configuration.level);
    panel.setIgnoresMouseEvents(configuration.ignoresMouseEvents);
    if (configuration.alphaValue) {
        panel.setAlphaValue(*configuration.alphaValue);
    }
    if (configuration.animationBehavior) {
        panel.setAnimationBehavior(*configuration.animationBehavior);
    }
    panel.setCollectionBehavior(configuration.collectionBehavior);
}

} // namespace halomark
