// Owns the one transient selection panel of the range selection. When the shortcut goes down
// it covers the display under the pointer with an invisible panel that takes the mouse and
// carries a capture view. A completed rectangle makes the panel click-through, waits 0.45 s
// and fades it out over 0.85 s; the shortcut's release before any press removes the panel at
// once. A left or right press in the panel is reported so that a pending Command tap can be
// dropped. Own it through a shared_ptr: callbacks, the delayed fade and the fade's completion
// hold it weakly.
#pragma once

#include "locator/appearance_settings.h"
#include "platform/input_state.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/screen_list.h"
#include "platform/timing_function.h"
#include "platform/work_item.h"
#include "selection/range_selection_capture_view.h"

#include <functional>
#include <memory>

namespace halomark {

class RangeSelectionOverlayController
    : public std::enable_shared_from_this<RangeSelectionOverlayController>
{
public:
    // From a finished selection to the start of the fade, on the main loop.
    static constexpr double fadeDelay = 0.45;
    static constexpr double fadeDuration = 0.85;
    static constexpr TimingFunction fadeTimingFunction = TimingFunction::easeInEaseOut();

    RangeSelectionOverlayController(MainLoop& mainLoop, InputState& input, ScreenList& screens,
                                    PanelFactory& panels,
                                    const AppearanceSettings& appearanceSettings);

    // Called when a left or right button is pressed in the panel.
    std::function<void()> onUserInteractionStarted;

    // Replaces any selection panel with a new one over the display under the pointer; nothing
    // when there is no screen.
    void beginSelection();

    // The shortcut's release: removes a panel that has seen no press, withdraws the rectangle
    // of a press in progress, and lets a finished rectangle wait and fade.
    void endSelection();

    // Removes the panel at once and forgets it and the scheduled fade. A fade already running
    // goes on unseen; its completion finds the panel no longer active.
    void dismiss();

    // Makes the panel click-through and schedules its fade; nothing unless it is the active
    // panel.
    void scheduleFade(const std::shared_ptr<Panel>& panel);

    // Fades the panel's alpha to 0; once done it is ordered out and, if still active,
    // forgotten.
    void fadeOut(const std::shared_ptr<Panel>& panel);

    // Forgets the state when the panel (empty: one that has gone) is still the active one
    // (none active counts as the same when the panel has gone); otherwise a newer selection
    // owns the state and nothing changes.
    void finishDismissal(const std::shared_ptr<Panel>& panel);

    const std::shared_ptr<Panel>& activePanel() const { return panel; }
    const std::shared_ptr<RangeSelectionCaptureView>& activeView() const { return view; }
    // The scheduled start of the fade, kept until the fade's end.
    const WorkItemPtr& dismissalWorkItem() const { return dismissal; }

private:
    MainLoop& mainLoop;
    InputState& input;
    ScreenList& screens;
    PanelFactory& panelFactory;
    const AppearanceSettings& appearanceSettings;
    std::shared_ptr<Panel> panel;
    std::shared_ptr<RangeSelectionCaptureView> view;
    WorkItemPtr dismissal;
};

} // namespace halomark
