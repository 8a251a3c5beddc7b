#include "qt/qt_menu.h"

#include "event_loop.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPoint>
#include <QPointer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace halomark::qt {
namespace {

using testing::runEventsUntil;

class RecordingTarget final : public MenuActionTarget
{
public:
    void performMenuAction(const MenuItem& sender) override
    {
        chosen.push_back(sender);
        if (onChoice) {
            onChoice(sender);
        }
    }

    std::vector<MenuItem> chosen;
    std::function<void(const MenuItem&)> onChoice;
};

MenuItem entry(const std::shared_ptr<RecordingTarget>& target, std::string title, MenuAction action,
               MenuItemState state = MenuItemState::off, bool enabled = true)
{
    MenuItem item;
    item.title = std::move(title);
    item.action = action;
    item.target = target;
    item.state = state;
    item.enabled = enabled;
    return item;
}

MenuItem choice(const std::shared_ptr<RecordingTarget>& target, std::string title,
                std::string represented, bool checked)
{
    MenuItem item = entry(target, std::move(title), MenuAction::selectRangeSelectionShortcut,
                          checked ? MenuItemState::on : MenuItemState::off);
    item.representedObject = std::move(represented);
    return item;
}

MenuItem parentOf(std::string title, std::shared_ptr<Menu> submenu, bool enabled = true)
{
    MenuItem item;
    item.title = std::move(title);
    item.submenu = std::move(submenu);
    item.enabled = enabled;
    return item;
}

// A menu shaped like the status menu: switches, a disabled entry, a disabled parent of a
// submenu, separators, a second submenu, a title with an ampersand and the Quit item.
std::shared_ptr<Menu> statusLikeMenu(const std::shared_ptr<RecordingTarget>& target)
{
    auto menu = std::make_shared<Menu>();
    menu->addItem(
        entry(target, "Enable Halomark", MenuAction::toggleMonitoring, MenuItemState::on));
    menu->addItem(entry(target, "Active Window Highlight", MenuAction::toggleFocusCue,
                        MenuItemState::on, false));
    auto shortcuts = std::make_shared<Menu>("Range Selection");
    shortcuts->addItem(choice(target, "\u2318 + Drag", "command", true));
    shortcuts->addItem(choice(target, "\u2303 + \u2318 + Drag", "controlCommand", false));
    shortcuts->addItem(choice(target, "Off", "disabled", false));
    menu->addItem(parentOf("Range Selection", shortcuts, false));
    menu->addItem(MenuItem::separator());
    menu->addItem(entry(target, "Launch at Login", MenuAction::toggleLaunchAtLogin));
    auto languages = std::make_shared<Menu>("Language");
    MenuItem system =
        entry(target, "System Default", MenuAction::selectLanguage, MenuItemState::on);
    system.representedObject = "system";
    languages->addItem(system);
    MenuItem german = entry(target, "Deutsch", MenuAction::selectLanguage);
    german.representedObject = "de";
    languages->addItem(german);
    menu->addItem(parentOf("Language", languages));
    menu->addItem(MenuItem::separator());
    menu->addItem(entry(target, "Privacy & Support", MenuAction::openSupport));
    MenuItem quit = entry(target, "Quit Halomark", MenuAction::quit);
    quit.keyEquivalent = "q";
    menu->addItem(quit);
    return menu;
}

QStringList texts(const QMenu& menu)
{
    QStringList result;
    for (const QAction* action : menu.actions()) {
        result << (action->isSeparator() ? QStringLiteral("---") : action->text());
    }
    return result;
}

void pressKey(QWidget* receiver, int key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(receiver, &press);
}

TEST(QtMenu, ShowsTitlesMarksEnabledStatesSeparatorsSubmenusAndTheQuitShortcut)
{
    auto target = std::make_shared<RecordingTarget>();
    QtMenu shown(statusLikeMenu(target));
    QMenu* menu = shown.qMenu();

    EXPECT_EQ(texts(*menu), (QStringList{"Enable Halomark", "Active Window Highlight",
                                         "Range Selection", "---", "Launch at Login", "Language",
                                         "---", "Privacy && Support", "Quit Halomark"}));
    // The ampersand is shown as one, not taken for a mnemonic marker.
    QAction* privacy = menu->actions()[7];
    EXPECT_EQ(privacy->iconText(), "Privacy & Support");

    const QList<QAction*> top = menu->actions();
    EXPECT_TRUE(top[0]->isChecked());
    EXPECT_TRUE(top[0]->isEnabled());
    EXPECT_TRUE(top[1]->isChecked()) << "a disabled switch still shows that it is on";
    EXPECT_FALSE(top[1]->isEnabled());
    EXPECT_FALSE(top[4]->isChecked());
    EXPECT_FALSE(top[4]->isCheckable()) << "an item that is off shows no mark";

    QMenu* shortcuts = top[2]->menu<QMenu*>();
    ASSERT_NE(shortcuts, nullptr);
    EXPECT_FALSE(top[2]->isEnabled()) << "a disabled parent keeps its submenu closed";
    EXPECT_EQ(shortcuts->title(), "Range Selection");
    EXPECT_EQ(texts(*shortcuts), (QStringList{"\u2318 + Drag", "\u2303 + \u2318 + Drag", "Off"}));
    EXPECT_TRUE(shortcuts->actions()[0]->isChecked());
    EXPECT_FALSE(shortcuts->actions()[1]->isChecked());
    EXPECT_FALSE(shortcuts->actions()[2]->isChecked());

    QMenu* languages = top[5]->menu<QMenu*>();
    ASSERT_NE(languages, nullptr);
    EXPECT_TRUE(top[5]->isEnabled());
    EXPECT_EQ(texts(*languages), (QStringList{"System Default", "Deutsch"}));
    EXPECT_TRUE(languages->actions()[0]->isChecked());

    EXPECT_EQ(top[8]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_TRUE(top[8]->isShortcutVisibleInContextMenu());
    for (int i : {0, 1, 4, 7}) {
        EXPECT_TRUE(top[i]->shortcut().isEmpty()) << top[i]->text().toStdString();
    }
    EXPECT_TRUE(target->chosen.empty());
}

TEST(QtMenu, AChosenItemGoesBackToItsTargetAsItWasWhenTheMenuWasFilled)
{
    auto target = std::make_shared<RecordingTarget>();
    QtMenu shown(statusLikeMenu(target));
    QMenu* menu = shown.qMenu();

    QMenu* shortcuts = menu->actions()[2]->menu<QMenu*>();
    ASSERT_NE(shortcuts, nullptr);
    shortcuts->actions()[2]->trigger();
    ASSERT_EQ(target->chosen.size(), 1u);
    EXPECT_EQ(target->chosen[0].title, "Off");
    EXPECT_EQ(target->chosen[0].action, MenuAction::selectRangeSelectionShortcut);
    EXPECT_EQ(target->chosen[0].representedObject, "disabled");

    menu->actions()[0]->trigger();
    ASSERT_EQ(target->chosen.size(), 2u);
    EXPECT_EQ(target->chosen[1].action, MenuAction::toggleMonitoring);
    EXPECT_EQ(target->chosen[1].state, MenuItemState::on) << "the item as shown, not toggled";

    // A disabled item reports nothing.
    menu->actions()[1]->trigger();
    EXPECT_EQ(target->chosen.size(), 2u);

    // A target that has gone hears nothing, and nothing breaks.
    target.reset();
    menu->actions()[4]->trigger();
}

TEST(QtMenu, RefillsFromTheCoreWhenItOpensOnlyAfterTheCoreRebuiltIt)
{
    auto target = std::make_shared<RecordingTarget>();
    auto core = statusLikeMenu(target);
    QtMenu shown(core);
    QMenu* menu = shown.qMenu();
    const QPointer<QAction> firstAction = menu->actions()[0];

    // The action's target rebuilds the menu while the action runs, as the core does.
    target->onChoice = [&](const MenuItem&) {
        core->removeAllItems();
        core->addItem(entry(target, "Enable Halomark", MenuAction::toggleMonitoring));
        core->addItem(entry(target, "Quit Halomark", MenuAction::quit));
    };
    firstAction->trigger();
    ASSERT_EQ(target->chosen.size(), 1u);
    EXPECT_FALSE(firstAction.isNull()) << "the triggered action must outlive its own signal";

    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return menu->isVisible(); }));
    EXPECT_EQ(texts(*menu), (QStringList{"Enable Halomark", "Quit Halomark"}));
    EXPECT_FALSE(menu->actions()[0]->isChecked());
    const QPointer<QAction> refilled = menu->actions()[0];
    menu->hide();

    // Opening again without a rebuild keeps the very same actions.
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return menu->isVisible(); }));
    EXPECT_EQ(menu->actions()[0], refilled.data());
    menu->hide();

    // A change inside a submenu alone is seen too.
    auto submenu = std::make_shared<Menu>("More");
    core->addItem(parentOf("More", submenu));
    EXPECT_TRUE(shown.sync());
    submenu->addItem(entry(target, "Support", MenuAction::openSupport));
    EXPECT_TRUE(shown.sync());
    QMenu* more = shown.qMenu()->actions()[2]->menu<QMenu*>();
    ASSERT_NE(more, nullptr);
    EXPECT_EQ(texts(*more), QStringList{"Support"});
    EXPECT_FALSE(shown.sync());
}

TEST(QtMenu, ControlQWhileTheMenuOrASubmenuIsOpenClosesItAndChoosesAnEnabledQuit)
{
    auto target = std::make_shared<RecordingTarget>();
    QtMenu shown(statusLikeMenu(target));
    QMenu* menu = shown.qMenu();

    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return menu->isVisible(); }));
    // Q alone is no shortcut.
    pressKey(menu, Qt::Key_Q, Qt::NoModifier);
    EXPECT_TRUE(target->chosen.empty());
    pressKey(menu, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(target->chosen.size(), 1u);
    EXPECT_EQ(target->chosen[0].action, MenuAction::quit);
    EXPECT_FALSE(menu->isVisible());

    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return menu->isVisible(); }));
    QMenu* languages = menu->actions()[5]->menu<QMenu*>();
    ASSERT_NE(languages, nullptr);
    languages->popup(QPoint(200, 10));
    ASSERT_TRUE(runEventsUntil([&] { return languages->isVisible(); }));
    pressKey(languages, Qt::Key_Q, Qt::ControlModifier);
    ASSERT_EQ(target->chosen.size(), 2u);
    EXPECT_EQ(target->chosen[1].action, MenuAction::quit);
    EXPECT_FALSE(languages->isVisible());
    EXPECT_FALSE(menu->isVisible());

    // Another Control key chooses nothing.
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return menu->isVisible(); }));
    pressKey(menu, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(target->chosen.size(), 2u);
    menu->hide();

    // Nor does Control+Q while Quit is disabled.
    auto core = std::make_shared<Menu>();
    MenuItem quit = entry(target, "Quit Halomark", MenuAction::quit, MenuItemState::off, false);
    quit.keyEquivalent = "q";
    core->addItem(quit);
    QtMenu disabled(core);
    disabled.qMenu()->popup(QPoint(10, 10));
    ASSERT_TRUE(runEventsUntil([&] { return disabled.qMenu()->isVisible(); }));
    pressKey(disabled.qMenu(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(target->chosen.size(), 2u);
    disabled.qMenu()->hide();
}

} // namespace
} // namespace halomark::qt
