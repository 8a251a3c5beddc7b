#include "app/app_model.h"
#include "app_test_platform.h"

namespace halomark {
namespace {

using app_test::SimulatedPlatform;
using Shortcut = RangeSelectionShortcut;
using Write = sim::SimSettingsStore::Write;

constexpr const char* shortcutKey = AppModel::rangeSelectionShortcutKey;
constexpr const char* legacyKey = AppModel::legacyCommandSelectionKey;
constexpr const char* focusKey = AppModel::focusCueEnabledKey;

class AppModelTest : public ::testing::Test
{
protected:
    AppModel& makeModel()
    {
        model = AppModel::create(sim.platform, appearance);
        return *model;
    }

    // What polls and what shows, as in "keys focus | veil".
    std::string state() const
    {
        return std::string(model->monitor->isRunning() ? "keys " : "") +
               (model->focusCueMonitor->isRunning() ? "focus " : "") + "| " + sim.onScreen();
    }

    SimulatedPlatform sim;
    AppearanceSettings appearance{sim.settings};
    std::shared_ptr<AppModel> model;
};

TEST(AppModelReadingTest, StoredSwitchesAreReadWithTheOlderSwitchCarriedOverOnlyWhenNeeded)
{
    struct Case
    {
        std::optional<SettingValue> stored;
        std::optional<SettingValue> legacy;
        std::optional<SettingValue> highlight;
        Shortcut shortcut;
        bool highlightOn;
        std::vector<Write> writes;
    };
    const SettingValue no{false}, zero{std::int64_t{0}}, half{0.5}, unknown{"shiftCommand"};
    const std::vector<Case> cases{
        {{}, {}, {}, Shortcut::command, true, {{shortcutKey, "command"}, {focusKey, true}}},
        {{}, SettingValue{true}, no, Shortcut::command, false, {{shortcutKey, "command"}}},
        {{}, no, SettingValue{"YES"}, Shortcut::disabled, true, {{shortcutKey, "disabled"}}},
        {{}, zero, half, Shortcut::disabled, true, {{shortcutKey, "disabled"}}},
        {SettingValue{"optionCommand"}, no, no, Shortcut::optionCommand, false, {}},
        {unknown, no, SettingValue{"no"}, Shortcut::disabled, false, {{shortcutKey, "disabled"}}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        SimulatedPlatform sim;
        for (const auto& [key, value] :
             {std::pair{shortcutKey, c.stored}, {legacyKey, c.legacy}, {focusKey, c.highlight}}) {
            if (value) {
                sim.settings.seed(key, *value);
            }
        }
        AppearanceSettings appearance{sim.settings};
        auto model = AppModel::create(sim.platform, appearance);
        EXPECT_EQ(model->rangeSelectionShortcut(), c.shortcut);
        EXPECT_EQ(model->monitor->currentSelectionShortcut(), c.shortcut);
        EXPECT_EQ(model->focusCueEnabled(), c.highlightOn);
        // The older switch is never written and never removed.
        EXPECT_EQ(sim.settings.writes(), c.writes);
        EXPECT_EQ(sim.settings.object(legacyKey), c.legacy);
        EXPECT_EQ(sim.loop.activeTimerCount(), 0);
    }
}

TEST_F(AppModelTest, StartRunsTheFocusMonitorOnlyWithTheHighlightOnAndSwitchesStartAndStopThem)
{
    sim.settings.seed(focusKey, false);
    sim.settings.seed(shortcutKey, std::string("controlCommand"));
    makeModel().start();
    EXPECT_EQ(state(), "keys | ");
    EXPECT_EQ(model->monitor->currentSelectionShortcut(), Shortcut::controlCommand);
    model->setFocusCueEnabled(true);
    EXPECT_EQ(sim.settings.writes(), (std::vector<Write>{{focusKey, true}}));
    sim.wait(0.2);
    EXPECT_EQ(state(), "keys focus | veil"); // the editor's window is highlighted

    // The master switch stops everything and is never stored; the highlight switched on
    // meanwhile starts nothing but is stored.
    model->setEnabled(false);
    EXPECT_EQ(state(), "| ");
    model->setFocusCueEnabled(false);
    model->setFocusCueEnabled(true);
    EXPECT_EQ(state(), "| ");
    model->setEnabled(true);
    EXPECT_EQ(state(), "keys focus | ");
    // The highlight off while enabled keeps the Command key monitor running.
    model->setFocusCueEnabled(false);
    EXPECT_EQ(state(), "keys | ");
    EXPECT_EQ(sim.settings.writes().size(), 4u);
    // Stop leaves the master switch as it was.
    model->stop();
    EXPECT_TRUE(model->isEnabled());
    EXPECT_EQ(sim.loop.activeTimerCount(), 0);
}

TEST_F(AppModelTest, ReportsAreActedOnInALaterTurnWithTheSwitchesAsTheyAreThen)
{
    makeModel(); // not started: only the reports made here reach the controllers
    const FocusCueEvent event{{focus_test::editorPid, "cg:21", 21, app_test::editorFrame}};
    // What shows at once, then once the queued work has run.
    const auto nowThenLater = [&] {
        const std::string now = sim.onScreen();
        sim.loop.runDue();
        return now + " -> " + sim.onScreen();
    };
    model->focusCueMonitor->onFocusCue(event);
    EXPECT_EQ(nowThenLater(), " -> veil");
    // A cue reported just before the master switch goes off shows nothing.
    model->focusCueMonitor->onFocusCue(event);
    model->setEnabled(false);
    EXPECT_EQ(nowThenLater(), " -> ");
    // A withdrawn cue hides the veil even while the master switch is off.
    model->focusCueOverlayController->show(app_test::editorFrame);
    model->focusCueMonitor->onFocusCueUnavailable();
    EXPECT_EQ(nowThenLater(), "veil -> ");
    // The shortcut's reports reach the selection controller whatever the switches say.
    model->monitor->onSelectionShortcutPressed();
    EXPECT_EQ(nowThenLater(), " -> selection");
    model->monitor->onSelectionShortcutReleased();
    EXPECT_EQ(nowThenLater(), "selection -> ");

    // Likewise a tap, and a cue reported just before the highlight is switched off.
    model->setEnabled(true);
    model->monitor->onCommandKeyTap();
    model->setEnabled(false);
    EXPECT_EQ(nowThenLater(), " -> ");
    model->setEnabled(true);
    model->monitor->onCommandKeyTap();
    model->focusCueMonitor->onFocusCue(event);
    model->setFocusCueEnabled(false);
    EXPECT_EQ(nowThenLater(), " -> ring");
}

TEST_F(AppModelTest, TheEndOfAFocusSwitchForcesALookupOnlyWhileBothSwitchesAreOn)
{
    makeModel(); // not started: only forced passes look the window up
    const int before = sim.desktop.windows.listCopyCount();
    model->monitor->onFocusSwitchShortcutReleased();
    model->setFocusCueEnabled(false);
    sim.wait(0.5);
    model->setEnabled(false);
    model->setFocusCueEnabled(true);
    model->monitor->onFocusSwitchShortcutReleased();
    sim.wait(0.5);
    EXPECT_EQ(sim.desktop.windows.listCopyCount(), before);

    makeModel();
    model->monitor->onFocusSwitchShortcutReleased();
    sim.wait(0.5);
    EXPECT_GT(sim.desktop.windows.listCopyCount(), before);
    EXPECT_EQ(sim.onScreen(), "veil");
}

TEST_F(AppModelTest, ASelectionCancelsAPendingTapAndAShortcutChangeEndsItAndIsStored)
{
    makeModel().start();
    sim.input.pressKey(key_codes::leftCommand);
    model->monitor->poll();
    sim.input.releaseKey(key_codes::leftCommand);
    model->monitor->poll();
    ASSERT_TRUE(model->monitor->hasPendingTap());
    model->rangeSelectionOverlayController->onUserInteractionStarted();
    EXPECT_FALSE(model->monitor->hasPendingTap());
    sim.wait(0.1);
    EXPECT_EQ(sim.onScreen(), "veil");

    // Changing the shortcut dismisses an open selection and is stored, even while disabled.
    model->rangeSelectionOverlayController->beginSelection();
    sim.settings.clearWrites();
    model->setRangeSelectionShortcut(Shortcut::command); // the current one
    EXPECT_EQ(sim.onScreen(), "selection veil");

    model->setEnabled(false);
    model->rangeSelectionOverlayController->beginSelection();
    model->setRangeSelectionShortcut(Shortcut::optionCommand);
    EXPECT_EQ(sim.onScreen(), "");
    EXPECT_EQ(model->rangeSelectionShortcut(), Shortcut::optionCommand);
    EXPECT_EQ(model->monitor->currentSelectionShortcut(), Shortcut::optionCommand);
    EXPECT_EQ(sim.settings.writes(), (std::vector<Write>{{shortcutKey, "optionCommand"}}));
}

TEST_F(AppModelTest, CallbacksLeftInTheMonitorsDoNothingOnceTheModelIsReleased)
{
    makeModel().start();
    auto monitor = model->monitor;
    auto focusCueMonitor = model->focusCueMonitor;
    model->monitor->onCommandKeyTap(); // queued while the model still exists
    std::weak_ptr<AppModel> weak = model;
    model.reset();
    EXPECT_TRUE(weak.expired());
    monitor->onCommandKeyTap();
    monitor->onSelectionShortcutPressed();
    focusCueMonitor->onFocusCue({{focus_test::editorPid, "cg:21", 21, app_test::editorFrame}});
    sim.wait(1.0);
    EXPECT_EQ(sim.panels.createdCount(), 0);
}

} // namespace
} // namespace halomark
