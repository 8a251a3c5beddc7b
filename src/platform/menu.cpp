#include "platform/menu.h"

#include <array>
#include <utility>

namespace halomark {
namespace {

constexpr std::array<std::pair<MenuAction, std::string_view>, 14> selectorNames{{
    {MenuAction::toggleMonitoring, "toggleMonitoring:"},
    {MenuAction::toggleFocusCue, "toggleFocusCue:"},
    {MenuAction::toggleSpotlight, "toggleSpotlight:"},
    {MenuAction::toggleShowClicks, "toggleShowClicks:"},
    {MenuAction::selectRangeSelectionShortcut, "selectRangeSelectionShortcut:"},
    {MenuAction::selectLocatorKey, "selectLocatorKey:"},
    {MenuAction::toggleLaunchAtLogin, "toggleLaunchAtLogin:"},
    {MenuAction::selectLanguage, "selectLanguage:"},
    {MenuAction::selectColor, "selectColor:"},
    {MenuAction::showHowToUse, "showHowToUse:"},
    {MenuAction::showAbout, "showAbout:"},
    {MenuAction::showPrivacyPolicy, "showPrivacyPolicy:"},
    {MenuAction::openSupport, "openSupport:"},
    {MenuAction::quit, "quit:"},
}};

} // namespace

std::string_view selectorName(MenuAction action)
{
    for (const auto& [candidate, name] : selectorNames) {
        if (candidate == action) {
            return name;
        }
    }
    return {};
}

std::optional<MenuAction> menuActionFromSelectorName(std::string_view text)
{
    for (const auto& [action, name] : selectorNames) {
        if (name == text) {
            return action;
        }
    }
    return std::nullopt;
}

bool performAction(const MenuItem& item)
{
    if (item.isSeparator || !item.enabled || !item.action) {
        return false;
    }
    const auto target = item.target.lock();
    if (!target) {
        return false;
    }
    // The action may refill the menu that holds the item, so the target gets its own copy.
    const MenuItem chosen = item;
    target->performMenuAction(chosen);
    return true;
}

} // namespace halomark
