#include "selection/range_selection_capture_view.h"
#include "selection/range_selection_overlay_controller.h"
#include "sim/sim_canvas.h"
#include "sim/sim_input_state.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace halomark {
namespace {

using Log = std::vector<std::string>;

class RangeSelectionCaptureViewTest : public ::testing::Test
{
protected:
    // The view lies at (100, 50) in its window, so window and view coordinates differ.
    std::shared_ptr<RangeSelectionCaptureView> makeView()
    {
        auto view = std::make_shared<RangeSelectionCaptureView>(Rect{100, 50, 800, 600}, settings);
        view->onSelectionStarted = [this] { log.push_back("started"); };
        view->onSelectionFinished = [this](bool visible) {
            log.push_back(visible ? "finished YES" : "finished NO");
        };
        view->onMouseSequenceCancelled = [this] { log.push_back("cancelled"); };
        return view;
    }

    // A point given in view coordinates, as the window reports it.
    static Point at(double x, double y) { return {x + 100, y + 50}; }
    static Rect selectionOf(const RangeSelectionCaptureView& view)
    {
        return view.foregroundLayer->path.boundingBox();
    }
    static std::vector<sim::SimCanvas::Drawing> strokesOf(const RangeSelectionCaptureView& view)
    {
        sim::SimCanvas canvas;
        view.draw(canvas, 0);
        EXPECT_TRUE(canvas.fills().empty());
        return canvas.strokes();
    }

    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    Log log;
};

TEST_F(RangeSelectionCaptureViewTest, AClickDrawsAVisibleZeroSizeOutlineInTheColoursOfItsCreation)
{
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::yellow);
    auto view = makeView();
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::purple); // reaches later views
    EXPECT_TRUE(view->acceptsFirstMouse());
    EXPECT_TRUE(strokesOf(*view).empty()); // nothing before a press, and never a fill
    EXPECT_EQ(makeView()->foregroundLayer->strokeColor, system_colors::purple().withAlpha(0.96));

    view->mouseDown(at(200, 150));
    EXPECT_TRUE(view->isMouseDown());
    view->mouseUp(at(200, 150));
    EXPECT_EQ(log, (Log{"started", "finished YES"}));
    EXPECT_EQ(std::tuple(view->isMouseDown(), view->hasFinishedSelection(), view->startPoint()),
              std::tuple(false, true, std::optional(Point(200, 150))));
    // Two strokes, the outline first, at the press point in view coordinates.
    const std::vector<std::pair<Color, double>> colorsAndWidths{
        {Color::blackColor().withAlpha(0.82), 4.4}, {system_colors::yellow().withAlpha(0.96), 2.6}};
    const auto strokes = strokesOf(*view);
    ASSERT_EQ(strokes.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(std::tuple(strokes[i].color, strokes[i].lineWidth(), strokes[i].stroke.lineJoin,
                             strokes[i].bounds(), strokes[i].opacity),
                  std::tuple(colorsAndWidths[i].first, colorsAndWidths[i].second, LineJoin::round,
                             Rect(200, 150, 0, 0), 1.0));
    }
}

TEST_F(RangeSelectionCaptureViewTest, DragsStopAtTheEdgesGiveARoundedRectangleARightPressCancels)
{
    auto view = makeView();
    view->mouseDown(at(400, 300));
    view->mouseDragged(at(-150, 850)); // beyond the left and top edges
    EXPECT_EQ(selectionOf(*view), Rect(0, 300, 400, 300));
    view->mouseDragged(at(1900, -150)); // beyond the right and bottom edges
    EXPECT_EQ(selectionOf(*view), Rect(400, 0, 400, 300));
    view->mouseDragged(at(200, 100));
    Path expected;
    expected.addRoundedRect(Rect{200, 100, 200, 200}, 5, 5);
    EXPECT_EQ(view->outlineLayer->path, expected);
    EXPECT_EQ(view->foregroundLayer->path, expected);
    view->mouseUp(at(450, 450));
    EXPECT_EQ(selectionOf(*view), Rect(400, 300, 50, 150));
    EXPECT_EQ(log.back(), "finished YES");
    view->mouseDown(at(-20, 700)); // a press outside starts on the edge
    EXPECT_EQ(view->startPoint(), Point(0, 600));
    EXPECT_FALSE(view->hasFinishedSelection());

    // A right press mid-drag hides the rectangle at once, then cancels; as does a release
    // without a press.
    view->mouseDragged(at(300, 200));
    log.clear();
    bool hiddenWhenCancelled = false;
    view->onMouseSequenceCancelled = [&] {
        log.push_back("cancelled");
        hiddenWhenCancelled = view->outlineLayer->hidden && view->foregroundLayer->hidden;
    };
    view->rightMouseDown(at(300, 200));
    EXPECT_EQ(log, (Log{"started", "cancelled"}));
    EXPECT_EQ(std::tuple(hiddenWhenCancelled, view->hasVisibleSelection(), strokesOf(*view).size()),
              std::tuple(true, false, 0u));

    auto fresh = makeView();
    log.clear();
    fresh->mouseUp(at(10, 10));
    EXPECT_EQ(log, Log{"cancelled"});
    EXPECT_FALSE(fresh->hasFinishedSelection());
}

TEST_F(RangeSelectionCaptureViewTest, ASelectionHiddenDuringAPressStaysHiddenAndEndsWithNo)
{
    auto view = makeView();
    std::vector<std::optional<Rect>> requests;
    view->setDisplayRequestHandler([&](std::optional<Rect> rect) { requests.push_back(rect); });
    view->mouseDown(at(100, 100));
    view->mouseDragged(at(300, 250));
    view->mouseDragged(at(150, 120)); // shrinking: the old outline must be cleared too
    view->hideSelection();            // the shortcut was let go
    view->hideSelection();            // nothing left to clear
    view->mouseDragged(at(350, 250));
    EXPECT_TRUE(view->outlineLayer->hidden && view->foregroundLayer->hidden);
    view->mouseUp(at(400, 300));
    EXPECT_EQ(log, (Log{"started", "finished NO"}));
    EXPECT_EQ(std::tuple(view->hasFinishedSelection(), strokesOf(*view).size()),
              std::tuple(false, 0u));
    // Each request covers what was drawn and what is drawn now, half the outline and a
    // point of antialiasing beyond the rectangle.
    const double r = 4.4 / 2 + 1;
    const std::vector<Rect> expected{{100 - r, 100 - r, 2 * r, 2 * r},
                                     {100 - r, 100 - r, 200 + 2 * r, 150 + 2 * r},
                                     {100 - r, 100 - r, 200 + 2 * r, 150 + 2 * r},
                                     {100 - r, 100 - r, 50 + 2 * r, 20 + 2 * r}};
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(requests[i].value_or(Rect{}).minX(), expected[i].minX(), 1e-9) << i;
        EXPECT_NEAR(requests[i].value_or(Rect{}).maxY(), expected[i].maxY(), 1e-9) << i;
        EXPECT_NEAR(requests[i].value_or(Rect{}).width(), expected[i].width(), 1e-9) << i;
    }

    // The next press draws again.
    view->mouseDown(at(50, 50));
    view->mouseUp(at(80, 90));
    EXPECT_EQ(log.back(), "finished YES");
    EXPECT_EQ(strokesOf(*view).size(), 2u);
}

using sim::SimPanel;
using sim::SimScreenList;

class RangeSelectionOverlayControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Two displays side by side; the right one is taller and reaches below the left one.
        screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900}),
                            SimScreenList::makeScreen(2, Rect{1440, -180, 1920, 1080})});
        controller = std::make_shared<RangeSelectionOverlayController>(loop, input, screens,
                                                                       factory, settings);
        controller->onUserInteractionStarted = [this] { ++interactions; };
        loop.advance(10); // selections start at a media time that is not 0
    }

    std::weak_ptr<SimPanel> beginAt(Point pointer)
    {
        input.movePointer(pointer);
        controller->beginSelection();
        return factory.createdCount() ? factory.panel(factory.createdCount() - 1) : nullptr;
    }

    // Mouse events as the panel's window reports them: global points less the panel's origin.
    Point inWindow(Point global) const
    {
        const Rect f = controller->activePanel()->frame();
        return {global.x - f.minX(), global.y - f.minY()};
    }
    // A left press at one point and its release at another.
    void select(Point from, Point to)
    {
        view()->mouseDown(inWindow(from));
        view()->mouseUp(inWindow(to));
    }
    // Held only for the length of one event, as the hosting window holds its view.
    std::shared_ptr<RangeSelectionCaptureView> view() const { return controller->activeView(); }
    static bool called(const SimPanel& panel, const std::string& call)
    {
        return std::find(panel.calls().begin(), panel.calls().end(), call) != panel.calls().end();
    }

    sim::SimMainLoop loop;
    sim::SimInputState input;
    SimScreenList screens;
    sim::SimPanelFactory factory{loop};
    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    std::shared_ptr<RangeSelectionOverlayController> controller;
    int interactions = 0;
};

TEST_F(RangeSelectionOverlayControllerTest, APanelCoversTheScreenUnderThePointerUntilReleased)
{
    auto panel = beginAt({1500, 100}).lock();
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->configuration(), selectionPanelConfiguration(screens.screens()[1]));
    EXPECT_EQ(panel->calls(),
              (std::vector<std::string>{"setLevel 1000", "setIgnoresMouseEvents false",
                                        "setAlphaValue 1", "setCollectionBehavior 337",
                                        "setContentView", "orderFrontRegardless"}));
    EXPECT_EQ(std::tuple(panel->animationBehavior(), panel->contentView(), view()->frame(),
                         panel->displayRequestCount()), // nothing drawn
              std::tuple(std::nullopt, controller->activeView(), Rect(0, 0, 1920, 1080), 0));

    // Released without a click: ordered out and let go at once.
    std::weak_ptr<SimPanel> weak = panel;
    panel.reset();
    controller->endSelection();
    EXPECT_EQ(std::tuple(weak.expired(), controller->activePanel(), controller->activeView(),
                         loop.pendingCount(), interactions),
              std::tuple(true, nullptr, nullptr, 0u, 0));
}

TEST_F(RangeSelectionOverlayControllerTest, AFinishedRectangleLetsClicksThroughWaitsFadesAndGoes)
{
    auto panel = beginAt({1500, 100}).lock();
    select({1500, 100}, {5000, -500}); // past the right and bottom edges of display 2
    EXPECT_EQ(std::tuple(interactions, panel->ignoresMouseEvents()),
              std::tuple(1, true)); // at once
    panel->displayIfNeeded();
    EXPECT_EQ(panel->lastFrame().strokes().at(1).bounds(), Rect(60, 0, 1860, 280));
    ASSERT_NE(controller->dismissalWorkItem(), nullptr);
    controller->endSelection(); // the shortcut's release changes nothing
    loop.advance(0.449);
    EXPECT_FALSE(panel->alphaAnimation().has_value());
    loop.advance(0.001);
    EXPECT_EQ(panel->alphaAnimation(), (SimPanel::AlphaAnimation{1.0, 0.0, loop.now(), 0.85,
                                                                 TimingFunction::easeInEaseOut()}));
    EXPECT_EQ(panel->calls().back(), "animateAlphaValue 0 0.85");
    // At the instant the animation ends its completion has not yet reached the controller,
    // which comes back a turn later.
    bool activeAfterAnimationEnd = false;
    loop.postAfter(0.85, [&] {
        activeAfterAnimationEnd =
            !panel->alphaAnimation() && panel->isVisible() && controller->activePanel() == panel;
    });
    controller->endSelection();
    loop.advance(0.425);
    EXPECT_NEAR(*panel->alphaValue(), 0.5, 1e-6);
    loop.advance(0.2125);
    EXPECT_NEAR(*panel->alphaValue(), 1 - 0.8708380689526802, 1e-6);
    loop.advance(0.2125);
    EXPECT_EQ(std::tuple(activeAfterAnimationEnd, panel->isVisible(), controller->activePanel(),
                         controller->activeView(), controller->dismissalWorkItem()),
              std::tuple(true, false, nullptr, nullptr, nullptr));
    std::weak_ptr<SimPanel> gone = panel;
    panel.reset();
    EXPECT_EQ(std::tuple(gone.expired(), loop.pendingCount()), std::tuple(true, 0u));
}

TEST_F(RangeSelectionOverlayControllerTest, ARightPressOrAReleaseOfTheShortcutMidDragEndsAtOnce)
{
    std::weak_ptr<SimPanel> panel = beginAt({100, 100});
    view()->mouseDown(inWindow({100, 100}));
    bool shownAtInteraction = false;
    controller->onUserInteractionStarted = [&] {
        ++interactions;
        shownAtInteraction = panel.lock() && panel.lock()->isVisible();
    };
    view()->rightMouseDown(inWindow({300, 300}));
    EXPECT_EQ(std::tuple(interactions, shownAtInteraction, panel.expired(), loop.pendingCount()),
              std::tuple(2, true, true, 0u));

    // The shortcut let go mid-drag: the panel takes the rest of the press, with the
    // rectangle hidden, and goes at the release without a fade.
    auto second = beginAt({100, 100}).lock();
    view()->mouseDown(inWindow({100, 100}));
    view()->mouseDragged(inWindow({300, 300}));
    controller->endSelection();
    EXPECT_EQ(
        std::tuple(view()->outlineLayer->hidden, second->isVisible(), second->ignoresMouseEvents()),
        std::tuple(true, true, false));
    view()->mouseUp(inWindow({400, 350}));
    EXPECT_EQ(std::tuple(second->isVisible(), controller->activePanel()),
              std::tuple(false, nullptr));
    loop.advance(2);
    EXPECT_FALSE(called(*second, "setIgnoresMouseEvents true") ||
                 called(*second, "animateAlphaValue 0 0.85"));
}

TEST_F(RangeSelectionOverlayControllerTest,
       TheShortcutAgainReplacesThePanelAndTheOldFadeLeavesItAlone)
{
    // While the first rectangle waits: its fade never starts.
    std::weak_ptr<SimPanel> waiting = beginAt({100, 100});
    select({100, 100}, {200, 200});
    loop.advance(0.2);
    auto fresh = beginAt({1500, 100}).lock();
    EXPECT_EQ(std::tuple(waiting.expired(), factory.frontToBack(), controller->dismissalWorkItem()),
              std::tuple(true, std::vector<std::shared_ptr<SimPanel>>{fresh}, nullptr));

    // While the next one fades (t0: fade at 0.45, gone at 1.30), a third begins.
    select({1500, 100}, {1600, 200});
    loop.advance(0.6);
    std::weak_ptr<SimPanel> fading = fresh;
    fresh = beginAt({1500, 100}).lock();
    EXPECT_FALSE(fading.lock()->isVisible()); // out at once; the running fade still holds it
    loop.advance(0.4);                        // t0 + 1.0: the new rectangle waits until t0 + 1.45
    select({1500, 100}, {1600, 200});
    const WorkItemPtr pending = controller->dismissalWorkItem();
    ASSERT_NE(pending, nullptr);
    loop.advance(0.35); // t0 + 1.35: the old completion has come back
    EXPECT_EQ(std::tuple(fading.expired(), controller->activePanel(),
                         controller->dismissalWorkItem(), pending->isCancelled()),
              std::tuple(true, fresh, pending, false));
    loop.advance(0.1); // t0 + 1.45
    EXPECT_TRUE(fresh->alphaAnimation().has_value());
    loop.advance(0.85);
    EXPECT_EQ(std::tuple(fresh->isVisible(), controller->activePanel()),
              std::tuple(false, nullptr));
}

TEST_F(RangeSelectionOverlayControllerTest, DismissalsNoScreenAndAReleasedControllerAreHarmless)
{
    controller->dismiss();
    controller->endSelection();
    auto panel = beginAt({100, 100}).lock();
    controller->dismiss();
    controller->dismiss();
    controller->endSelection();
    EXPECT_EQ(std::tuple(std::count(panel->calls().begin(), panel->calls().end(), "orderOut"),
                         factory.createdCount()),
              std::tuple(std::ptrdiff_t{1}, 1));
    // A dismissal while waiting cancels the fade before it starts.
    beginAt({100, 100});
    select({100, 100}, {150, 150});
    const WorkItemPtr fade = controller->dismissalWorkItem();
    controller->dismiss();
    EXPECT_EQ(std::tuple(fade->isCancelled(), controller->dismissalWorkItem()),
              std::tuple(true, nullptr));

    // Without a screen nothing is shown.
    screens.setScreens({});
    beginAt({100, 100});
    EXPECT_EQ(std::tuple(factory.createdCount(), controller->activeView()), std::tuple(2, nullptr));

    // A released controller lets its panel go once the running fade ends.
    screens.setScreens({SimScreenList::makeScreen(1, Rect{0, 0, 1440, 900})});
    controller->onUserInteractionStarted = nullptr;
    std::weak_ptr<SimPanel> last = beginAt({100, 100});
    select({100, 100}, {200, 200});
    loop.advance(0.5);
    controller.reset();
    EXPECT_FALSE(last.expired());
    loop.advance(1);
    EXPECT_EQ(std::tuple(last.expired(), loop.pendingCount()), std::tuple(true, 0u));
}

} // namespace
} // namespace halomark
