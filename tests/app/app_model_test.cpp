#include "app/app_model.h"
#include "app_test_platform.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace halomark {
namespace {

using app_test::SimulatedPlatform;
using focus_test::editorPid;
using Write = sim::SimSettingsStore::Write;

constexpr const char* shortcutKey = AppModel::rangeSelectionShortcutKey;
constexpr const char* legacyKey = AppModel::legacyCommandSelectionKey;
constexpr const char* focusKey = AppModel::focusCueEnabledKey;

class AppModelTest : public ::testing::Test
{
protected:
    std::shared_ptr<AppModel> makeModel()
    {
        model = AppModel::create(sim.platform, appearance);
        return model;
    }

    std::vector<Write> writesTo(const std::string& key) const
    {
        std::vector<Write> found;
        for (const Write& write : sim.settings.writes()) {
            if (write.key == key) {
                found.push_back(write);
            }
        }
        return found;
    }

    SimulatedPlatform sim;
    AppearanceSettings appearance{sim.settings};
    std::shared_ptr<AppModel> model;
};

TEST_F(AppModelTest, FirstLaunchWithAnEmptyStoreWritesBothDefaultsAndStartsNothing)
{
    makeModel();
    EXPECT_TRUE(model->isEnabled());
    EXPECT_EQ(model->rangeSelectionShortcut(), RangeSelectionShortcut::command);
    EXPECT_TRUE(model->focusCueEnabled());
    EXPECT_EQ(sim.settings.writes(), (std::vector<Write>{{shortcutKey, SettingValue{"command"}},
                                                         {focusKey, SettingValue{true}}}));
    EXPECT_FALSE(model->monitor->isRunning());
    EXPECT_FALSE(model->focusCueMonitor->isRunning());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);

    // A second launch reads what the first wrote and writes nothing.
    model.reset();
    sim.settings.clearWrites();
    makeModel();
    EXPECT_EQ(model->rangeSelectionShortcut(), RangeSelectionShortcut::command);
    EXPECT_TRUE(model->focusCueEnabled());
    EXPECT_TRUE(sim.settings.writes().empty());
}

TEST(AppModelReadingTest, TheOlderSwitchCarriesOverOnlyWhenNoValidShortcutIsStored)
{
    struct Case
    {
        const char* name;
        std::optional<SettingValue> stored;
        std::optional<SettingValue> legacy;
        RangeSelectionShortcut expected;
        std::optional<std::string> written; // nothing: the shortcut key is not written
    };
    const std::vector<Case> cases{
        {"legacy absent", std::nullopt, std::nullopt, RangeSelectionShortcut::command, "command"},
        {"legacy true", std::nullopt, SettingValue{true}, RangeSelectionShortcut::command,
         "command"},
        {"legacy false", std::nullopt, SettingValue{false}, RangeSelectionShortcut::disabled,
         "disabled"},
        {"legacy false as the text NO", std::nullopt, SettingValue{std::string("NO")},
         RangeSelectionShortcut::disabled, "disabled"},
        {"legacy 0", std::nullopt, SettingValue{std::int64_t{0}}, RangeSelectionShortcut::disabled,
         "disabled"},
        {"legacy 2", std::nullopt, SettingValue{std::int64_t{2}}, RangeSelectionShortcut::command,
         "command"},
        {"valid shortcut wins over legacy false", SettingValue{std::string("optionCommand")},
         SettingValue{false}, RangeSelectionShortcut::optionCommand, std::nullopt},
        {"stored disabled", SettingValue{std::string("disabled")}, std::nullopt,
         RangeSelectionShortcut::disabled, std::nullopt},
        {"unknown shortcut, legacy false", SettingValue{std::string("shiftCommand")},
         SettingValue{false}, RangeSelectionShortcut::disabled, "disabled"},
        {"unknown shortcut, legacy absent", SettingValue{std::string("Command")}, std::nullopt,
         RangeSelectionShortcut::command, "command"},
        {"shortcut of another type", SettingValue{std::int64_t{1}}, SettingValue{false},
         RangeSelectionShortcut::disabled, "disabled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedPlatform sim;
        if (c.stored) {
            sim.settings.seed(shortcutKey, *c.stored);
        }
        if (c.legacy) {
            sim.settings.seed(legacyKey, *c.legacy);
        }
        AppearanceSettings appearance{sim.settings};
        auto model = AppModel::create(sim.platform, appearance);
        EXPECT_EQ(model->rangeSelectionShortcut(), c.expected);
        EXPECT_EQ(model->monitor->currentSelectionShortcut(), c.expected);

        std::vector<Write> shortcutWrites;
        for (const Write& write : sim.settings.writes()) {
            EXPECT_NE(write.key, legacyKey); // never written, never removed
            if (write.key == shortcutKey) {
                shortcutWrites.push_back(write);
            }
        }
        if (c.written) {
            EXPECT_EQ(shortcutWrites,
                      (std::vector<Write>{{shortcutKey, SettingValue{*c.written}}}));
        } else {
            EXPECT_TRUE(shortcutWrites.empty());
        }
        EXPECT_EQ(sim.settings.object(legacyKey), c.legacy);
    }
}

TEST(AppModelReadingTest, AStoredHighlightSwitchIsReadWithBooleanCoercionAndNotRewritten)
{
    const std::vector<std::pair<SettingValue, bool>> cases{
        {SettingValue{false}, false},
        {SettingValue{std::string("YES")}, true},
        {SettingValue{std::string("no")}, false},
        {SettingValue{std::int64_t{0}}, false},
        {SettingValue{0.5}, true},
    };
    for (const auto& [stored, expected] : cases) {
        SimulatedPlatform sim;
        sim.settings.seed(focusKey, stored);
        AppearanceSettings appearance{sim.settings};
        auto model = AppModel::create(sim.platform, appearance);
        EXPECT_EQ(model->focusCueEnabled(), expected);
        for (const Write& write : sim.settings.writes()) {
            EXPECT_NE(write.key, focusKey);
        }
    }
}

TEST_F(AppModelTest, StartRunsTheFocusMonitorOnlyWithTheHighlightOnAndSwitchesStartAndStopThem)
{
    sim.settings.seed(focusKey, false);
    sim.settings.seed(shortcutKey, std::string("controlCommand"));
    makeModel();
    model->start();
    EXPECT_TRUE(model->monitor->isRunning());
    EXPECT_EQ(model->monitor->currentSelectionShortcut(), RangeSelectionShortcut::controlCommand);
    EXPECT_FALSE(model->focusCueMonitor->isRunning());

    model->setFocusCueEnabled(true);
    EXPECT_TRUE(model->focusCueMonitor->isRunning());
    EXPECT_EQ(writesTo(focusKey), (std::vector<Write>{{focusKey, SettingValue{true}}}));
    sim.wait(0.2);
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u); // the editor's window is highlighted

    // The master switch stops everything and is never stored.
    model->setEnabled(false);
    EXPECT_FALSE(model->monitor->isRunning());
    EXPECT_FALSE(model->focusCueMonitor->isRunning());
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u);
    // Switching the highlight on while everything is off starts nothing but is stored.
    model->setFocusCueEnabled(false);
    model->setFocusCueEnabled(true);
    EXPECT_FALSE(model->focusCueMonitor->isRunning());
    EXPECT_EQ(writesTo(focusKey).size(), 3u);

    model->setEnabled(true);
    EXPECT_TRUE(model->monitor->isRunning());
    EXPECT_TRUE(model->focusCueMonitor->isRunning());
    // Switching the highlight off while enabled keeps the Command key monitor running.
    model->setFocusCueEnabled(false);
    EXPECT_TRUE(model->monitor->isRunning());
    EXPECT_FALSE(model->focusCueMonitor->isRunning());
    for (const Write& write : sim.settings.writes()) {
        EXPECT_NE(write.key, "Halomark.isEnabled");
    }

    // Stop leaves the master switch as it was.
    model->stop();
    EXPECT_TRUE(model->isEnabled());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
}

TEST_F(AppModelTest, ReportsAreActedOnInALaterTurnWithTheSwitchesAsTheyAreThen)
{
    makeModel(); // not started: only the reports made here reach the controllers
    const FocusCueEvent event{{editorPid, "cg:21", 21, app_test::editorFrame}};

    model->focusCueMonitor->onFocusCue(event);
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u); // nothing at once
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u);

    // A cue delivered just before the highlight is switched off shows nothing.
    model->focusCueMonitor->onFocusCue(event);
    model->setFocusCueEnabled(false);
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u);

    // A tap reported while enabled, with the master switch turned off before the work runs.
    model->monitor->onCommandKeyTap();
    model->setEnabled(false);
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);
    model->setEnabled(true);
    model->monitor->onCommandKeyTap();
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::ring), 1u);

    // The shortcut's reports reach the selection controller whatever the switches say.
    model->setEnabled(false);
    model->monitor->onSelectionShortcutPressed();
    EXPECT_EQ(sim.visible(PanelKind::selection), 0u);
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::selection), 1u);
    model->monitor->onSelectionShortcutReleased();
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::selection), 0u);
}

TEST_F(AppModelTest, TheEndOfAFocusSwitchForcesPassesOnlyWhileBothSwitchesAreOn)
{
    makeModel(); // not started: only forced passes look the window up
    const int before = sim.desktop.windows.listCopyCount();
    model->monitor->onFocusSwitchShortcutReleased();
    model->setFocusCueEnabled(false);
    sim.wait(0.5);
    EXPECT_EQ(sim.desktop.windows.listCopyCount(), before);

    model.reset();
    sim.settings.seed(focusKey, true);
    makeModel();
    model->monitor->onFocusSwitchShortcutReleased();
    sim.wait(0.5);
    EXPECT_GT(sim.desktop.windows.listCopyCount(), before);
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u);
}

TEST_F(AppModelTest, AWithdrawnCueHidesTheVeilEvenWhileTheMasterSwitchIsOff)
{
    makeModel();
    model->setEnabled(false);
    model->focusCueOverlayController->show(app_test::editorFrame);
    ASSERT_EQ(sim.visible(PanelKind::veil), 1u);
    model->focusCueMonitor->onFocusCueUnavailable();
    EXPECT_EQ(sim.visible(PanelKind::veil), 1u);
    sim.loop.runDue();
    EXPECT_EQ(sim.visible(PanelKind::veil), 0u);
}

TEST_F(AppModelTest, TheStartOfASelectionCancelsAPendingTapAtOnce)
{
    makeModel();
    model->start();
    sim.input.pressKey(key_codes::leftCommand);
    sim.input.setFlags(event_flags::command);
    model->monitor->poll();
    sim.input.releaseKey(key_codes::leftCommand);
    sim.input.setFlags(0);
    model->monitor->poll();
    ASSERT_TRUE(model->monitor->hasPendingTap());

    model->rangeSelectionOverlayController->onUserInteractionStarted();
    EXPECT_FALSE(model->monitor->hasPendingTap());
    sim.wait(0.1);
    EXPECT_EQ(sim.visible(PanelKind::ring), 0u);
}

TEST_F(AppModelTest, ChangingTheShortcutDismissesAnOpenSelectionAndIsStoredEvenWhileDisabled)
{
    makeModel();
    model->rangeSelectionOverlayController->beginSelection();
    ASSERT_EQ(sim.visible(PanelKind::selection), 1u);
    sim.settings.clearWrites();

    model->setRangeSelectionShortcut(RangeSelectionShortcut::command); // the current one
    EXPECT_EQ(sim.visible(PanelKind::selection), 1u);
    EXPECT_TRUE(sim.settings.writes().empty());

    model->setEnabled(false);
    model->rangeSelectionOverlayController->beginSelection();
    model->setRangeSelectionShortcut(RangeSelectionShortcut::optionCommand);
    EXPECT_EQ(sim.visible(PanelKind::selection), 0u);
    EXPECT_EQ(model->rangeSelectionShortcut(), RangeSelectionShortcut::optionCommand);
    EXPECT_EQ(model->monitor->currentSelectionShortcut(), RangeSelectionShortcut::optionCommand);
    EXPECT_EQ(sim.settings.writes(),
              (std::vector<Write>{{shortcutKey, SettingValue{std::string("optionCommand")}}}));
}

TEST_F(AppModelTest, CallbacksLeftInTheMonitorsDoNothingOnceTheModelIsReleased)
{
    makeModel();
    model->start();
    auto monitor = model->monitor;
    auto focusCueMonitor = model->focusCueMonitor;
    model->monitor->onCommandKeyTap(); // queued while the model still exists
    std::weak_ptr<AppModel> weak = model;
    model.reset();
    EXPECT_TRUE(weak.expired());

    monitor->onCommandKeyTap();
    monitor->onSelectionShortcutPressed();
    focusCueMonitor->onFocusCue({{editorPid, "cg:21", 21, app_test::editorFrame}});
    sim.wait(1.0);
    EXPECT_EQ(sim.panels.createdCount(), 0);
}

} // namespace
} // namespace halomark
