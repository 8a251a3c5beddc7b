#include "platform/panel_configuration.h"

namespace halomark {

PanelConfiguration ringPanelConfiguration(const Screen& screen)
{
    PanelConfiguration configuration;
    configuration.kind = PanelKind::ring;
    configuration.contentRect = screen.frame;
    configuration.display = displayIdentifier(screen);
    configuration.level = window_levels::screenSaver;
    configuration.ignoresMouseEvents = true;
    return configuration;
}

PanelConfiguration veilPanelConfiguration(const Screen& screen)
{
    PanelConfiguration configuration;
    configuration.kind = PanelKind::veil;
    configuration.contentRect = screen.visibleFrame;
    configuration.display = displayIdentifier(screen);
    configuration.level = window_levels::status;
    configuration.ignoresMouseEvents = true;
    configuration.alphaValue = 1.0;
    configuration.animationBehavior = AnimationBehavior::none;
    return configuration;
}

PanelConfiguration selectionPanelConfiguration(const Screen& screen)
{
    PanelConfiguration configuration;
    configuration.kind = PanelKind::selection;
    configuration.contentRect = screen.frame;
    configuration.display = displayIdentifier(screen);
    configuration.level = window_levels::screenSaver;
    configuration.ignoresMouseEvents = false;
    configuration.alphaValue = 1.0;
    return configuration;
}

PanelConfiguration spotlightPanelConfiguration(const Screen& screen)
{
    PanelConfiguration configuration;
    configuration.kind = PanelKind::spotlight;
    configuration.contentRect = screen.frame;
    configuration.display = displayIdentifier(screen);
    configuration.level = window_levels::popUpMenu;
    configuration.ignoresMouseEvents = true;
    configuration.alphaValue = 1.0;
    configuration.animationBehavior = AnimationBehavior::none;
    return configuration;
}

PanelConfiguration clickPulsePanelConfiguration(const Screen& screen, const Rect& rect)
{
    PanelConfiguration configuration;
    configuration.kind = PanelKind::clickPulse;
    configuration.contentRect = rect;
    configuration.display = displayIdentifier(screen);
    configuration.level = window_levels::screenSaver;
    configuration.ignoresMouseEvents = true;
    configuration.animationBehavior = AnimationBehavior::none;
    return configuration;
}

} // namespace halomark
