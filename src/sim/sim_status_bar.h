// The status bar for tests. It keeps every item it made, each item records its image,
// tooltip and menu, and the test can choose a menu entry by its titles as a user would:
// only an enabled entry with an action reaches its target. The test decides whether the
// next item comes with a button.
#pragma once

#include "platform/status_bar.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halomark::sim {

class SimStatusBarButton final : public StatusBarButton
{
public:
    std::optional<std::string> symbolName() const { return symbol; }
    std::optional<std::string> accessibilityDescription() const { return description; }
    std::optional<std::string> toolTip() const { return tip; }

    void setImage(const std::string& symbolName,
                  const std::string& accessibilityDescription) override
    {
        symbol = symbolName;
        description = accessibilityDescription;
    }
    void setToolTip(const std::string& text) override { tip = text; }

private:
    std::optional<std::string> symbol;
    std::optional<std::string> description;
    std::optional<std::string> tip;
};

class SimStatusItem final : public StatusItem
{
public:
    SimStatusItem(double length, bool withButton) : itemLength(length)
    {
        if (withButton) {
            itemButton = std::make_unique<SimStatusBarButton>();
        }
    }

    double length() const { return itemLength; }
    SimStatusBarButton* simButton() const { return itemButton.get(); }

    // The entry reached by following the titles through the submenus, or nothing.
    std::optional<MenuItem> findItem(const std::vector<std::string>& titles) const
    {
        auto current = currentMenu;
        std::optional<MenuItem> found;
        for (const std::string& title : titles) {
            if (!current) {
                return std::nullopt;
            }
            found.reset();
            for (const MenuItem& item : current->items()) {
                if (!item.isSeparator && item.title == title) {
                    found = item;
                    break;
                }
            }
            if (!found) {
                return std::nullopt;
            }
            current = found->submenu;
        }
        return found;
    }

    // Opens the menu and chooses the entry at the end of the titles, as a click would. False
    // when there is no such entry or it cannot be chosen (disabled, a submenu's parent).
    bool choose(const std::vector<std::string>& titles)
    {
        const auto item = findItem(titles);
        if (!item) {
            return false;
        }
        ++choices;
        return performAction(*item);
    }

    // Presses the key with Command while the menu is open: the first top-level entry with that
    // key equivalent is chosen.
    bool pressKeyEquivalent(const std::string& key)
    {
        if (!currentMenu) {
            return false;
        }
        for (const MenuItem& item : currentMenu->items()) {
            if (!item.isSeparator && item.keyEquivalent == key) {
                const MenuItem chosen = item;
                return performAction(chosen);
            }
        }
        return false;
    }

    int choiceCount() const { return choices; }

    // StatusItem.
    StatusBarButton* button() override { return itemButton.get(); }
    void setMenu(std::shared_ptr<Menu> menu) override { currentMenu = std::move(menu); }
    std::shared_ptr<Menu> menu() const override { return currentMenu; }

private:
    double itemLength;
    std::unique_ptr<SimStatusBarButton> itemButton;
    std::shared_ptr<Menu> currentMenu;
    int choices = 0;
};

class SimStatusBar final : public StatusBar
{
public:
    // Control surface: items made from now on come with or without a button.
    void setItemsHaveButtons(bool value) { withButtons = value; }
    const std::vector<std::weak_ptr<SimStatusItem>>& items() const { return made; }
    // The last item made, while it is still held.
    std::shared_ptr<SimStatusItem> lastItem() const
    {
        return made.empty() ? nullptr : made.back().lock();
    }

    // StatusBar.
    std::shared_ptr<StatusItem> statusItem(double length) override
    {
        auto item = std::make_shared<SimStatusItem>(length, withButtons);
        made.push_back(item);
        return item;
    }

private:
    bool withButtons = true;
    std::vector<std::weak_ptr<SimStatusItem>> made;
};

} // namespace halomark::sim
