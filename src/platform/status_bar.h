// The status bar port: one item in the system's status area (a tray icon on a Linux
// desktop) that shows a menu built by the core. An item may come without a button, in which
// case it has no image and no tooltip but still shows its menu.
#pragma once

#include "platform/menu.h"

#include <memory>
#include <string>

namespace halomark {

class StatusBarButton
{
public:
    virtual ~StatusBarButton() = default;
    // A system symbol image by name, with the text read out in its place.
    virtual void setImage(const std::string& symbolName,
                          const std::string& accessibilityDescription) = 0;
    virtual void setToolTip(const std::string& text) = 0;
};

class StatusItem
{
public:
    virtual ~StatusItem() = default;
    // The item's button; nothing when the item has none. The item owns it.
    virtual StatusBarButton* button() = 0;
    // The menu shown when the item is clicked. The adapter shows the menu's items as they are
    // when it opens.
    virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
    virtual std::shared_ptr<Menu> menu() const = 0;
};

class StatusBar
{
public:
    // Lengths of an item: as wide as it is tall, or as wide as its content.
    static constexpr double squareLength = -2;
    static constexpr double variableLength = -1;

    virtual ~StatusBar() = default;
    // A new item; it stays in the status bar for as long as it is held.
    virtual std::shared_ptr<StatusItem> statusItem(double length) = 0;
};

} // namespace halomark
