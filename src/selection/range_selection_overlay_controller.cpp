#include "selection/range_selection_overlay_controller.h"

#include "platform/panel_configuration.h"

#include <utility>

namespace halomark {

RangeSelectionOverlayController::RangeSelectionOverlayController(
    MainLoop& mainLoop, InputState& input, ScreenList& screens, PanelFactory& panels,
    const AppearanceSettings& appearanceSettings)
    : mainLoop(mainLoop), input(input), screens(screens), panelFactory(panels),
      appearanceSettings(appearanceSettings)
{}

void RangeSelectionOverlayController::beginSelection()
{
    dismiss();

    const Point pointer = input.mouseLocation();
    const auto target = screenContaining(screens, pointer);
    if (!target) {
        return;
    }
    const PanelConfiguration configuration = selectionPanelConfiguration(*target);
    std::shared_ptr<Panel> newPanel = panelFactory.makePanel(configuration);
    applyPanelSettings(*newPanel, configuration);

    const Rect f = target->frame;
    auto newView = std::make_shared<RangeSelectionCaptureView>(Rect{0, 0, f.width(), f.height()},
                                                               appearanceSettings);
    std::weak_ptr<RangeSelectionOverlayController> weakSelf = weak_from_this();
    std::weak_ptr<Panel> weakPanel = newPanel;
    newView->onSelectionStarted = [weakSelf] {
        auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        if (auto started = self->onUserInteractionStarted) {
            started();
        }
    };
    newView->onSelectionFinished = [weakSelf, weakPanel](bool visible) {
        auto self = weakSelf.lock();
        auto finished = weakPanel.lock();
        if (!self || !finished) {
            return;
        }
        if (visible) {
            self->scheduleFade(finished);
        } else {
            self->dismiss();
        }
    };
    newView->onMouseSequenceCancelled = [weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->dismiss();
        }
    };

    newPanel->setContentView(newView);
    panel = newPanel;
    view = std::move(newView);
    newPanel->orderFrontRegardless();
}

void RangeSelectionOverlayController::endSelection()
{
    if (!view) {
        dismiss();
        return;
    }
    if (view->isMouseDown()) {
        // The panel stays and takes the rest of the press, which now ends without a selection.
        view->hideSelection();
        return;
    }
    if (view->hasFinishedSelection()) {
        return; // the scheduled or running fade goes on
    }
    dismiss();
}

void RangeSelectionOverlayController::dismiss()
{
    if (dismissal) {
        dismissal->cancel();
        dismissal.reset();
    }
    // Forget first, so that the panel and view go only after their last use here.
    std::shared_ptr<Panel> removed = std::move(panel);
    panel.reset();
    view.reset();
    if (removed) {
        removed->orderOut();
    }
}

void RangeSelectionOverlayController::scheduleFade(const std::shared_ptr<Panel>& fading)
{
    if (!panel || panel != fading) {
        return;
    }
    // From now on clicks reach the applications below.
    fading->setIgnoresMouseEvents(true);

    std::weak_ptr<RangeSelectionOverlayController> weakSelf = weak_from_this();
    std::weak_ptr<Panel> weakPanel = fading;
    auto item = WorkItem::make([weakSelf, weakPanel] {
        auto self = weakSelf.lock();
        auto target = weakPanel.lock();
        if (self && target) {
            self->fadeOut(target);
        }
    });
    if (dismissal) {
        dismissal->cancel();
    }
    dismissal = item;
    mainLoop.postAfter(fadeDelay, std::move(item));
}

void RangeSelectionOverlayController::fadeOut(const std::shared_ptr<Panel>& fading)
{
    std::weak_ptr<RangeSelectionOverlayController> weakSelf = weak_from_this();
    std::weak_ptr<Panel> weakPanel = fading;
    MainLoop* loop = &mainLoop;
    fading->animateAlphaValue(0.0, fadeDuration, fadeTimingFunction, [loop, weakSelf, weakPanel] {
        // The animation ends outside the controller's turn: come back on a later one.
        loop->post([weakSelf, weakPanel] {
            if (auto faded = weakPanel.lock()) {
                faded->orderOut();
            }
            if (auto self = weakSelf.lock()) {
                self->finishDismissal(weakPanel.lock());
            }
        });
    });
}

void RangeSelectionOverlayController::finishDismissal(const std::shared_ptr<Panel>& faded)
{
    if (panel != faded) {
        return; // a newer selection owns the state
    }
    dismissal.reset(); // it has run: nothing to cancel
    panel.reset();
    view.reset();
}

} // namespace halomark
