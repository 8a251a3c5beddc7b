// Menus as plain data. The core builds a menu item by item; an adapter shows it as it stands
// and, when the user chooses an item, hands that item back to its target. Adapters read the
// revision to tell that a menu has been refilled since they last showed it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace halomark {

// The actions menu items can carry, each named by its selector text ("toggleMonitoring:").
enum class MenuAction
{
    toggleMonitoring,
    toggleFocusCue,
    toggleSpotlight,
    toggleShowClicks,
    selectRangeSelectionShortcut,
    selectLocatorKey,
    toggleLaunchAtLogin,
    selectLanguage,
    selectColor,
    showHowToUse,
    showAbout,
    showPrivacyPolicy,
    openSupport,
    quit
};

std::string_view selectorName(MenuAction action);
std::optional<MenuAction> menuActionFromSelectorName(std::string_view text);

enum class MenuItemState
{
    off = 0,
    on = 1
};

class Menu;
struct MenuItem;

// Receives the item the user chose; the item's action says what to do.
class MenuActionTarget
{
public:
    virtual ~MenuActionTarget() = default;
    virtual void performMenuAction(const MenuItem& sender) = 0;
};

struct MenuItem
{
    std::string title;
    std::optional<MenuAction> action;
    std::weak_ptr<MenuActionTarget> target; // held weakly, as targets are
    MenuItemState state = MenuItemState::off;
    bool enabled = true;
    bool isSeparator = false;
    std::shared_ptr<Menu> submenu;
    std::string keyEquivalent; // empty for none; "q" is Command-Q while the menu is open
    std::optional<std::string> representedObject;

    static MenuItem separator()
    {
        MenuItem item;
        item.isSeparator = true;
        return item;
    }
};

// What an adapter does when the user chooses an item: an enabled item with an action goes to
// its target if the target still exists. True when the item was handed on.
bool performAction(const MenuItem& item);

class Menu
{
public:
    explicit Menu(std::string title = {}) : menuTitle(std::move(title)) {}

    const std::string& title() const { return menuTitle; }
    const std::vector<MenuItem>& items() const { return entries; }

    void removeAllItems()
    {
        entries.clear();
        ++changes;
    }
    void addItem(MenuItem item)
    {
        entries.push_back(std::move(item));
        ++changes;
    }

    // Grows with every change of the items.
    std::uint64_t revision() const { return changes; }

private:
    std::string menuTitle;
    std::vector<MenuItem> entries;
    std::uint64_t changes = 0;
};

} // namespace halomark
