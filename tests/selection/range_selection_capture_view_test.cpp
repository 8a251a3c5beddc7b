#include "selection/range_selection_capture_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

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
    static Point inWindow(double x, double y) { return {x + 100, y + 50}; }

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
    std::vector<std::string> log;
};

TEST_F(RangeSelectionCaptureViewTest, TwoHiddenLayersOutlineBelowInTheColoursOfItsCreation)
{
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::yellow);
    auto view = makeView();
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::purple); // reaches later views
    EXPECT_TRUE(view->acceptsFirstMouse());
    ASSERT_NE(view->layer(), nullptr);
    EXPECT_EQ(view->layer()->sublayers(),
              (std::vector<std::shared_ptr<Layer>>{view->outlineLayer, view->foregroundLayer}));
    EXPECT_EQ(view->outlineLayer->strokeColor, Color::blackColor().withAlpha(0.82));
    EXPECT_EQ(view->outlineLayer->lineWidth, 4.4);
    EXPECT_EQ(view->foregroundLayer->strokeColor, system_colors::yellow().withAlpha(0.96));
    EXPECT_EQ(view->foregroundLayer->lineWidth, 2.6);
    for (const auto& shape : {view->outlineLayer, view->foregroundLayer}) {
        EXPECT_EQ(shape->fillColor.alpha, 0);
        EXPECT_EQ(shape->lineJoin, LineJoin::round);
        EXPECT_TRUE(shape->hidden);
    }
    EXPECT_TRUE(strokesOf(*view).empty());

    auto later = makeView();
    EXPECT_EQ(later->foregroundLayer->strokeColor, system_colors::purple().withAlpha(0.96));
    EXPECT_EQ(later->outlineLayer->strokeColor, Color::whiteColor().withAlpha(0.82));
}

TEST_F(RangeSelectionCaptureViewTest, AClickWithoutMovementFinishesAVisibleZeroSizeSelection)
{
    auto view = makeView();
    view->mouseDown(inWindow(200, 150));
    EXPECT_TRUE(view->isMouseDown());
    EXPECT_EQ(view->startPoint(), Point(200, 150));
    view->mouseUp(inWindow(200, 150));
    EXPECT_EQ(log, (std::vector<std::string>{"started", "finished YES"}));
    EXPECT_FALSE(view->isMouseDown());
    EXPECT_TRUE(view->hasVisibleSelection());
    EXPECT_TRUE(view->hasFinishedSelection());
    EXPECT_EQ(view->startPoint(), Point(200, 150));

    // Drawn as two strokes, the outline first, at the press point in view coordinates.
    const auto strokes = strokesOf(*view);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(strokes[0].color, view->outlineColor);
    EXPECT_EQ(strokes[0].lineWidth(), 4.4);
    EXPECT_EQ(strokes[0].stroke.lineJoin, LineJoin::round);
    EXPECT_EQ(strokes[1].color, view->foregroundColor);
    EXPECT_EQ(strokes[1].lineWidth(), 2.6);
    for (const auto& stroke : strokes) {
        EXPECT_EQ(stroke.bounds(), Rect(200, 150, 0, 0));
        EXPECT_EQ(stroke.opacity, 1.0);
    }
}

TEST_F(RangeSelectionCaptureViewTest, DraggingPastAnyEdgeStopsTheFollowingCornerAtTheEdge)
{
    auto view = makeView();
    view->mouseDown(inWindow(400, 300));
    view->mouseDragged(inWindow(-150, 850)); // beyond the left and top edges
    EXPECT_EQ(selectionOf(*view), Rect(0, 300, 400, 300));
    view->mouseDragged(inWindow(1900, -150)); // beyond the right and bottom edges
    EXPECT_EQ(selectionOf(*view), Rect(400, 0, 400, 300));
    view->mouseUp(inWindow(5000, 5000));
    EXPECT_EQ(selectionOf(*view), Rect(400, 300, 400, 300));
    EXPECT_EQ(log.back(), "finished YES");

    view->mouseDown(inWindow(-20, 700)); // a press outside starts on the edge
    EXPECT_EQ(view->startPoint(), Point(0, 600));
    EXPECT_FALSE(view->hasFinishedSelection());
}

TEST_F(RangeSelectionCaptureViewTest, DragsInAnyDirectionGiveTheNormalisedRoundedRectangle)
{
    auto view = makeView();
    view->mouseDown(inWindow(500, 400));
    view->mouseDragged(inWindow(200, 100)); // right to left, top to bottom
    Path expected;
    expected.addRoundedRect(Rect{200, 100, 300, 300}, 5, 5);
    EXPECT_EQ(view->outlineLayer->path, expected);
    EXPECT_EQ(view->foregroundLayer->path, expected);
    EXPECT_EQ(expected.segments().front().points[0], Point(205, 100)); // corners of radius 5

    view->mouseDragged(inWindow(600, 350)); // left to right, top to bottom
    EXPECT_EQ(selectionOf(*view), Rect(500, 350, 100, 50));
    view->mouseUp(inWindow(450, 450)); // right to left, bottom to top
    EXPECT_EQ(selectionOf(*view), Rect(450, 400, 50, 50));
}

TEST_F(RangeSelectionCaptureViewTest, ARightPressDuringADragHidesAtOnceThenReportsCancellation)
{
    auto view = makeView();
    view->mouseDown(inWindow(100, 100));
    view->mouseDragged(inWindow(300, 200));
    bool hiddenWhenCancelled = false;
    view->onMouseSequenceCancelled = [&] {
        log.push_back("cancelled");
        hiddenWhenCancelled = view->outlineLayer->hidden && view->foregroundLayer->hidden;
    };
    view->rightMouseDown(inWindow(300, 200));
    EXPECT_EQ(log, (std::vector<std::string>{"started", "started", "cancelled"}));
    EXPECT_TRUE(hiddenWhenCancelled);
    EXPECT_FALSE(view->hasVisibleSelection());
    EXPECT_FALSE(view->hasFinishedSelection());
    EXPECT_TRUE(strokesOf(*view).empty());

    // A release with no press of its own is a cancelled sequence.
    auto fresh = makeView();
    log.clear();
    fresh->mouseUp(inWindow(10, 10));
    EXPECT_EQ(log, std::vector<std::string>{"cancelled"});
    EXPECT_FALSE(fresh->hasFinishedSelection());
}

TEST_F(RangeSelectionCaptureViewTest, ASelectionHiddenDuringAPressStaysHiddenAndEndsWithNo)
{
    auto view = makeView();
    view->mouseDown(inWindow(100, 100));
    view->mouseDragged(inWindow(300, 200));
    view->hideSelection(); // the shortcut was let go
    EXPECT_TRUE(view->isMouseDown());
    EXPECT_TRUE(view->isSelectionWithdrawn());
    view->mouseDragged(inWindow(350, 250));
    EXPECT_TRUE(view->outlineLayer->hidden);
    EXPECT_TRUE(view->foregroundLayer->hidden);
    EXPECT_FALSE(view->hasVisibleSelection());
    view->mouseUp(inWindow(400, 300));
    EXPECT_EQ(log, (std::vector<std::string>{"started", "finished NO"}));
    EXPECT_FALSE(view->hasFinishedSelection());
    EXPECT_TRUE(strokesOf(*view).empty());

    // The next press draws again.
    view->mouseDown(inWindow(50, 50));
    view->mouseUp(inWindow(80, 90));
    EXPECT_FALSE(view->isSelectionWithdrawn());
    EXPECT_EQ(log.back(), "finished YES");
    EXPECT_EQ(strokesOf(*view).size(), 2u);
}

TEST_F(RangeSelectionCaptureViewTest, DisplayRequestsCoverWhatWasDrawnAndWhatIsDrawnNow)
{
    auto view = makeView();
    std::vector<std::optional<Rect>> requests;
    view->setDisplayRequestHandler([&](std::optional<Rect> rect) { requests.push_back(rect); });
    const double reach = 4.4 / 2 + 1; // half the outline and a point of antialiasing
    auto around = [reach](Rect r) {
        return Rect{r.minX() - reach, r.minY() - reach, r.width() + 2 * reach,
                    r.height() + 2 * reach};
    };
    view->mouseDown(inWindow(100, 100));
    view->mouseDragged(inWindow(300, 250));
    view->mouseDragged(inWindow(150, 120)); // shrinking: the old outline must be cleared too
    view->hideSelection();
    view->hideSelection(); // nothing left to clear
    const std::vector<Rect> expected{around(Rect(100, 100, 0, 0)), around(Rect(100, 100, 200, 150)),
                                     around(Rect(100, 100, 200, 150)),
                                     around(Rect(100, 100, 50, 20))};
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(requests[i]) << i;
        EXPECT_NEAR(requests[i]->minX(), expected[i].minX(), 1e-9) << i;
        EXPECT_NEAR(requests[i]->minY(), expected[i].minY(), 1e-9) << i;
        EXPECT_NEAR(requests[i]->maxX(), expected[i].maxX(), 1e-9) << i;
        EXPECT_NEAR(requests[i]->maxY(), expected[i].maxY(), 1e-9) << i;
    }
}

} // namespace
} // namespace halomark
