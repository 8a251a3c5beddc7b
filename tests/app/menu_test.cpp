#include "platform/menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace halomark {
namespace {

// Records what reached it, and refills the menu that held the item, as a real action does.
class RecordingTarget final : public MenuActionTarget
{
public:
    explicit RecordingTarget(Menu& menu) : menu(menu) {}
    void performMenuAction(const MenuItem& sender) override
    {
        menu.removeAllItems();
        received.push_back(std::string(selectorName(*sender.action)) + " " +
                           sender.representedObject.value_or("-") + " " + sender.title);
    }
    Menu& menu;
    std::vector<std::string> received;
};

TEST(MenuTest, OnlyEnabledItemsWithAnActionAndALiveTargetReachTheTarget)
{
    Menu menu;
    auto target = std::make_shared<RecordingTarget>(menu);

    MenuItem item;
    item.title = "日本語";
    item.action = MenuAction::selectLanguage;
    item.target = target;
    item.representedObject = "ja";
    menu.addItem(item);
    const auto revision = menu.revision();

    // The target empties the menu while it runs; it still sees the whole item.
    EXPECT_TRUE(performAction(menu.items()[0]));
    EXPECT_EQ(target->received, std::vector<std::string>{"selectLanguage: ja 日本語"});
    EXPECT_GT(menu.revision(), revision);

    MenuItem disabled = item;
    disabled.enabled = false;
    EXPECT_FALSE(performAction(disabled));
    MenuItem parent = item;
    parent.action.reset();
    EXPECT_FALSE(performAction(parent));
    EXPECT_FALSE(performAction(MenuItem::separator()));
    EXPECT_EQ(target->received.size(), 1u);

    target.reset();
    EXPECT_FALSE(performAction(item)); // the target is held weakly
}

TEST(MenuTest, EveryActionHasASelectorNameThatReadsBack)
{
    for (int i = 0; i <= static_cast<int>(MenuAction::quit); ++i) {
        const auto action = static_cast<MenuAction>(i);
        const std::string_view name = selectorName(action);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(name.back(), ':');
        EXPECT_EQ(menuActionFromSelectorName(name), action);
    }
    EXPECT_EQ(selectorName(MenuAction::toggleMonitoring), "toggleMonitoring:");
    EXPECT_EQ(menuActionFromSelectorName("toggleMonitoring"), std::nullopt);
    EXPECT_EQ(menuActionFromSelectorName("customColorChanged:"), std::nullopt);
}

} // namespace
} // namespace halomark
